// The description of the answer file against what it describes: the checked-in reference page
// written from it, the example files of the repository, and the questions the programs really
// ask, with their titles and texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "frontend/driver/Entry.h"
#include "platform/unattended/DialogAnswers.h"
#include "product/AnswerFile.h"
#include "product/AnswerFileReference.h"
#include "support/Machines.h"
#include "upgradeprep/Entry.h"

namespace korvex::product {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Why each program refuses the file; empty when both accept it.
std::string Refusals(std::string_view bytes) {
    std::string why, error;
    if (!unattended::AnswerFile::Parse(bytes, frontend::VarenInstallAnswerSchema(), error)) {
        why += "VarenInstall: " + error + "\n";
    }
    if (!unattended::AnswerFile::Parse(bytes, upgradeprep::UpgradePrepAnswerSchema(), error)) {
        why += "upgradeprep: " + error + "\n";
    }
    return why;
}

TEST(AnswerFileReference, IsTheCheckedInPage) {
    const fs::path page = fs::path(KORVEX_SOURCE_DIR) / "docs" / "answer-file.md";
    const std::string written = AnswerFileReference(), checkedIn = ReadAll(page);
    if (checkedIn == written) {
        return;
    }
    std::size_t at = 0; // the first byte of the first line that differs
    while (at < written.size() && at < checkedIn.size() && written[at] == checkedIn[at]) {
        ++at;
    }
    const std::size_t newline = at == 0 ? std::string::npos : written.rfind('\n', at - 1);
    at = newline == std::string::npos ? 0 : newline + 1;
    const auto line = [at](const std::string& text) {
        return at < text.size() ? text.substr(at, text.find('\n', at) - at) : "<end>";
    };
    FAIL() << page.string() << " differs from the description in product/AnswerFile.cpp at line "
           << std::count(written.begin(), written.begin() + at, '\n') + 1
           << ":\n  written from the description: " << line(written)
           << "\n  checked in:                   " << line(checkedIn)
           << "\nRun scripts/answer-file-reference to write the page again.";
}

// Every answer file of the repository's scripts, tests, package and documentation.
TEST(AnswerFile, EveryExampleFileIsAcceptedByBothPrograms) {
    std::vector<fs::path> examples;
    for (const char* folder : {"scripts", "tests", "packaging", "docs"}) {
        const fs::path root = fs::path(KORVEX_SOURCE_DIR) / folder;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(
                 root, fs::directory_options::skip_permission_denied)) {
            if (entry.is_regular_file() && entry.path().extension() == ".ini") {
                examples.push_back(entry.path());
            }
        }
    }
    EXPECT_NE(std::find(examples.begin(), examples.end(),
                        fs::path(KORVEX_SOURCE_DIR) / "scripts" / "demo-answers.ini"),
              examples.end());
    for (const fs::path& example : examples) {
        EXPECT_EQ(Refusals(ReadAll(example)), "") << example;
    }
}

// Whether the shown text is the described one, each "{...}" standing for any text.
bool Matches(std::string_view described, std::string_view shown) {
    const std::size_t open = described.find('{');
    if (open == std::string_view::npos) {
        return described == shown;
    }
    if (shown.substr(0, open) != described.substr(0, open)) {
        return false;
    }
    const std::string_view rest = described.substr(described.find('}', open) + 1);
    for (std::size_t end = open; end <= shown.size(); ++end) {
        if (Matches(rest, shown.substr(end))) {
            return true;
        }
    }
    return false;
}

// A person who answers Yes to every question and takes every map step the dialogs offer (the
// old maps, the Mira maps for system 1), remembering what was asked.
class SayingYes final : public platform::UserInterface {
public:
    platform::Answer ShowMessage(const platform::MessageBoxRequest& request) override {
        if (request.buttons != platform::Buttons::YesNo) {
            return platform::Answer::Ok;
        }
        asked.push_back(request);
        return platform::Answer::Yes;
    }
    platform::DialogClose ShowDialog(platform::DialogModel& dialog) override {
        dialog.Load();
        for (const char* control : {"ConvertOption", "CopyMira", "Check1(0)"}) {
            dialog.SetChecked(control, true);
        }
        return unattended::PressButton(dialog, "OK");
    }
    void SetWaitCursor(bool) override {}
    void ShowProgress(const platform::ProgressState&) override {}
    void HideProgress() override {}

    std::vector<platform::MessageBoxRequest> asked;
};

// Both programs on a PC with an earlier installation, then on one where KORVEx is installed
// with every file the front end asks about, the old maps and the disc: every question they ask
// is described with its title and text, and every question described is asked. What they
// record is a file both accept.
TEST(AnswerFile, EveryQuestionTheProgramsAskIsDescribedWithItsTitleAndText) {
    std::vector<std::pair<std::string, platform::MessageBoxRequest>> asked; // section, question
    std::vector<std::string> recorded;
    for (bool installed : {false, true}) {
        memory::MemoryWindows windows;
        SayingYes person;
        const unattended::Services services{windows.files(), windows.profile(), windows.installer(),
                                            windows.system(), person};
        const unattended::Switches recording{"", "C:\\recorded.ini", ""};
        if (!installed) {
            testing::PutEarlierInstallation(windows);
            EXPECT_EQ(upgradeprep::RunUpgradePrepProgram(recording, services, "u.exe 7.1"), 0);
        } else {
            testing::InstallKorvex(windows);
            testing::PutOldMaps(windows);
            testing::InsertMiraDisc(windows, 'E');
            for (const char* path :
                 {"C:\\Apps\\Control\\csuinfo.cfg", "C:\\Apps\\Control\\cnetio.ini",
                  "C:\\WINDOWS\\zelmain.ini", "C:\\WINDOWS\\NELK.INI"}) {
                windows.PutFile(path, "");
            }
            EXPECT_EQ(upgradeprep::RunUpgradePrepProgram(recording, services, "u.exe 7.1"), 0);
            const std::size_t upgradeQuestions = person.asked.size();
            EXPECT_EQ(frontend::RunVarenInstall(recording, services), 0) << testing::State(windows);
            for (std::size_t i = upgradeQuestions; i < person.asked.size(); ++i) {
                asked.emplace_back("VarenInstall", person.asked[i]);
            }
            person.asked.resize(upgradeQuestions);
        }
        for (const platform::MessageBoxRequest& request : person.asked) {
            asked.emplace_back("upgradeprep", request);
        }
        recorded.push_back(testing::File(windows, "C:\\recorded.ini"));
    }

    std::set<std::string> described; // "section key" of every question not yet asked
    for (const DescribedSection& section : AnswerFileDescription()) {
        for (const DescribedKey& key : section.keys) {
            if (!key.question.text.empty()) {
                described.insert(section.name + " " + key.name);
            }
        }
    }
    for (const auto& [sectionName, request] : asked) {
        SCOPED_TRACE(sectionName + " " + request.prompt);
        const DescribedKey* found = nullptr;
        for (const DescribedSection& section : AnswerFileDescription()) {
            for (const DescribedKey& key : section.keys) {
                if (section.name == sectionName && !key.question.text.empty() &&
                    std::find(key.names.begin(), key.names.end(), request.prompt) !=
                        key.names.end()) {
                    found = &key;
                }
            }
        }
        ASSERT_NE(found, nullptr) << "asked, not described";
        EXPECT_EQ(request.title, found->question.title);
        EXPECT_TRUE(Matches(found->question.text, request.text))
            << "shown: " << request.text << "\ndescribed: " << found->question.text;
        described.erase(sectionName + " " + found->name);
    }
    EXPECT_EQ(described, std::set<std::string>{}) << "described, never asked";
    for (const std::string& file : recorded) {
        EXPECT_EQ(Refusals(file), "") << file;
    }
    EXPECT_TRUE(recorded.back().find("[MiraCopy]") != std::string::npos &&
                recorded.back().find("[upgradeprep]") != std::string::npos)
        << "one file, both programs' answers: " << recorded.back();
}

} // namespace
} // namespace korvex::product
