// Writes the reference page from the description, section by section and key by key.
#include "product/AnswerFileReference.h"

#include "product/AnswerFile.h"

namespace korvex::product {

namespace {

std::string Code(std::string_view text) {
    // Built by appending: GCC 12 at -O3 warns falsely of an overlap in "`" + std::string(...).
    std::string code;
    code.reserve(text.size() + 2);
    code += '`';
    code += text;
    code += '`';
    return code;
}

std::string NameOf(Program program) {
    return program == Program::UpgradePrep ? "upgradeprep" : "VarenInstall";
}

// "`VarenInstall`'s questions", "the dialog KORVEx Configuration".
std::string Answers(const DescribedSection& section) {
    return section.dialog.empty() ? Code(NameOf(section.program)) + "'s questions"
                                  : "the dialog " + section.dialog;
}

// Whether the program's schema checks the section's keys.
bool Checks(Program program, std::string_view section) {
    for (const unattended::AnswerKey& key : AnswerSchemaOf(program).keys) {
        if (key.section == section) {
            return true;
        }
    }
    return false;
}

// What a program says about a file with a bad value, taken from the program's own check.
std::string ExampleRefusal() {
    std::string error;
    (void)unattended::AnswerFile::Parse("[upgradeprep]\nSearchAndDelete=Yes\n[SystemType]\n"
                                        "Button=OK\nSystem3=Mirra\n",
                                        AnswerSchemaOf(Program::UpgradePrep), error);
    return "the answer file C:\\site.ini is not valid: " + error;
}

// The message box as a block of its exact text, line breaks included.
std::string QuestionText(const DescribedQuestion& question) {
    std::string text = "Asks, in a message box titled " + Code(question.title) + ":\n\n```text\n";
    for (char c : question.text) {
        text += c == '\r' ? '\n' : c;
    }
    return text + "\n```\n\nAsked " + question.asked + ".\n";
}

std::string WhenAbsentText(const DescribedSection& section, const DescribedKey& key) {
    const std::string stops = "the run stops with exit code 1603 and its log says ";
    switch (key.whenAbsent) {
    case WhenAbsent::StopsTheRun:
        if (!section.dialog.empty()) {
            return "when the dialog comes, " + stops +
                   Code("the answer file does not answer the dialog " + section.name);
        }
        return "when the question comes, " + stops +
               Code("the answer file does not answer " + key.name);
    case WhenAbsent::FamilyAnswers: {
        const std::string family = key.name.substr(0, key.name.find('.'));
        return Code(family) + " answers; without that key either, when the question comes, " +
               stops + Code("the answer file does not answer " + key.names.front()) +
               " (naming the question's own key)";
    }
    case WhenAbsent::OwnKeysAnswer:
        return "each of those questions needs its own key";
    case WhenAbsent::OpeningState:
        return key.absentValue.empty()
                   ? "the dialog's opening state stays: none ticked"
                   : "the dialog's opening state stays: " + Code(key.absentValue);
    case WhenAbsent::TakenAs:
        return "taken as " + Code(key.absentValue);
    }
    return "";
}

std::string KeyText(const DescribedSection& section, const DescribedKey& key) {
    std::string text = "### " + Code(key.name) + "\n\n";
    if (key.names.size() > 1) {
        text += "Keys " + Code(key.names.front()) + " to " + Code(key.names.back()) + ", " +
                std::to_string(key.names.size()) + " in all.\n\n";
    }
    if (!key.question.text.empty()) {
        text += QuestionText(key.question) + "\n";
    } else {
        text += "Sets " + key.sets + ".\n\n";
    }
    if (key.numbersUpTo > 0) {
        text += "Value: a list of systems, numbers from 1 to " + std::to_string(key.numbersUpTo) +
                " (`1,10`); empty for none.\n\n";
    } else {
        text += "| Value | Meaning |\n|---|---|\n";
        for (const DescribedValue& value : key.values) {
            text += "| " + Code(value.word) + " | " + value.meaning + " |\n";
        }
        text += "\n";
    }
    return text + "Absent: " + WhenAbsentText(section, key) + ".\n\n";
}

} // namespace

std::string AnswerFileReference() {
    std::string page =
        "# The answer file\n"
        "\n"
        "<!-- Written by scripts/answer-file-reference from the description in "
        "product/AnswerFile.cpp; a native test fails while the two differ. -->\n"
        "\n"
        "One answer file answers every question and dialog of both programs, `upgradeprep` "
        "and `VarenInstall`, in a run without windows (`KORVEX_ANSWERS=path`). A recorded run "
        "(`KORVEX_RECORD=path`) writes the same format, ready to replay; "
        "[scripts/demo-answers.ini](../scripts/demo-answers.ini) is a complete example.\n"
        "\n"
        "## Format\n"
        "\n"
        "- An INI file: a `[Section]` line, then its `Key=Value` lines. A UTF-8 byte order mark "
        "may start it.\n"
        "- Section names, key names and the words of values compare without regard to case "
        "(`connection=ethernet` is `Connection=Ethernet`); blanks around them do not count.\n"
        "- `;` at the start of a line or after a blank starts a comment, to the end of the "
        "line.\n"
        "- Each section appears once, each key once in its section. A key before the first "
        "section, or a line that is neither, is refused.\n"
        "- A list of systems is numbers separated by commas, each once, in any order (`5, 1` "
        "is `1,5`); an empty value lists none.\n"
        "\n"
        "## Checks\n"
        "\n"
        "Each program reads the whole file before it changes anything. A section this page "
        "does not list, or a key or value it does not list in a section the program checks "
        "(see the table), stops the program with exit code 1603, and its log names the line "
        "and the key:\n"
        "\n"
        "```text\n" +
        ExampleRefusal() +
        "\n```\n"
        "\n"
        "`upgradeprep` checks every section: it runs first and changes the PC before "
        "`VarenInstall` reads the file.\n"
        "\n"
        "| Section | Answers | Checked by |\n"
        "|---|---|---|\n";
    for (const DescribedSection& section : AnswerFileDescription()) {
        std::string checkedBy;
        for (Program program : {Program::UpgradePrep, Program::VarenInstall}) {
            if (Checks(program, section.name)) {
                checkedBy += (checkedBy.empty() ? "" : ", ") + Code(NameOf(program));
            }
        }
        page += "| " + Code("[" + section.name + "]") + " | " + Answers(section) + " | " +
                checkedBy + " |\n";
    }
    page += "\n"
            "A key the file leaves out: a question the run asks and the file does not answer "
            "stops the run with exit code 1603, and its log names the key; what the run did "
            "before stays done. A dialog's control the file does not name keeps the dialog's "
            "opening state. Each key below says which.\n";
    for (const DescribedSection& section : AnswerFileDescription()) {
        page += "\n## " + Code("[" + section.name + "]") + "\n\n";
        page += "Answers " + Answers(section) + ": " + section.about + "\n\n";
        for (const DescribedKey& key : section.keys) {
            page += KeyText(section, key);
        }
        page.pop_back();
    }
    return page;
}

} // namespace korvex::product
