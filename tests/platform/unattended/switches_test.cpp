// The switches as both programs read them at their start: from arguments at the head of the
// command line, quoted as Windows quotes them, or from the environment; and the command line
// that is left for upgradeprep's new version.
#include "platform/unattended/Switches.h"

#include <gtest/gtest.h>

#include <map>

#include "frontend/driver/Entry.h"
#include "platform/memory/MemoryWindows.h"
#include "upgradeprep/Entry.h"
#include "upgradeprep/UpgradePrep.h"

namespace korvex::unattended {

void PrintTo(const Switches& switches, std::ostream* out) {
    *out << "answers [" << switches.answers << "] log [" << switches.log << "] record ["
         << switches.record << "]";
}

namespace {

// The environment of a person who set the variables by hand; counts its lookups.
struct HandSetEnvironment {
    std::map<std::string, std::string, std::less<>> variables = {{"KORVEX_ANSWERS", "C:\\env.ini"},
                                                                 {"KORVEX_LOG", "C:\\env.log"}};
    int lookups = 0;
    Environment lookup() {
        return [this](std::string_view name) -> std::optional<std::string> {
            ++lookups;
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional(found->second);
        };
    }
};
const Switches kHandSet = {"C:\\env.ini", "", "C:\\env.log"};

TEST(QuoteArgument, AsCommandLineToArgvWReadsIt) {
    const std::pair<std::string, std::string> rows[] = {
        {R"(C:\site.ini)", R"(C:\site.ini)"},
        {"", R"("")"},
        {R"(C:\a b\)", R"("C:\a b\\")"},
        {R"(C:\a b\\)", R"("C:\a b\\\\")"},
        {R"(a"b)", R"("a\"b")"},
        {R"(a\"b)", R"("a\\\"b")"},
        {R"(a\\b c)", R"("a\\b c")"}, // backslashes before anything but a quote stay single
        {"tab\there", "\"tab\there\""},
    };
    for (const auto& [argument, quoted] : rows) {
        EXPECT_EQ(QuoteArgument(argument), quoted) << "argument: " << argument;
    }
}

// Whatever the values, the program reads back what the installation put on the command line,
// and the rest of the line is upgradeprep's new version, as if the switches had not been there.
TEST(ReadProgramStart, SwitchesOnTheCommandLineComeBackExactly) {
    const Switches rows[] = {
        {R"(\\server\korvex\site answers.ini)", "", R"(C:\Windows\Temp\korvex-1\program.log)"},
        {R"(C:\a b\)", R"(C:\rec\\)", R"(C:\)"},
        {R"(C:\"quoted"\a.ini)", R"(a\"b\\"c)", R"(" \")"},
        {"  blanks\tand tabs  ", "=", "/korvex-switches KORVEX_ANSWERS="},
        {"C:\\K\xC3\xA4rnten\\a.ini", "\xCE\xA9", ""},
        {"", "", ""},
    };
    for (const Switches& switches : rows) {
        for (const std::string program : {R"("C:\Temp dir\upgradeprep.exe" )", "up.exe\t "}) {
            for (const std::string version : {"7.1 \"beta\" %s", ""}) {
                const std::string line = program + SwitchesArguments(switches) + "  " + version;
                HandSetEnvironment environment;
                const ProgramStart start = ReadProgramStart(line, environment.lookup());
                EXPECT_EQ(start.error, "") << line;
                EXPECT_EQ(start.switches, switches) << line;
                EXPECT_EQ(upgradeprep::NewVersionText(start.commandLine), version) << line;
                EXPECT_EQ(environment.lookups, 0) << "the environment was asked: " << line;
            }
        }
    }
}

TEST(ReadProgramStart, ArgumentsWrittenByHandAreReadAsWindowsReadsThem) {
    const std::pair<std::string, Switches> rows[] = {
        {R"(/korvex-switches KORVEX_ANSWERS=C:\a.ini KORVEX_LOG="C:\my logs\k.log" KORVEX_RECORD= KORVEX_PROGRESS=C:\p)",
         {R"(C:\a.ini)", "", R"(C:\my logs\k.log)", R"(C:\p)"}},
        {"/korvex-switches\t\"KORVEX_ANSWERS=\\\\s\\k\\a.ini\"  KORVEX_LOG=a\\\\\\\"b "
         "KORVEX_RECORD=\"x\"\"y KORVEX_PROGRESS=",
         {R"(\\s\k\a.ini)", R"(x"y)", R"(a\"b)"}},
        {R"(/korvex-switches KORVEX_ANSWERS=C:\\\a KORVEX_LOG= "KORVEX_RECORD=C:\r ec\\" KORVEX_PROGRESS=)",
         {R"(C:\\\a)", R"(C:\r ec\)", ""}},
    };
    for (const auto& [arguments, switches] : rows) {
        const ProgramStart start =
            ReadProgramStart("up.exe " + arguments + " 7.1", HandSetEnvironment().lookup());
        EXPECT_EQ(start.error, "") << arguments;
        EXPECT_EQ(start.switches, switches) << arguments;
        EXPECT_EQ(start.commandLine, "up.exe 7.1") << arguments;
    }
}

// Command lines that do not open with the switches, those starting with a slash too, reach the
// program exactly as before, and the switches are the environment's.
TEST(ReadProgramStart, OrdinaryCommandLinesStayAsTheyAre) {
    const std::string switches =
        " KORVEX_ANSWERS=C:\\a.ini KORVEX_LOG= KORVEX_RECORD= KORVEX_PROGRESS=";
    const std::string rows[] = {
        R"("C:\Program Files\up prep.exe" 7.1.0.0)",
        "upgradeprep.exe /7.1",
        "upgradeprep.exe /korvex-switches7.1",
        "upgradeprep.exe /korvex-switches:" + switches,
        "upgradeprep.exe /Korvex-Switches" + switches,
        "upgradeprep.exe \"/korvex-switches\"" + switches,
        "upgradeprep.exe 7.1 /korvex-switches" + switches,
        "\"C:\\x\\up.exe /korvex-switches" + switches + "\" 7.1",
        "\"unterminated /korvex-switches" + switches,
        "upgradeprep.exe",
        "",
    };
    for (const std::string& line : rows) {
        HandSetEnvironment environment;
        const ProgramStart start = ReadProgramStart(line, environment.lookup());
        EXPECT_EQ(start.commandLine, line);
        EXPECT_EQ(start.switches, kHandSet) << line;
        EXPECT_EQ(start.error, "") << line;
    }
}

TEST(ReadProgramStart, SwitchesThatCannotBeReadStopBothProgramsBeforeAnythingHappens) {
    const std::string rows[] = {
        "/korvex-switches",
        "/korvex-switches KORVEX_ANSWERS=C:\\a.ini KORVEX_LOG=C:\\k.log",
        "/korvex-switches KORVEX_ANSWERS=C:\\a.ini KORVEX_LOG=C:\\k.log KORVEX_RECORD=",
        "/korvex-switches KORVEX_LOG=C:\\k.log KORVEX_ANSWERS=C:\\a.ini KORVEX_RECORD=",
        "/korvex-switches korvex_answers=C:\\a.ini KORVEX_LOG=C:\\k.log KORVEX_RECORD=",
        "/korvex-switches 7.1.0.0",
    };
    for (const std::string& arguments : rows) {
        const ProgramStart start =
            ReadProgramStart("up.exe " + arguments, HandSetEnvironment().lookup());
        EXPECT_NE(start.error, "") << arguments;
        memory::MemoryWindows windows;
        windows.PutFile("C:\\a.ini", "[upgradeprep]\r\nUpgrade=Yes\r\n");
        const std::vector<std::string> before = windows.Tree("C:\\");
        const Services services{windows.files(), windows.profile(), windows.installer(),
                                windows.system(), windows.ui()};
        EXPECT_EQ(upgradeprep::RunUpgradePrepProgram(start, services), 1603) << arguments;
        EXPECT_EQ(frontend::RunVarenInstall(start, services), 1603) << arguments;
        EXPECT_EQ(windows.Tree("C:\\"), before) << arguments;
        EXPECT_TRUE(windows.ui().transcript().empty()) << arguments;
    }
}

// upgradeprep started as the installation starts it: the answer file and the log of its
// arguments, and the command line without them in the log.
TEST(ReadProgramStart, UpgradePrepRunsWithTheSwitchesOfItsCommandLine) {
    memory::MemoryWindows windows;
    windows.PutFile("C:\\a b.ini", "[upgradeprep]\r\nSearchAndDelete=No\r\n");
    const std::string line = "\"C:\\T\\upgradeprep.exe\" " +
                             SwitchesArguments({"C:\\a b.ini", "", "C:\\r un.log"}) + " 7.1.0.0";
    const int code = upgradeprep::RunUpgradePrepProgram(
        ReadProgramStart(line, HandSetEnvironment().lookup()),
        {windows.files(), windows.profile(), windows.installer(), windows.system(), windows.ui()});
    const std::string log = windows.Contents("C:\\r un.log").value_or("");
    EXPECT_EQ(code, upgradeprep::kExitSearchDeclined) << log;
    EXPECT_NE(log.find("upgradeprep start \"C:\\T\\upgradeprep.exe\" 7.1.0.0 -> done"),
              std::string::npos)
        << log;
}

} // namespace
} // namespace korvex::unattended
