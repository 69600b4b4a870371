// The contract fixture and its helpers, written against the platform interfaces only.
#include "platform/contract/ContractTest.h"

#include <cstdio>
#include <iostream>

namespace korvex::contract {

using platform::attr::kArchive;
using platform::attr::kDirectory;
using platform::attr::kNormal;

std::string_view Describe(Shortfall shortfall) {
    switch (shortfall) {
    case Shortfall::WritesReadOnlyFiles:
        return "this machine writes read-only files (Wine run as root)";
    case Shortfall::ReplacesHiddenFiles:
        return "this machine replaces hidden files on CREATE_ALWAYS";
    case Shortfall::CopyKeepsTargetAttributes:
        return "this machine's CopyFile leaves the replaced file's attributes";
    case Shortfall::NoReadOnlyDirectories:
        return "this machine keeps no read-only bit on directories";
    case Shortfall::KeepsCaseOnRename:
        return "this machine keeps the old case when a rename changes only the case";
    case Shortfall::RewritesIniFiles:
        return "this machine rewrites INI files in a form of its own (compared in that form)";
    }
    return "unknown shortfall";
}

std::string IniCanonical(std::string_view bytes) {
    const auto trim = [](std::string_view text) {
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string_view::npos) {
            return std::string_view();
        }
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    };
    std::string out;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = trim(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[' && line.find(']') != std::string_view::npos) {
            out.append("[").append(trim(line.substr(1, line.find(']') - 1))).append("]");
        } else if (const auto equals = line.find('='); equals != std::string_view::npos) {
            out.append(trim(line.substr(0, equals)))
                .append("=")
                .append(trim(line.substr(equals + 1)));
        } else {
            out.append(line);
        }
        out.append("\r\n");
    }
    return out;
}

std::set<std::string> Listing::names() const {
    std::set<std::string> result;
    for (const auto& [name, attributes] : entries) {
        result.insert(name);
    }
    return result;
}

Listing List(platform::FileSystem& files, std::string_view pattern) {
    Listing listing;
    auto search = files.Search(pattern);
    if (!search.ok()) {
        listing.code = search.code();
        return listing;
    }
    while (auto entry = search.value()->Next()) {
        listing.entries[entry->name] = entry->attributes;
    }
    return listing;
}

std::uint32_t Comparable(std::uint32_t attributes) {
    attributes &= ~kArchive;
    return attributes == 0 ? kNormal : attributes;
}

std::string ShowAttributes(std::uint32_t attributes) {
    static constexpr std::pair<std::uint32_t, char> kLetters[] = {{platform::attr::kReadOnly, 'R'},
                                                                  {platform::attr::kHidden, 'H'},
                                                                  {platform::attr::kSystem, 'S'},
                                                                  {kDirectory, 'D'},
                                                                  {kArchive, 'A'},
                                                                  {kNormal, 'N'}};
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(attributes));
    std::string text = std::string(hex) + " [";
    for (const auto& [bit, letter] : kLetters) {
        if (attributes & bit) {
            text += letter;
        }
    }
    return text + "]";
}

bool IsShortName(std::string_view component) {
    const auto dot = component.find('.');
    const std::string_view base = component.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : component.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 ||
        (dot != std::string_view::npos && extension.empty())) {
        return false;
    }
    const std::string_view forbidden = " .+,;=[]\"*/:<>?\\|";
    for (const std::string_view part : {base, extension}) {
        for (const char c : part) {
            if (static_cast<unsigned char>(c) < 0x20 || forbidden.find(c) != forbidden.npos) {
                return false;
            }
        }
    }
    return true;
}

void ContractTest::SetUp() {
    backend_ = MakeBackend();
}

void ContractTest::TearDown() {
    if (HasFailure()) {
        std::cout << "The scratch directory " << backend_->scratch() << " holds:\n"
                  << MachineState();
    }
    for (const std::string& path : extraFiles_) {
        (void)files().SetAttributes(path, kNormal);
        (void)files().DeleteFile(path);
    }
    backend_.reset();
}

bool ContractTest::Checks(Shortfall shortfall, std::string_view what) {
    if (!backend_->Lacks(shortfall)) {
        return true;
    }
    std::cout << "[ NOT CHECKED ] " << what << ": " << Describe(shortfall) << "\n";
    return false;
}

std::string ContractTest::At(std::string_view relative) const {
    return backend_->scratch() + "\\" + std::string(relative);
}

void ContractTest::Put(std::string_view relative, std::string_view bytes,
                       std::uint32_t attributes) {
    const std::string path = At(relative);
    const Status written = files().WriteFile(path, bytes);
    EXPECT_TRUE(written.ok()) << "WriteFile " << path << ": " << written.Describe();
    if (written.ok() && attributes != 0) {
        const Status set = files().SetAttributes(path, attributes);
        EXPECT_TRUE(set.ok()) << "SetAttributes " << path << ": " << set.Describe();
    }
}

void ContractTest::MakeDirectory(std::string_view relative) {
    const std::string path = At(relative);
    const Status made = files().CreateDirectory(path);
    EXPECT_TRUE(made.ok()) << "CreateDirectory " << path << ": " << made.Describe();
}

std::string ContractTest::MachineState() {
    std::string out;
    DescribeTree(backend_->scratch(), "  ", out);
    return out.empty() ? "  (nothing)\n" : out;
}

void ContractTest::DescribeTree(const std::string& directory, const std::string& indent,
                                std::string& out) {
    const Listing listing = List(files(), directory + "\\*");
    for (const auto& [name, attributes] : listing.entries) {
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = directory + "\\" + name;
        out += indent + name + " " + ShowAttributes(attributes);
        if (platform::IsDirectory(attributes)) {
            out += "\n";
            DescribeTree(path, indent + "  ", out);
        } else {
            const auto bytes = files().ReadFile(path);
            if (bytes.ok()) {
                out.append(" ").append(std::to_string(bytes.value().size())).append(" bytes\n");
            } else {
                out.append(" unreadable: ").append(bytes.error().Describe()).append("\n");
            }
        }
    }
}

} // namespace korvex::contract
