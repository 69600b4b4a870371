// Fuzzes upgradeprep's command line, installed-version reading and upgrade question: the new
// version's text is the command line's tail, taken whole; the version reads as "%d.%d.%d.%d"
// reads it; the question begins and ends as it must and carries the new text literally, '%'
// signs included; and a whole run on a machine with the product registered shows exactly that
// question and leaves the installed version in the marker file.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/memory/MemoryWindows.h"
#include "product/Korvex.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::fuzz {
namespace {

using upgradeprep::VersionNumbers;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Describe(const VersionNumbers& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build) +
           "." + std::to_string(v.revision);
}

// The command line is the program's name, the blanks after it and the new version's text.
void CheckNewVersionText(std::string_view commandLine, const std::string& text) {
    if (!commandLine.ends_with(text)) {
        Fail("the new version's text is the command line's tail",
             Escaped(commandLine) + " gave " + Escaped(text));
    }
    if (!text.empty() && IsBlankOrControl(text.front())) {
        Fail("the new version's text does not start with a blank",
             Escaped(commandLine) + " gave " + Escaped(text));
    }
    std::string_view name = commandLine.substr(0, commandLine.size() - text.size());
    while (!name.empty() && IsBlankOrControl(name.back())) {
        name.remove_suffix(1);
    }
    const bool quoted = !name.empty() && name.front() == '"';
    // A quoted name runs to its closing quote, or to the end of a line that has none.
    const bool wellFormed = quoted
                                ? (name.size() > 1 && name.find('"', 1) == name.size() - 1) ||
                                      (text.empty() && name.find('"', 1) == std::string_view::npos)
                                : std::none_of(name.begin(), name.end(), IsBlankOrControl);
    if (!wellFormed) {
        Fail("what comes before the new version's text is the program's name and blanks",
             Escaped(commandLine) + " gave " + Escaped(text));
    }
}

// With no run of more than nine digits nothing can overflow, and sscanf is the reference.
void CheckParseVersion(const std::string& installed) {
    std::size_t run = 0;
    for (char c : installed) {
        run = c >= '0' && c <= '9' ? run + 1 : 0;
        if (run > 9) {
            return;
        }
    }
    VersionNumbers expected;
    (void)std::sscanf(installed.c_str(), "%d.%d.%d.%d", &expected.major, &expected.minor,
                      &expected.build, &expected.revision);
    const VersionNumbers parsed = upgradeprep::ParseVersion(installed);
    if (!(parsed == expected)) {
        Fail("ParseVersion reads as sscanf(\"%d.%d.%d.%d\") does",
             Escaped(installed) + ": " + Describe(parsed) + ", sscanf " + Describe(expected));
    }
}

void CheckQuestion(const std::string& installed, const std::string& text,
                   const std::string& question) {
    constexpr std::string_view kStart = "Upgrade KORVEx from version ";
    const std::string end = " to version " + text;
    if (!question.starts_with(kStart) || !question.ends_with(end) ||
        question.size() < kStart.size() + end.size()) {
        Fail("the question is \"Upgrade KORVEx from version <old> to version <new text>\"",
             Escaped(installed) + ", " + Escaped(text) + ": " + Escaped(question));
    }
    const std::string old =
        question.substr(kStart.size(), question.size() - kStart.size() - end.size());
    const int major = upgradeprep::ParseVersion(installed).major;
    const bool named = major == 6   ? old.starts_with("6.")
                       : major == 7 ? old.starts_with("7.0") && old.size() == 4
                                    : old == installed;
    if (!named) {
        Fail("the old version is lettered for 6 and 7 and named as installed otherwise",
             Escaped(installed) + " shown as " + Escaped(old));
    }
}

// The whole tool on a machine where the product is registered with this installed version.
void CheckRun(const std::string& installed, const std::string& commandLine,
              const std::string& question) {
    memory::MemoryWindows windows;
    memory::InstalledProduct product;
    product.productCode = "{11111111-0000-0000-0000-000000000001}";
    product.properties["InstalledProductName"] = std::string(product::kProductName);
    product.properties["VersionString"] = installed;
    product.componentPaths[std::string(product::kMainProgramComponent)] = "C:\\KORVEx\\korvex.exe";
    windows.AddProduct(product);
    windows.MakeDirectories("C:\\KORVEx");
    windows.ui().Answer(platform::Answer::Yes);

    const int code = upgradeprep::RunUpgradePrep(windows.platform(), commandLine);
    const auto& shown = windows.ui().messages();
    if (code != upgradeprep::kExitDone || shown.size() != 1 || shown[0].request.text != question ||
        shown[0].request.title != upgradeprep::kTitle) {
        Fail("a registered product is asked the upgrade question once, and Yes ends with 0",
             Escaped(commandLine) + "\nexit code " + std::to_string(code) + "\n" +
                 windows.Describe());
    }
    if (windows.Contents("C:\\KORVEx\\up.ok") != installed) {
        Fail("up.ok holds the installed version", Escaped(installed) + "\n" + windows.Describe());
    }
}

} // namespace
} // namespace korvex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex::fuzz;
    FuzzedDataProvider input(data, size);
    const std::string installed = input.ConsumeRandomLengthString(64);
    const int numbers[] = {input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                           input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
    const int form = input.ConsumeIntegralInRange(0, 2);
    const std::string tail = input.ConsumeRemainingBytesAsString();

    // The tail as the whole command line, or behind a plain or a quoted program name.
    std::string commandLine = tail;
    if (form == 1) {
        commandLine = "upgradeprep.exe " + tail;
    } else if (form == 2) {
        commandLine = "\"C:\\Program Files\\KORVEx Setup\\upgradeprep.exe\"  " + tail;
    }
    const std::string text = korvex::upgradeprep::NewVersionText(commandLine);
    CheckNewVersionText(commandLine, text);
    if (form != 0) {
        std::string_view expected = tail;
        while (!expected.empty() && IsBlankOrControl(expected.front())) {
            expected.remove_prefix(1);
        }
        if (text != expected) {
            Fail("behind a program's name the whole tail is the new version's text",
                 Escaped(commandLine) + " gave " + Escaped(text));
        }
    }

    CheckParseVersion(installed);
    const std::string written = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) +
                                "." + std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
    const korvex::upgradeprep::VersionNumbers read = korvex::upgradeprep::ParseVersion(written);
    if (!(read ==
          korvex::upgradeprep::VersionNumbers{numbers[0], numbers[1], numbers[2], numbers[3]})) {
        Fail("four numbers written with dots read back", written + " read as " + Describe(read));
    }

    const std::string question = korvex::upgradeprep::UpgradeQuestion(installed, text);
    CheckQuestion(installed, text, question);
    CheckRun(installed, commandLine, question);
    return 0;
}
