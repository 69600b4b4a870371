// The answer file of an unattended run: an INI file whose sections answer a program's questions
// and dialogs. What a file may hold is the program's AnswerSchema: the sections, and each key
// with the values it allows. Reading checks every section, key and value against it, so a bad
// file is found before anything is changed; writing produces the same format, so a recorded
// run can be replayed.
//
//     [VarenInstall]              [KORVExConf]
//     OverwriteCsuinfo=No         Button=OK
//     OverwriteMap.S02.ob_map=No  Connection=Ethernet
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex::unattended {

// One key a program answers from the file, with the values it allows: one of `words`, or,
// when numbersUpTo is above 0, a list of distinct numbers from 1 to numbersUpTo ("1,10").
struct AnswerKey {
    std::string section;
    std::string key;
    std::vector<std::string> words;
    int numbersUpTo = 0;
};

// What a program's answer file may hold. `sections` names every section a file may have, in
// the order they are written; a section without keys of its own in `keys` belongs to the other
// program of the installation (one file answers both): its lines are kept as they are and
// checked by that program.
struct AnswerSchema {
    std::vector<std::string> sections;
    std::vector<AnswerKey> keys;
};

// The answers to a Yes/No question.
std::vector<std::string> YesNo();

class AnswerFile {
public:
    // An empty file, for recording. The schema must outlive the file.
    explicit AnswerFile(const AnswerSchema& schema) : schema_(&schema) {}

    // Parses and checks the bytes. Section and key names and the words of values compare
    // without regard to case and are kept in the schema's spelling; ';' starts a comment at
    // the start of a line or after a blank. On a bad file, returns nothing and says why in
    // `error` ("line 4: unknown key ...").
    static std::optional<AnswerFile> Parse(std::string_view bytes, const AnswerSchema& schema,
                                           std::string& error);

    // The value of a key in its canonical spelling ("Yes", "Ethernet", "1,10"), or nothing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const { return FindSection(section) != nullptr; }
    // The keys and values of a section, in the file's order.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    // Sets a key of the schema to an allowed value; returns false otherwise. Used when
    // recording.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    const AnswerSchema& schema() const { return *schema_; }

    // The file's text: sections in the schema's order, keys in the order they were set, CR LF
    // line ends.
    std::string Serialize() const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;

    const AnswerSchema* schema_;
    std::vector<Section> sections_;
};

// "1, 10,3" -> {1, 3, 10}: distinct numbers from 1 to `highest`; nothing for anything else.
std::optional<std::vector<int>> ParseNumberList(std::string_view value, int highest);
std::string FormatNumberList(const std::vector<int>& numbers);

} // namespace korvex::unattended
