// The upgrade preparation tool on the in-memory Windows: command line, upgrade question,
// registered-product upgrade, search and delete, and failure injection.
#include "product/Korvex.h"
#include "upgradeprep/UpgradePrep.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/memory/MemoryWindows.h"

namespace korvex::upgradeprep {
namespace {

using memory::MemoryWindows;
using memory::Operation;
using platform::Answer;
using platform::DriveType;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::UnorderedElementsAreArray;
namespace attr = platform::attr;

constexpr const char* kProductA = "{11111111-0000-0000-0000-000000000001}";
constexpr const char* kProductB = "{11111111-0000-0000-0000-000000000002}";

// Passes every call on to the in-memory machine and records the searches and changes in order,
// so tests can check the order of the tool's steps.
class RecordingFileSystem final : public platform::FileSystem {
public:
    explicit RecordingFileSystem(platform::FileSystem& inner) : inner_(inner) {}

    std::vector<std::string> record;

    Result<std::unique_ptr<platform::DirectorySearch>> Search(std::string_view pattern) override {
        record.push_back("search " + std::string(pattern));
        return inner_.Search(pattern);
    }
    Result<std::uint32_t> GetAttributes(std::string_view path) override {
        return inner_.GetAttributes(path);
    }
    Result<platform::FileInformation> GetFileInformation(std::string_view path) override {
        return inner_.GetFileInformation(path);
    }
    Status SetAttributes(std::string_view path, std::uint32_t attributes) override {
        record.push_back("attributes " + std::string(path));
        return inner_.SetAttributes(path, attributes);
    }
    Status CopyFile(std::string_view from, std::string_view to) override {
        record.push_back("copy " + std::string(from) + " -> " + std::string(to));
        return inner_.CopyFile(from, to);
    }
    Status MoveFile(std::string_view from, std::string_view to) override {
        record.push_back("move " + std::string(from) + " -> " + std::string(to));
        return inner_.MoveFile(from, to);
    }
    Status DeleteFile(std::string_view path) override {
        record.push_back("delete " + std::string(path));
        return inner_.DeleteFile(path);
    }
    Status CreateDirectory(std::string_view path) override {
        record.push_back("create " + std::string(path));
        return inner_.CreateDirectory(path);
    }
    Status RemoveDirectory(std::string_view path) override {
        record.push_back("remove " + std::string(path));
        return inner_.RemoveDirectory(path);
    }
    Result<std::string> GetShortPathName(std::string_view path) override {
        return inner_.GetShortPathName(path);
    }
    Result<std::string> ReadFile(std::string_view path) override { return inner_.ReadFile(path); }
    Status WriteFile(std::string_view path, std::string_view bytes) override {
        record.push_back("write " + std::string(path));
        return inner_.WriteFile(path, bytes);
    }
    Status AppendFile(std::string_view path, std::string_view bytes) override {
        record.push_back("append " + std::string(path));
        return inner_.AppendFile(path, bytes);
    }
    std::uint32_t LogicalDrives() override { return inner_.LogicalDrives(); }
    DriveType GetDriveType(std::string_view root) override { return inner_.GetDriveType(root); }
    Result<std::string> CurrentDirectory() override { return inner_.CurrentDirectory(); }
    Result<std::string> WindowsDirectory() override { return inner_.WindowsDirectory(); }

    // The recorded lines that start with `prefix` ("move ", "delete ").
    std::vector<std::string> Lines(std::string_view prefix) const {
        std::vector<std::string> lines;
        for (const std::string& line : record) {
            if (line.starts_with(prefix)) {
                lines.push_back(line);
            }
        }
        return lines;
    }
    // Position of the first recorded line equal to `line`, or -1.
    int IndexOf(std::string_view line) const {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (record[i] == line) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

private:
    platform::FileSystem& inner_;
};

// A fresh in-memory Windows with the recorder in front of its file system and a log kept on a
// machine of its own, so the log's writes neither count nor fail with the machine's.
struct TestMachine {
    MemoryWindows windows;
    RecordingFileSystem files{windows.files()};
    MemoryWindows logBook;
    platform::Log log{logBook.files(), logBook.system(), "upgradeprep", "C:\\upgradeprep.log"};
    platform::Platform platform{
        files, windows.profile(), windows.installer(), windows.system(), windows.ui(), log};

    int Run(std::string_view commandLine = "upgradeprep.exe 7.1") {
        return RunUpgradePrep(platform, commandLine);
    }
    std::string LogText() const { return logBook.Contents("C:\\upgradeprep.log").value_or(""); }
    // What a failed expectation shows: the machine, the questions and the recorded steps.
    std::string State() {
        std::string state = windows.Describe() + "\nshown:\n";
        for (const std::string& line : windows.ui().transcript()) {
            state += "  " + line + "\n";
        }
        state += "file system calls:\n";
        for (const std::string& line : files.record) {
            state += "  " + line + "\n";
        }
        return state + "log:\n" + LogText();
    }
    // The names of a directory's entries, one level, without attribute marks.
    std::set<std::string> Names(std::string_view directory) const {
        std::set<std::string> names;
        for (std::string line : windows.Tree(directory)) {
            if (const auto mark = line.find(" ["); mark != std::string::npos) {
                line.resize(mark);
            }
            if (line.find('\\') == std::string::npos || line.find('\\') == line.size() - 1) {
                names.insert(line);
            }
        }
        return names;
    }
    void AddProduct(const std::string& code, const std::string& name, const std::string& version,
                    std::optional<std::string> programPath) {
        memory::InstalledProduct product;
        product.productCode = code;
        product.properties["InstalledProductName"] = name;
        product.properties["VersionString"] = version;
        if (programPath) {
            product.componentPaths[std::string(product::kMainProgramComponent)] = *programPath;
        }
        windows.AddProduct(std::move(product));
    }
};

// ---------------------------------------------------------------------------------------------
// Command line, version numbers and the upgrade question.

TEST(NewVersionText, IsTheRemainderAfterTheProgramNameAndItsBlanks) {
    struct Row {
        std::string commandLine;
        std::string text;
    } rows[] = {
        {"upgradeprep.exe 7.1", "7.1"},
        {"C:\\Setup\\upgradeprep.exe 7.1 beta", "7.1 beta"},
        {"\"C:\\Program Files\\Setup\\up prep.exe\" 7.1 beta", "7.1 beta"},
        {"\"C:\\x\\upgradeprep.exe\"7.1", "7.1"},
        {"\"\" 7.1", "7.1"},
        {"upgradeprep.exe   \t  7.1", "7.1"},
        {"upgradeprep.exe\t7.1", "7.1"},
        {std::string("upgradeprep.exe\x01\x1f 7.1"), "7.1"},
        {"upgradeprep.exe 7.1  trailing  ", "7.1  trailing  "},
        {"upgradeprep.exe 7.1 \"quoted\"", "7.1 \"quoted\""},
        {"pr\xc3\xb6gram.exe 7.1", "7.1"}, // UTF-8 bytes belong to the name
        {"upgradeprep.exe", ""},
        {"upgradeprep.exe   ", ""},
        {"\"C:\\x\\upgradeprep.exe\"", ""},
        {"\"unterminated name 7.1", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(NewVersionText(row.commandLine), row.text) << "command line: " << row.commandLine;
    }
}

TEST(NewVersionText, KeepsALongRemainderWhole) {
    const std::string text = "7.1 " + std::string(5000, 'x') + " end";
    EXPECT_EQ(NewVersionText("\"C:\\" + std::string(300, 'd') + "\\upgradeprep.exe\" " + text),
              text);
}

TEST(ParseVersion, ReadsFourNumbersAndCountsMissingOnesAsZero) {
    struct Row {
        std::string text;
        VersionNumbers numbers;
    } rows[] = {
        {"6.0.24.0", {6, 0, 24, 0}},
        {"7.2.5.9", {7, 2, 5, 9}},
        {"7.2.5", {7, 2, 5, 0}},
        {"7.2", {7, 2, 0, 0}},
        {"6", {6, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"beta", {0, 0, 0, 0}},
        {"6.x.24.0", {6, 0, 0, 0}}, // reading stops at the first malformed number
        {"6..24.0", {6, 0, 0, 0}},
        {"6.0.24.0.99", {6, 0, 24, 0}}, // what follows the fourth number is ignored
        {"6.0.24-beta", {6, 0, 24, 0}},
        {" 7. 1.+3.-2", {7, 1, 3, -2}}, // blanks and signs before a number, as "%d" takes them
        {"7 .1", {7, 0, 0, 0}},         // but the dots must follow at once
        {"99999999999999999999.1", {2147483647, 1, 0, 0}},
        {"-99999999999999999999.1", {-2147483647 - 1, 1, 0, 0}},
    };
    for (const Row& row : rows) {
        const VersionNumbers got = ParseVersion(row.text);
        EXPECT_EQ(got, row.numbers) << "\"" << row.text << "\" gave " << got.major << "."
                                    << got.minor << "." << got.build << "." << got.revision;
    }
}

TEST(UpgradeQuestion, NamesTheInstalledVersionByItsLetter) {
    struct Row {
        std::string installed;
        std::string shown;
    } rows[] = {
        {"6.0.24.0", "6.0W"},
        {"6.1.14.0", "6.1N"},
        {"6.0.0.0", "6.0N"},
        {"6.0.17.0", "6.0N"},
        {"6.0.-5.0", "6.0N"},
        {"6.0.18.0", "6.0R"},
        {"6.2.22.0", "6.2V"},
        {"6.0.23.0", "6.0V"}, // 22 and 23 both show V
        {"6.0.25.0", "6.0X"},
        {"6.3.26.0", "6.0w(b)"}, // the fixed texts show 6.0 whatever the minor number
        {"6.0.27.0", "6.0w(c)"},
        {"6.1.28.1", "6.0w(d)"},
        {"6.0.29.0", "6.0\\"},   // letter(28)
        {"6.0.90.0", "6.0\x19"}, // 64 + 89 taken modulo 128
        {"7.2.5.0", "7.0B"},
        {"7.0.3.0", "7.0C"},
        {"7.14.0.0", "7.0N"},
        // Missing numbers count as 0.
        {"6", "6.0N"},
        {"6.1", "6.1N"},
        {"7.0.3", "7.0C"},
        {"7", "7.0@"},
        // Other major versions name the installed version string as it is.
        {"5.1.2.3", "5.1.2.3"},
        {"8.0.1.0", "8.0.1.0"},
        {"", ""},
        {"beta 2", "beta 2"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(UpgradeQuestion(row.installed, "7.1"),
                  "Upgrade KORVEx from version " + row.shown + " to version 7.1")
            << "installed " << row.installed;
    }
}

TEST(UpgradeQuestion, TakesTheNewVersionTextWholeAndLiterally) {
    const std::string percent = "%s%n%d%%";
    EXPECT_EQ(UpgradeQuestion("6.1.14.0", percent),
              "Upgrade KORVEx from version 6.1N to version %s%n%d%%");
    const std::string longText(4000, 'v');
    EXPECT_EQ(UpgradeQuestion("7.2.5.0", longText),
              "Upgrade KORVEx from version 7.0B to version " + longText);
    const std::string longInstalled = "8." + std::string(300, '1');
    EXPECT_EQ(UpgradeQuestion(longInstalled, "%s"),
              "Upgrade KORVEx from version " + longInstalled + " to version %s");
}

// ---------------------------------------------------------------------------------------------
// A product registered with the Windows Installer: the upgrade question and the marker file.

class RegisteredProductTest : public testing::Test {
protected:
    TestMachine m;
};

TEST_F(RegisteredProductTest, YesWritesTheVersionStringBesideTheMainProgram) {
    m.windows.PutFile("C:\\Program Files\\KORVEx\\korvex.exe", "MZ");
    m.AddProduct(kProductA, "YMV Tools", "1.0.0.0", "C:\\Tools\\ymv.exe");
    m.AddProduct(kProductB, "KORVEx", "6.0.24.0", "C:\\Program Files\\KORVEx\\korvex.exe");
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run("\"C:\\Setup\\upgradeprep.exe\"  7.1.0.2"), 0) << m.State();

    ASSERT_EQ(m.windows.ui().messages().size(), 1u) << m.State();
    const platform::MessageBoxRequest& asked = m.windows.ui().messages()[0].request;
    EXPECT_EQ(asked.text, "Upgrade KORVEx from version 6.0W to version 7.1.0.2");
    EXPECT_EQ(asked.title, "KORVEX");
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.icon, platform::Icon::None);
    EXPECT_EQ(asked.prompt, "Upgrade");
    EXPECT_EQ(m.windows.Contents("C:\\Program Files\\KORVEx\\up.ok"), "6.0.24.0") << m.State();
    // The marker is the only change: nothing is deleted or moved.
    EXPECT_EQ(m.files.record, std::vector<std::string>{"write C:\\Program Files\\KORVEx\\up.ok"});
    EXPECT_THAT(m.LogText(), HasSubstr(kProductB));
}

TEST_F(RegisteredProductTest, TheFirstOfTwoProductsNamedKorvexIsUsed) {
    m.AddProduct(kProductA, "KORVEx", "7.0.3.0", "D:\\First\\korvex.exe");
    m.AddProduct(kProductB, "KORVEx", "6.1.14.0", "C:\\Second\\korvex.exe");
    m.windows.AddDrive('D', DriveType::Fixed);
    m.windows.MakeDirectories("D:\\First");
    m.windows.MakeDirectories("C:\\Second");
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    ASSERT_EQ(m.windows.ui().messages().size(), 1u);
    EXPECT_EQ(m.windows.ui().messages()[0].request.text,
              "Upgrade KORVEx from version 7.0C to version 7.1");
    EXPECT_EQ(m.windows.Contents("D:\\First\\up.ok"), "7.0.3.0") << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\Second\\up.ok")) << m.State();
}

TEST_F(RegisteredProductTest, ANameDifferingInCaseOrBlanksIsNotTheProduct) {
    for (const char* name : {"korvex", "KORVEX", "KORVEx ", " KORVEx", "KORVEx\t", ""}) {
        TestMachine trial;
        trial.AddProduct(kProductA, name, "6.0.24.0", "C:\\KORVEx\\korvex.exe");
        trial.windows.ui().Answer(Answer::No);

        EXPECT_EQ(trial.Run(), 259) << "name \"" << name << "\"\n" << trial.State();
        ASSERT_EQ(trial.windows.ui().messages().size(), 1u);
        EXPECT_EQ(trial.windows.ui().messages()[0].request.text, kAnnouncementText);
    }
}

TEST_F(RegisteredProductTest, AnInstallerThatCannotBeQueriedMeansNoRegisteredProduct) {
    m.AddProduct(kProductA, "KORVEx", "6.0.24.0", "C:\\KORVEx\\korvex.exe");
    m.windows.SetInstallerAvailable(false);
    m.windows.ui().Answer(Answer::No);
    EXPECT_EQ(m.Run(), 259) << m.State();
    EXPECT_EQ(m.windows.ui().messages()[0].request.prompt, "SearchAndDelete");
}

TEST_F(RegisteredProductTest, NoEndsWith1602AndWritesNothing) {
    m.windows.MakeDirectories("C:\\KORVEx");
    m.AddProduct(kProductA, "KORVEx", "7.2.5.0", "C:\\KORVEx\\korvex.exe");
    m.windows.ui().Answer(Answer::No);

    EXPECT_EQ(m.Run(), 1602) << m.State();
    EXPECT_EQ(m.windows.ui().messages()[0].request.text,
              "Upgrade KORVEx from version 7.0B to version 7.1");
    EXPECT_EQ(m.windows.Count(Operation::WriteFile), 0u) << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\KORVEx\\up.ok"));
}

// Without a usable path of the main program there is nowhere to put the marker; the question
// is still asked and the answer still decides the exit code.
TEST_F(RegisteredProductTest, NoMarkerWithoutAUsableProgramPath) {
    struct Row {
        const char* what;
        std::optional<std::string> path; // nothing: the component is not installed
        bool failQuery;
    } rows[] = {
        {"component not installed", std::nullopt, false},
        {"query failing", std::string("C:\\KORVEx\\korvex.exe"), true},
        {"path shorter than korvex.exe", std::string("orvex.exe"), false},
        {"empty path", std::string(""), false},
    };
    for (const Row& row : rows) {
        for (Answer answer : {Answer::Yes, Answer::No}) {
            TestMachine trial;
            trial.windows.MakeDirectories("C:\\KORVEx");
            trial.AddProduct(kProductA, "KORVEx", "6.1.14.0", row.path);
            if (row.failQuery) {
                trial.windows.FailNth(Operation::ComponentPath, 1, win::kUnknownComponent);
            }
            trial.windows.ui().Answer(answer);

            const int exitCode = trial.Run();
            SCOPED_TRACE(std::string(row.what) + (answer == Answer::Yes ? ", Yes" : ", No"));
            EXPECT_EQ(exitCode, answer == Answer::Yes ? 0 : 1602) << trial.State();
            ASSERT_EQ(trial.windows.ui().messages().size(), 1u);
            EXPECT_EQ(trial.windows.ui().messages()[0].request.text,
                      "Upgrade KORVEx from version 6.1N to version 7.1");
            EXPECT_EQ(trial.windows.Count(Operation::WriteFile), 0u) << trial.State();
            if (answer == Answer::Yes) {
                EXPECT_THAT(trial.LogText(), HasSubstr("not written")) << trial.State();
            }
        }
    }
}

TEST_F(RegisteredProductTest, LongPathsVersionsAndCommandLinesAreTakenWhole) {
    const std::string directory = "C:\\" + std::string(120, 'p') + "\\" + std::string(90, 'q');
    const std::string version = "6.0.26.0 build " + std::string(200, '7');
    const std::string newText = "%s%n 7.1 " + std::string(300, 'n');
    m.windows.MakeDirectories(directory);
    m.AddProduct(kProductA, "KORVEx", version, directory + "\\korvex.exe");
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run("upgradeprep.exe " + newText), 0) << m.State();

    EXPECT_EQ(m.windows.ui().messages()[0].request.text,
              "Upgrade KORVEx from version 6.0w(b) to version " + newText);
    EXPECT_EQ(m.windows.Contents(directory + "\\up.ok"), version) << m.State();
}

TEST_F(RegisteredProductTest, AnUnansweredQuestionStopsTheRunWith1603) {
    m.windows.MakeDirectories("C:\\KORVEx");
    m.AddProduct(kProductA, "KORVEx", "7.2.5.0", "C:\\KORVEx\\korvex.exe");
    // No answer queued: the scripted user interface stops the run.
    EXPECT_EQ(m.Run(), 1603) << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\KORVEx\\up.ok"));
    EXPECT_THAT(m.LogText(), HasSubstr("exit code 1603")) << m.State();
}

// ---------------------------------------------------------------------------------------------
// No registered product: search for an earlier installation and delete it.

// The configuration files of an earlier installation, with distinct contents.
const std::vector<std::pair<std::string, std::string>> kConfiguration = {
    {"netio.ini", "[net]"},  {"common.cfg", "common"}, {"csuinfo.cfg", "csu"},
    {"msginfo.cfg", "info"}, {"msgfilt.cfg", "filt"},  {"panel.cfg", "panel"},
    {"site.cfg", "site"},    {"A.4kr", "map a"},       {"b.4KR", "map b"},
    {"c.4kp", "map c"},
};

class SearchAndDeleteTest : public testing::Test {
protected:
    TestMachine m;

    // An earlier installation on a drive: its main program and configuration files.
    void PutEarlierInstallation(MemoryWindows& windows, char drive) {
        const std::string program = std::string{drive, ':', '\\'} + "korvex\\";
        windows.PutFile(program + "korvex.exe", "MZ old");
        for (const auto& [name, bytes] : kConfiguration) {
            windows.PutFile(program + name, bytes);
        }
    }
};

TEST_F(SearchAndDeleteTest, NoToTheAnnouncementEndsWith259AndTouchesNothing) {
    PutEarlierInstallation(m.windows, 'C');
    m.windows.PutFile("C:\\WINDOWS\\desktop\\korvex.lnk", "link");
    m.windows.ui().Answer(Answer::No);

    EXPECT_EQ(m.Run(), 259) << m.State();

    ASSERT_EQ(m.windows.ui().messages().size(), 1u);
    const platform::MessageBoxRequest& asked = m.windows.ui().messages()[0].request;
    EXPECT_EQ(asked.text, "The installer will now search for and DELETE\nany previous versions of "
                          "KORVEx\nDo you wish to continue");
    EXPECT_EQ(asked.title, "KORVEX");
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.icon, platform::Icon::None);
    EXPECT_EQ(asked.prompt, "SearchAndDelete");
    EXPECT_TRUE(m.files.record.empty()) << m.State();
    EXPECT_EQ(m.windows.Count(Operation::GetDriveType), 0u);
}

TEST_F(SearchAndDeleteTest, ShortcutsOfBothPatternsGoAndTheFoldersStay) {
    const std::string menu = "C:\\WINDOWS\\Start Menu\\Programs\\KORVEx\\";
    m.windows.PutFile(menu + "KORVEx.lnk", "l");
    m.windows.PutFile(menu + "Map editor.LNK", "l");
    m.windows.PutFile(menu + "readme.txt", "t");
    m.windows.PutFile("C:\\WINDOWS\\Desktop\\korvex.lnk", "l");
    m.windows.PutFile("C:\\WINDOWS\\Desktop\\KORVEX 6.lnk", "l");
    m.windows.PutFile("C:\\WINDOWS\\Desktop\\other.lnk", "l");
    m.windows.PutFile("C:\\WINDOWS\\Desktop\\korvex.txt", "t");
    m.windows.ui().Answer(Answer::Yes);

    // No earlier installation anywhere: the run ends after the shortcuts.
    EXPECT_EQ(m.Run(), 0) << m.State();

    EXPECT_EQ(m.windows.ui().messages().size(), 1u) << m.State();
    EXPECT_EQ(m.Names(menu), std::set<std::string>{"readme.txt"}) << m.State();
    EXPECT_EQ(m.Names("C:\\WINDOWS\\Desktop"), (std::set<std::string>{"other.lnk", "korvex.txt"}))
        << m.State();
    EXPECT_TRUE(m.windows.IsDirectoryAt(menu));
    EXPECT_EQ(m.windows.Count(Operation::RemoveDirectory), 0u);
}

TEST_F(SearchAndDeleteTest, ALongWindowsDirectoryIsTakenWhole) {
    const std::string windowsDirectory =
        "C:\\" + std::string(100, 'w') + "\\" + std::string(100, 'x');
    m.windows.SetWindowsDirectory(windowsDirectory);
    m.windows.PutFile(windowsDirectory + "\\start menu\\programs\\korvex\\KORVEx.lnk", "l");
    m.windows.PutFile(windowsDirectory + "\\desktop\\korvex.lnk", "l");
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    EXPECT_FALSE(m.windows.Exists(windowsDirectory + "\\start menu\\programs\\korvex\\KORVEx.lnk"))
        << m.State();
    EXPECT_FALSE(m.windows.Exists(windowsDirectory + "\\desktop\\korvex.lnk")) << m.State();
}

TEST_F(SearchAndDeleteTest, OnlyFixedDrivesAreSearched) {
    const std::pair<char, DriveType> others[] = {
        {'A', DriveType::Removable}, {'D', DriveType::Remote},  {'E', DriveType::CdRom},
        {'F', DriveType::RamDisk},   {'G', DriveType::Unknown},
    };
    for (const auto& [letter, type] : others) {
        m.windows.AddDrive(letter, type);
        PutEarlierInstallation(m.windows, letter);
    }
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    EXPECT_EQ(m.windows.ui().messages().size(), 1u) << m.State();
    EXPECT_TRUE(m.files.Lines("delete").empty()) << m.State();
    EXPECT_TRUE(m.files.Lines("move").empty()) << m.State();
}

TEST_F(SearchAndDeleteTest, OnlyTheFirstDriveWithTheMainProgramIsHandled) {
    // C: has a korvex folder without the main program file (a directory of its name does not
    // count); D: and F: have installations.
    m.windows.PutFile("C:\\korvex\\netio.ini", "[net] on C");
    m.windows.MakeDirectories("C:\\korvex\\korvex.exe\\not the program");
    m.windows.AddDrive('D', DriveType::Fixed);
    m.windows.AddDrive('E', DriveType::Removable);
    m.windows.AddDrive('F', DriveType::Fixed);
    PutEarlierInstallation(m.windows, 'D');
    PutEarlierInstallation(m.windows, 'F');
    const std::vector<std::string> untouchedF = m.windows.Tree("F:\\");
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::No);

    EXPECT_EQ(m.Run(), 0) << m.State();

    ASSERT_EQ(m.windows.ui().messages().size(), 2u) << m.State();
    const platform::MessageBoxRequest& keep = m.windows.ui().messages()[1].request;
    EXPECT_EQ(keep.text, "A previous version of KORVEX has been detected\n Do you wish to keep "
                         "your confiuration files");
    EXPECT_EQ(keep.title, "KORVEX");
    EXPECT_EQ(keep.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(keep.icon, platform::Icon::None);
    EXPECT_EQ(keep.prompt, "KeepConfiguration");
    EXPECT_FALSE(m.windows.Exists("D:\\korvex\\korvex.exe")) << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\korvex\\netio.ini"), "[net] on C");
    EXPECT_EQ(m.windows.Tree("F:\\"), untouchedF) << m.State();
    for (const std::string& line : m.files.record) {
        EXPECT_FALSE(line.find("F:\\") != std::string::npos) << line;
    }
}

TEST_F(SearchAndDeleteTest, KeepingMovesTheConfigurationIntoTheHoldingDirectory) {
    PutEarlierInstallation(m.windows, 'C');
    m.windows.PutFile("C:\\korvex\\notes.doc", "notes");
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    std::set<std::string> held;
    for (const auto& [name, bytes] : kConfiguration) {
        const std::string heldName = name == "netio.ini" ? "cnetio.ini" : name;
        held.insert(heldName);
        EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\" + heldName), bytes) << heldName << "\n"
                                                                         << m.State();
    }
    EXPECT_EQ(m.Names("C:\\tmptelm"), held) << m.State();
    // The configuration files are gone from the program directory, moved or deleted; what is
    // not on the deletion list stays.
    EXPECT_EQ(m.Names("C:\\korvex"), std::set<std::string>{"notes.doc"}) << m.State();
}

// MSGINFO.CFG in capitals is not "msginfo.cfg": it goes with the first pass. msgfilt.cfg waits
// for the second pass, after the *.4kr and *.4kp files.
TEST_F(SearchAndDeleteTest, TheMessageFilesAreMovedLast) {
    m.windows.PutFile("C:\\korvex\\korvex.exe", "MZ");
    m.windows.PutFile("C:\\korvex\\MSGINFO.CFG", "INFO");
    m.windows.PutFile("C:\\korvex\\msgfilt.cfg", "filt");
    m.windows.PutFile("C:\\korvex\\panel.cfg", "panel");
    m.windows.PutFile("C:\\korvex\\a.4kr", "a");
    m.windows.PutFile("C:\\korvex\\b.4kp", "b");
    m.windows.PutFile("C:\\korvex\\netio.ini", "net");
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    const std::vector<std::string> expected = {
        "create C:\\tmptelm",
        "move C:\\korvex\\netio.ini -> C:\\tmptelm\\cnetio.ini",
        "search C:\\korvex\\*.cfg",
        "move C:\\korvex\\MSGINFO.CFG -> C:\\tmptelm\\MSGINFO.CFG",
        "move C:\\korvex\\panel.cfg -> C:\\tmptelm\\panel.cfg",
        "search C:\\korvex\\*.4kr",
        "move C:\\korvex\\a.4kr -> C:\\tmptelm\\a.4kr",
        "search C:\\korvex\\*.4kp",
        "move C:\\korvex\\b.4kp -> C:\\tmptelm\\b.4kp",
        "search C:\\korvex\\*.cfg",
        "move C:\\korvex\\msgfilt.cfg -> C:\\tmptelm\\msgfilt.cfg",
    };
    const int start = m.files.IndexOf("create C:\\tmptelm");
    ASSERT_GE(start, 0) << m.State();
    // The preservation's steps: from the holding directory's creation to the last move.
    std::vector<std::string> preserve;
    std::size_t lastMove = start;
    for (std::size_t i = start; i < m.files.record.size(); ++i) {
        if (m.files.record[i].starts_with("move")) {
            lastMove = i;
        }
    }
    for (std::size_t i = start; i <= lastMove; ++i) {
        preserve.push_back(m.files.record[i]);
    }
    // Within one listing the order is the file system's: compare the moves of one pass as sets.
    ASSERT_EQ(preserve.size(), expected.size()) << m.State();
    EXPECT_THAT(std::vector(preserve.begin(), preserve.begin() + 3),
                ElementsAreArray(expected.begin(), expected.begin() + 3));
    EXPECT_THAT(std::vector(preserve.begin() + 3, preserve.begin() + 5),
                UnorderedElementsAreArray(expected.begin() + 3, expected.begin() + 5));
    EXPECT_THAT(std::vector(preserve.begin() + 5, preserve.end()),
                ElementsAreArray(expected.begin() + 5, expected.end()))
        << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\MSGINFO.CFG"), "INFO");
}

TEST_F(SearchAndDeleteTest, AHeldFileIsNotReplacedAndTheProgramCopyIsDeleted) {
    PutEarlierInstallation(m.windows, 'C');
    m.windows.PutFile("C:\\tmptelm\\common.cfg", "held earlier");
    m.windows.PutFile("C:\\tmptelm\\cnetio.ini", "net held earlier");
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\common.cfg"), "held earlier") << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\cnetio.ini"), "net held earlier") << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\korvex\\common.cfg")) << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\korvex\\netio.ini")) << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\panel.cfg"), "panel");
}

// The deletion list, checked once whole: every listed file goes, in the list's order, and
// nothing else of the program directory; of TCPIP only the archive-only files go.
TEST_F(SearchAndDeleteTest, DeclinedKeepDeletesTheListedFilesInOrder) {
    for (std::string_view name : kDeletionList) {
        m.windows.PutFile("C:\\korvex\\" + std::string(name), "old " + std::string(name));
    }
    const std::set<std::string> extras = {"site.cfg",  "a.4kr",   "b.4kp",
                                          "netio.bak", "TCPIP\\", "maps\\"};
    m.windows.PutFile("C:\\korvex\\site.cfg", "site");
    m.windows.PutFile("C:\\korvex\\a.4kr", "a");
    m.windows.PutFile("C:\\korvex\\b.4kp", "b");
    m.windows.PutFile("C:\\korvex\\netio.bak", "bak");
    m.windows.PutFile("C:\\korvex\\maps\\m1.map", "map");
    struct TcpipFile {
        const char* name;
        std::uint32_t attributes;
        bool deleted;
    } tcpip[] = {
        {"hosts", attr::kArchive, true},
        {"services.ymv", attr::kArchive, true},
        {"locked", attr::kArchive | attr::kReadOnly, false},
        {"secret", attr::kArchive | attr::kHidden, false},
        {"system.dat", attr::kArchive | attr::kSystem, false},
        {"plain", attr::kNormal, true},
        {"unindexed", attr::kNotContentIndexed | attr::kCompressed, true},
        {"readonly", attr::kReadOnly, false},
    };
    for (const TcpipFile& file : tcpip) {
        m.windows.PutFile(std::string("C:\\korvex\\TCPIP\\") + file.name, "x", file.attributes);
    }
    m.windows.MakeDirectories("C:\\korvex\\TCPIP\\sub");
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::No);

    EXPECT_EQ(m.Run(), 0) << m.State();

    std::vector<std::string> expectedDeletes;
    for (std::string_view name : kDeletionList) {
        expectedDeletes.push_back("delete C:\\korvex\\" + std::string(name));
    }
    std::vector<std::string> deletes = m.files.Lines("delete");
    ASSERT_GE(deletes.size(), expectedDeletes.size()) << m.State();
    deletes.resize(expectedDeletes.size());
    EXPECT_EQ(deletes, expectedDeletes) << m.State();
    EXPECT_EQ(m.Names("C:\\korvex"), extras) << m.State();
    for (const TcpipFile& file : tcpip) {
        EXPECT_EQ(m.windows.Exists(std::string("C:\\korvex\\TCPIP\\") + file.name), !file.deleted)
            << file.name << "\n"
            << m.State();
    }
    EXPECT_TRUE(m.windows.IsDirectoryAt("C:\\korvex\\TCPIP\\sub"));
    EXPECT_FALSE(m.windows.Exists("C:\\tmptelm")) << m.State();
    EXPECT_TRUE(m.files.Lines("move").empty()) << m.State();
    EXPECT_EQ(m.windows.Count(Operation::RemoveDirectory), 0u);
}

TEST_F(SearchAndDeleteTest, AConfigurationFileThatCannotBeHeldIsKept) {
    PutEarlierInstallation(m.windows, 'C');
    m.windows.PutFile("C:\\korvex\\korvex.hlp", "help");
    m.windows.FailPath(Operation::MoveFile, "C:\\korvex\\common.cfg", win::kSharingViolation);
    m.windows.FailPath(Operation::MoveFile, "C:\\korvex\\netio.ini", win::kAccessDenied);
    m.windows.ui().Answer(Answer::Yes);
    m.windows.ui().Answer(Answer::Yes);

    EXPECT_EQ(m.Run(), 0) << m.State();

    EXPECT_EQ(m.windows.Contents("C:\\korvex\\common.cfg"), "common") << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\korvex\\netio.ini"), "[net]") << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\korvex\\korvex.hlp")) << m.State();
    EXPECT_FALSE(m.windows.Exists("C:\\korvex\\korvex.exe")) << m.State();
    EXPECT_EQ(m.windows.Contents("C:\\tmptelm\\panel.cfg"), "panel") << m.State();
    EXPECT_THAT(m.LogText(), HasSubstr("C:\\korvex\\common.cfg")) << m.State();
    EXPECT_THAT(m.LogText(), HasSubstr("C:\\korvex\\netio.ini")) << m.State();
}

// Whichever single operation of the run fails, every configuration file is afterwards either
// held or still in the program directory, with its bytes.
TEST_F(SearchAndDeleteTest, NoSingleFailureLosesAConfigurationFile) {
    std::uint64_t operations = 0;
    {
        TestMachine clean;
        PutEarlierInstallation(clean.windows, 'C');
        clean.windows.ui().Answer(Answer::Yes);
        clean.windows.ui().Answer(Answer::Yes);
        ASSERT_EQ(clean.Run(), 0) << clean.State();
        operations = clean.windows.TotalCount();
        ASSERT_GE(clean.windows.Count(Operation::MoveFile), kConfiguration.size());
    }
    for (std::uint32_t code : {win::kSharingViolation, win::kAlreadyExists, win::kDiskFull}) {
        for (std::uint64_t n = 1; n <= operations; ++n) {
            TestMachine trial;
            PutEarlierInstallation(trial.windows, 'C');
            trial.windows.ui().Answer(Answer::Yes);
            trial.windows.ui().Answer(Answer::Yes);
            trial.windows.FailNthOverall(n, code);

            trial.Run();

            for (const auto& [name, bytes] : kConfiguration) {
                const std::string heldName = name == "netio.ini" ? "cnetio.ini" : name;
                const bool held = trial.windows.Contents("C:\\tmptelm\\" + heldName) == bytes;
                const bool left = trial.windows.Contents("C:\\korvex\\" + name) == bytes;
                EXPECT_TRUE(held || left)
                    << name << " lost when operation " << n << " failed with " << code << "\n"
                    << trial.State();
            }
        }
    }
}

} // namespace
} // namespace korvex::upgradeprep
