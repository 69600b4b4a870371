// Fuzzes upgradeprep's command line, installed version and question: the new version's text is
// the command line's tail behind the program's name and blanks, taken whole; the version reads
// as sscanf("%d.%d.%d.%d") reads it; the question carries the new text literally, '%' signs
// included; and a whole run with the product registered shows it once and leaves up.ok.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzCheck.h"
#include "support/Machines.h"
#include "upgradeprep/UpgradePrep.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex;
    using namespace korvex::fuzz;
    using upgradeprep::VersionNumbers;
    FuzzedDataProvider input(data, size);
    const std::string installed = input.ConsumeRandomLengthString(64);
    const VersionNumbers numbers{input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                                 input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
    // The tail as the whole command line, or behind a plain or a quoted program name.
    const int form = input.ConsumeIntegralInRange(0, 2);
    const std::string tail = input.ConsumeRemainingBytesAsString();
    const std::string commandLine = (form == 0   ? ""
                                     : form == 1 ? "upgradeprep.exe "
                                                 : "\"C:\\Program Files\\KORVEx\\up prep.exe\"  ") +
                                    tail;
    const std::string text = upgradeprep::NewVersionText(commandLine);
    // Before the text stand a name and blanks: a quoted name (closed, or open to the end of a
    // line without text) or a name without blanks; behind a name the fuzzer put, the whole tail.
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::string_view name =
        std::string_view(commandLine).substr(0, commandLine.size() - text.size());
    std::string_view rest = tail;
    while (!name.empty() && blank(name.back())) {
        name.remove_suffix(1);
    }
    while (form != 0 && !rest.empty() && blank(rest.front())) {
        rest.remove_prefix(1);
    }
    const std::size_t closing = name.find('"', 1);
    Check(commandLine.ends_with(text) && (text.empty() || !blank(text.front())) &&
              (form == 0 || text == rest) &&
              (name.starts_with('"') ? closing == name.size() - 1 ||
                                           (text.empty() && closing == std::string_view::npos)
                                     : std::none_of(name.begin(), name.end(), blank)),
          "the new version's text is the tail behind the program's name and blanks",
          [&] { return Escaped(commandLine) + " gave " + Escaped(text); });

    char written[64];
    std::snprintf(written, sizeof written, "%d.%d.%d.%d", numbers.major, numbers.minor,
                  numbers.build, numbers.revision);
    Check(upgradeprep::ParseVersion(written) == numbers, "four numbers written with dots read back",
          [&] { return std::string(written); });
    // With no run of more than nine digits nothing overflows, and sscanf is the reference.
    VersionNumbers expected;
    const auto digits = [](char c, char) { return c >= '0' && c <= '9'; };
    if (std::search_n(installed.begin(), installed.end(), 10, '0', digits) == installed.end()) {
        (void)std::sscanf(installed.c_str(), "%d.%d.%d.%d", &expected.major, &expected.minor,
                          &expected.build, &expected.revision);
        Check(upgradeprep::ParseVersion(installed) == expected,
              "ParseVersion reads as sscanf(\"%d.%d.%d.%d\") does",
              [&] { return Escaped(installed); });
    }

    // "Upgrade KORVEx from version <old> to version <text>", the old version lettered for 6 and
    // 7 and named as installed otherwise.
    const std::string question = upgradeprep::UpgradeQuestion(installed, text);
    const std::string start = "Upgrade KORVEx from version ", end = " to version " + text;
    const std::size_t letters = question.size() - start.size() - end.size();
    const int major = upgradeprep::ParseVersion(installed).major;
    Check(question.size() >= start.size() + end.size() && question.ends_with(end) &&
              (major == 6   ? question.starts_with(start + "6.") && letters >= 4
               : major == 7 ? question.starts_with(start + "7.0") && letters == 4
                            : question == start + installed + end),
          "the question names the old version and the new text literally",
          [&] { return Escaped(installed) + ", " + Escaped(text) + ": " + Escaped(question); });
    memory::MemoryWindows windows;
    korvex::testing::RegisterKorvex(windows, "C:\\K\\", installed);
    windows.MakeDirectories("C:\\K");
    windows.ui().Answer(platform::Answer::Yes);
    const int code = upgradeprep::RunUpgradePrep(windows.platform(), commandLine);
    const auto& shown = windows.ui().messages();
    Check(code == 0 && shown.size() == 1 && shown[0].request.text == question &&
              windows.Contents("C:\\K\\up.ok") == installed,
          "a registered product is asked the question once, and Yes leaves up.ok",
          [&] { return Escaped(commandLine) + "\n" + korvex::testing::State(windows); });
    return 0;
}
