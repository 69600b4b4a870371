// Records a tree copy through a watching file system and replays its destination side.
#include "frontend/maps/RepeatedTreeCopy.h"

#include <optional>

#include "frontend/fsutil/DirectoryTree.h"
#include "platform/FileSystem.h"
#include "platform/ForwardingFileSystem.h"

namespace korvex::frontend {

namespace {

// The part of `path` below `top`: "" for top itself, "a\b" for top\a\b; nothing otherwise.
std::optional<std::string_view> Below(std::string_view path, std::string_view top) {
    if (!path.starts_with(top)) {
        return std::nullopt;
    }
    path.remove_prefix(top.size());
    if (path.empty()) {
        return path;
    }
    if (path.front() != '\\') {
        return std::nullopt;
    }
    return path.substr(1);
}

std::string Join(std::string_view top, std::string_view relative) {
    std::string path(top);
    if (!relative.empty()) {
        path += '\\';
        path += relative;
    }
    return path;
}

} // namespace

// Watches the tree copy: each listing of a source directory ("<source>\a\*.*"; every level
// lists its source twice, for files and then for subdirectories) marks the directory entered,
// each file copied into the destination is a step of its own.
class RepeatedTreeCopy::Recorder final : public platform::ForwardingFileSystem {
public:
    Recorder(platform::FileSystem& inner, RepeatedTreeCopy& copy)
        : ForwardingFileSystem(inner), copy_(copy) {}

    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override {
        constexpr std::string_view kAll = "\\*.*";
        if (pattern.ends_with(kAll)) {
            const auto relative =
                Below(pattern.substr(0, pattern.size() - kAll.size()), copy_.source_);
            if (relative && *relative != lastDirectory_) {
                lastDirectory_ = std::string(*relative);
                copy_.steps_.push_back({true, *lastDirectory_});
            }
        }
        return ForwardingFileSystem::Search(pattern);
    }

    Status CopyFile(std::string_view from, std::string_view to) override {
        Status copied = ForwardingFileSystem::CopyFile(from, to);
        if (const auto relative = Below(to, copy_.destination_); copied.ok() && relative) {
            copy_.steps_.push_back({false, std::string(*relative)});
        }
        return copied;
    }

private:
    RepeatedTreeCopy& copy_;
    std::optional<std::string> lastDirectory_;
};

Status RepeatedTreeCopy::CopyFirst(platform::Platform& machine) {
    steps_.clear();
    Recorder recorder(machine.files, *this);
    platform::Platform watched{recorder,       machine.profile, machine.installer,
                               machine.system, machine.ui,      machine.log};
    return CopyDirectoryTree(watched, source_, destination_);
}

Status RepeatedTreeCopy::Repeat(platform::Platform& machine, std::string_view destination) const {
    platform::FileSystem& files = machine.files;
    // The first copy lies below the drive root's map directory, which users can change: a file
    // or directory of it that has become a link since is not followed, and nothing below a
    // directory left out is copied.
    std::optional<std::string> leftOut;
    for (const Step& step : steps_) {
        if (leftOut && (leftOut->empty() || Below(step.relative, *leftOut))) {
            continue;
        }
        const std::string from = Join(destination_, step.relative);
        if (auto attributes = files.GetAttributes(from);
            attributes.ok() && platform::IsLink(attributes.value())) {
            machine.log.Write("copy-tree skip", from,
                              "a link in a folder users can change: not followed");
            if (step.directory) {
                leftOut = step.relative;
            }
            continue;
        }
        const std::string path = Join(destination, step.relative);
        if (step.directory) {
            if (Status created = CreateDirectoryIfMissing(files, path); !created.ok()) {
                return created;
            }
        } else if (Status copied = files.CopyFile(from, path); !copied.ok()) {
            return FailedAt(copied.error(), "copy file", Join(source_, step.relative));
        }
    }
    return Status();
}

} // namespace korvex::frontend
