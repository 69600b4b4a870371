// The installation's answer file, described once for both programs: every section and key that
// VarenInstall and upgradeprep accept, the question or dialog control each key answers, the
// values it takes and what each does, and what a missing key does. Both programs check a file
// against this description before they change anything (AnswerSchemaOf), and the reference
// docs/answer-file.md is written from it (scripts/answer-file-reference).
//
//     AnswerFile::Parse(bytes, product::AnswerSchemaOf(product::Program::UpgradePrep), error);
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/unattended/AnswerFile.h"

namespace korvex::product {

// The names of the programs' Yes/No questions: the keys of their sections, and the prompt each
// step tags its question with.
namespace question {

inline constexpr std::string_view kOverwriteCsuinfo = "OverwriteCsuinfo";
inline constexpr std::string_view kOverwriteCnetio = "OverwriteCnetio";
inline constexpr std::string_view kOverwriteZelmain = "OverwriteZelmain";
inline constexpr std::string_view kUpdateKorvexSettings = "UpdateKorvexSettings";
inline constexpr std::string_view kUseCcfMaps = "UseCcfMaps";
inline constexpr std::string_view kContinueIntoExistingMaps = "ContinueIntoExistingMaps";
inline constexpr std::string_view kCopyMiraMaps = "CopyMiraMaps";
inline constexpr std::string_view kUpdateYmvSettings = "UpdateYmvSettings";
// One question per system and map set, "OverwriteMap.S02.ob_map"; the family's name answers
// every one of them that has no answer of its own.
inline constexpr std::string_view kOverwriteMap = "OverwriteMap";
std::string OverwriteMap(std::string_view twoDigitSystem, std::string_view mapSet);

inline constexpr std::string_view kUpgrade = "Upgrade";
inline constexpr std::string_view kSearchAndDelete = "SearchAndDelete";
inline constexpr std::string_view kKeepConfiguration = "KeepConfiguration";

} // namespace question

enum class Program { VarenInstall, UpgradePrep };

// A message box a key answers, as the person sees it: its title, its text ("\r" and "\n" break
// lines; "{drive}" stands for what differs from run to run) and when the run shows it. Title
// and text quote the step that asks; answer_file_test holds them to what the programs show.
struct DescribedQuestion {
    std::string title;
    std::string text;
    std::string asked;
};

// One value of a key, in the spelling a recorded file has, and what it does.
struct DescribedValue {
    std::string word;
    std::string meaning;
};

// What the run does when the file does not name a key.
enum class WhenAbsent {
    StopsTheRun,   // when the answer is needed, the run stops with 1603; its log names the key
    FamilyAnswers, // the family's key answers; without it too, the run stops
    OwnKeysAnswer, // the family's key itself: each question then needs its own key
    OpeningState,  // a dialog's control keeps its opening state, `absentValue`
    TakenAs,       // the run takes `absentValue`
};

// A key, or a family of keys that differ only in a number or a map set ("System{n}").
struct DescribedKey {
    std::string name;               // as the reference heads it: "OverwriteMap.S{nn}.{set}"
    std::vector<std::string> names; // every name a file may use
    DescribedQuestion question;     // empty text: the key answers no question
    std::string sets;               // what the key sets: a dialog's controls, an INI key
    std::vector<DescribedValue> values;
    int numbersUpTo = 0; // above 0: no words, a list of numbers from 1 to numbersUpTo ("1,10")
    WhenAbsent whenAbsent = WhenAbsent::StopsTheRun;
    std::string absentValue;
};

struct DescribedSection {
    std::string name;
    Program program;    // the program that asks the questions or shows the dialog
    std::string dialog; // the dialog's caption; empty for a program's questions
    std::string about;  // what the section answers and when
    std::vector<DescribedKey> keys;
};

// The whole file: one section per program's questions and per dialog, in the order they are
// written.
const std::vector<DescribedSection>& AnswerFileDescription();

// What a program checks an answer file against. upgradeprep checks every section: it changes
// the PC before VarenInstall reads the file, so a file bad in any section must stop it first.
// VarenInstall checks its own sections and keeps [upgradeprep] as it is: that section is
// upgradeprep's, read before.
unattended::AnswerSchema AnswerSchemaOf(Program program);

} // namespace korvex::product
