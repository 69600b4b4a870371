// The description of the answer file: the questions and dialogs of both programs, key by key.
// The texts are Markdown, as the reference shows them.
#include "product/AnswerFile.h"

#include <cstdio>
#include <utility>

#include "platform/unattended/DialogAnswers.h"
#include "product/Korvex.h"

namespace korvex::product {

std::string question::OverwriteMap(std::string_view twoDigitSystem, std::string_view mapSet) {
    return std::string(kOverwriteMap) + ".S" + std::string(twoDigitSystem) + "." +
           std::string(mapSet);
}

namespace {

std::vector<DescribedValue> YesNo(std::string yes, std::string no) {
    const std::vector<std::string> words = unattended::YesNo();
    return {{words.at(0), std::move(yes)}, {words.at(1), std::move(no)}};
}

DescribedKey Question(std::string_view name, DescribedQuestion asked,
                      std::vector<DescribedValue> values) {
    DescribedKey key;
    key.name = std::string(name);
    key.names = {key.name};
    key.question = std::move(asked);
    key.values = std::move(values);
    return key;
}

// A dialog's key "Button", which says how it closes.
DescribedKey Button(std::string ok, std::string cancel, std::string close) {
    DescribedKey key;
    key.name = "Button";
    key.names = {key.name};
    key.sets = "how the dialog closes";
    key.values = {
        {unattended::ButtonWord(platform::DialogClose::Ok), std::move(ok)},
        {unattended::ButtonWord(platform::DialogClose::Cancel), std::move(cancel)},
        {unattended::ButtonWord(platform::DialogClose::CloseBox), "the close box: " + close}};
    return key;
}

// A key that sets dialog controls; without it they keep their opening state.
DescribedKey Control(std::string name, std::string sets, std::vector<DescribedValue> values,
                     std::string openingState) {
    DescribedKey key;
    key.name = std::move(name);
    key.names = {key.name};
    key.sets = std::move(sets);
    key.values = std::move(values);
    key.whenAbsent = WhenAbsent::OpeningState;
    key.absentValue = std::move(openingState);
    return key;
}

// A dialog's key that lists systems by number ("1,10"): their check boxes are ticked.
DescribedKey SystemList(std::string name, std::string sets) {
    DescribedKey key = Control(std::move(name), std::move(sets), {}, "");
    key.numbersUpTo = kSystems;
    return key;
}

std::string TwoDigits(int system) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02d", system);
    return digits;
}

std::string MapSetNames() {
    std::string names;
    for (const MiraMapSet& set : kMiraMapSets) {
        names += (names.empty() ? "`" : ", `") + std::string(set.name) + "`";
    }
    return names;
}

DescribedSection FrontEndQuestions() {
    const std::string offered = "when no `tmptelm` (a configuration `upgradeprep` held) is at "
                                "the installation drive's root and ";
    const std::string lost = "\rPrevious setting will be lost";
    DescribedSection section{
        "VarenInstall",
        Program::VarenInstall,
        "",
        "message boxes with Yes and No, in the order the run asks them. `AirtalkerRegion` "
        "answers no question.",
        {}};
    std::vector<DescribedKey>& keys = section.keys;
    keys.push_back(
        Question(question::kOverwriteCsuinfo,
                 {"KROVEx Install", "Overwrite Current CSUINFO file ?" + lost,
                  offered + "the installation folder has `csuinfo.cfg` (without it, the delivered "
                            "`csuinfo.new` becomes `csuinfo.cfg` unasked)"},
                 YesNo("replaces `csuinfo.cfg` with the delivered `csuinfo.new`",
                       "keeps the current `csuinfo.cfg`")));
    keys.push_back(
        Question(question::kOverwriteCnetio,
                 {"KROVEx Install", "Overwrite Current CNetio.ini file ?" + lost,
                  offered + "the installation folder has `cnetio.ini` (without it, the delivered "
                            "`cnetio.new` becomes `cnetio.ini` unasked)"},
                 YesNo("replaces `cnetio.ini` with the delivered `cnetio.new`",
                       "keeps the current `cnetio.ini`")));
    keys.push_back(
        Question(question::kOverwriteZelmain,
                 {"KROVEx Install", "Overwrite Current Zelmain.ini file ?" + lost,
                  offered + "the Windows folder has `zelmain.ini` (without it, the delivered "
                            "`zelmain.new` becomes `zelmain.ini` unasked)"},
                 YesNo("replaces `zelmain.ini` with the delivered `zelmain.new`",
                       "keeps the current `zelmain.ini`")));
    keys.push_back(Question(
        question::kUpdateKorvexSettings,
        {"KORVEx Insatll", "Update KORVEX Settings",
         "when the Windows folder has `NELK.INI` (without it, the dialog comes unasked)"},
        YesNo("shows the dialog KORVEx Configuration (`[KORVExConf]`), then copies the maps "
              "chosen there",
              "leaves the connection and the maps as they are")));
    keys.push_back(Question(
        question::kUseCcfMaps,
        {"Query",
         "CCF MAP files exists in C:\\MAP\rUse to create KORVEx files in {drive}:\\TELMIMAP?",
         "after OK in KORVEx Configuration with `Maps=Convert`, when `C:\\MAP` exists; `{drive}` "
         "is the installation's drive"},
        YesNo("copies the tree `C:\\MAP` into `TELMIMAP` at the installation drive's root "
              "(after `ContinueIntoExistingMaps` when that folder exists)",
              "copies no old maps")));
    keys.push_back(Question(
        question::kContinueIntoExistingMaps,
        {"Warning", "KORVEx Map files directory ({drive}:\\TELMIMAP) already exists - continue?",
         "after Yes to `UseCcfMaps`, when `TELMIMAP` is at the installation drive's root (the "
         "run puts it there when it is missing)"},
        YesNo("copies the old maps into it", "copies no old maps")));
    keys.push_back(Question(
        question::kCopyMiraMaps,
        {"Query", "Mira MAP files exists in {disc}:\\Mira Maps Copy To {drive}:\\TELMIMAP?",
         "after OK in KORVEx Configuration with `CopyMira=Yes`, when a CD-ROM drive, `{disc}`, "
         "holds the folder `Mira Maps`"},
        YesNo("shows the dialog Select Systems (`[MiraCopy]`)", "copies no Mira maps")));

    DescribedKey family;
    family.name = std::string(question::kOverwriteMap);
    family.names = {family.name};
    family.sets = "the answer to every `OverwriteMap.S{nn}.{set}` question the file does not "
                  "answer with that question's own key";
    family.values = YesNo("overwrites those map sets", "leaves those map sets as they are");
    family.whenAbsent = WhenAbsent::OwnKeysAnswer;
    keys.push_back(std::move(family));

    DescribedKey overwrite =
        Question(std::string(question::kOverwriteMap) + ".S{nn}.{set}",
                 {std::string(kFrontEndTitle), "Map {set} Exists On System{nn} Overwrite",
                  "for each system picked in Select Systems and each map set its folder "
                  "`TELMIMAP\\S{nn}\\{set}` holds already: `{nn}` is the system, `01` to `" +
                      TwoDigits(kSystems) + "`, and `{set}` one of " + MapSetNames()},
                 YesNo("copies the set from the disc over it", "leaves that set as it is"));
    overwrite.names.clear();
    for (int system = 1; system <= kSystems; ++system) {
        for (const MiraMapSet& set : kMiraMapSets) {
            overwrite.names.push_back(question::OverwriteMap(TwoDigits(system), set.name));
        }
    }
    overwrite.whenAbsent = WhenAbsent::FamilyAnswers;
    keys.push_back(std::move(overwrite));

    keys.push_back(Question(
        question::kUpdateYmvSettings,
        {"KORVEx Install", "Update YMV Settings",
         "when the Windows folder has `ZELMAIN.INI` (without it, the dialog comes unasked), "
         "unless KORVEx Configuration was cancelled"},
        YesNo("shows the dialog System Type Setup (`[SystemType]`)",
              "leaves the system types as they are")));

    DescribedKey region;
    region.name = "AirtalkerRegion";
    region.names = {region.name};
    region.sets = "the Airtalker region, written into `NELK.INI` `[Airtalker]` at the end of a "
                  "run no dialog cancelled";
    region.values = {{"0", "writes nothing"},
                     {"1", "`Region=Europe` and `Europe=03FF000000`"},
                     {"2", "`Region=Latin America` and `Latin America=0000007FE0`"}};
    region.whenAbsent = WhenAbsent::TakenAs;
    region.absentValue = "0";
    keys.push_back(std::move(region));
    return section;
}

DescribedSection KorvexConf() {
    return {
        "KORVExConf",
        Program::VarenInstall,
        "KORVEx Configuration",
        "the connection and what happens to the maps; shown after Yes to "
        "`UpdateKorvexSettings`, or unasked when the Windows folder has no `NELK.INI`.",
        {Button("writes the connection into `NELK.INI` `[Comms]`, then the run copies the "
                "maps chosen",
                "writes nothing and copies no maps; the run skips the system types and the "
                "Airtalker region and ends with exit code 1602",
                "writes nothing and copies no maps; the run goes on"),
         Control("Connection", "the option buttons of the group Connection Configuration",
                 {{"Serial", "Serial Connection: OK writes `Link Type=Serial-System`"},
                  {"Ethernet", "Ethernet Connection: OK writes `Link Type=Ethernet-System` and "
                               "`Ethernet Type=Winsock`"}},
                 "Serial"),
         Control("Maps", "the option buttons of the group Map Processing",
                 {{"NoConversion", "No Conversion required"},
                  {"Convert", "I want to convert my old CCF (TELM) maps: after OK the old "
                              "maps are offered (`UseCcfMaps`)"}},
                 "NoConversion"),
         Control("CopyMira", "the check box Copy Mira Maps",
                 YesNo("ticked: after OK the Mira map sets are offered (`CopyMiraMaps`)", "clear"),
                 "No")}};
}

DescribedSection SystemTypeSection() {
    DescribedKey model =
        Control("System{n}",
                "the frame model of system `{n}`, `1` to `" + std::to_string(kSystems) +
                    "`: the option buttons of the row System{n}",
                {{"Ostrel", "Ostrel[9U], frame type 0"},
                 {"Pennet", "Pennet[4U], frame type 2"},
                 {"Quarne", "Quarne [4U], frame type 3"},
                 {"Mira", "Mira, frame type 4"}},
                "Ostrel");
    model.names.clear();
    for (int system = 1; system <= kSystems; ++system) {
        model.names.push_back("System" + std::to_string(system));
    }
    return {"SystemType",
            Program::VarenInstall,
            "System Type Setup",
            "the frame model of each system and whether its frames are stacked from the top; "
            "shown after Yes to `UpdateYmvSettings`, or unasked when the Windows folder has no "
            "`ZELMAIN.INI`.",
            {Button("writes each system's frame type and direction into `ZELMAIN.INI` "
                    "`[FrameType]` and `[FrameDirection]`, and `Max Map Number=6` into "
                    "`NELK.INI` `[Multiple Maps]` when a system is Mira",
                    "writes nothing; the run skips the Airtalker region and ends with exit code "
                    "1602",
                    "writes nothing; the run goes on"),
             std::move(model),
             SystemList("StackFromTop",
                        "the check boxes Stack From Top: those of the systems listed are ticked "
                        "(`[FrameDirection]` 1, frames stacked from the top), the others "
                        "cleared (0)")}};
}

DescribedSection MiraCopySection() {
    return {"MiraCopy",
            Program::VarenInstall,
            "Select Systems",
            "the systems that get the Mira map sets; shown after Yes to `CopyMiraMaps`.",
            {Button("copies the map sets from the disc into `TELMIMAP\\S{nn}` of each system "
                    "picked",
                    "shows \"Mira Maps Will Not Be Loaded\" and copies nothing", "copies nothing"),
             SystemList("Systems", "the check boxes System1 to System" + std::to_string(kSystems) +
                                       ": those of the systems listed are ticked, the others "
                                       "cleared")}};
}

DescribedSection UpgradePrepQuestions() {
    DescribedSection section{
        "upgradeprep",
        Program::UpgradePrep,
        "",
        "message boxes with Yes and No. With KORVEx registered with the Windows Installer it "
        "asks `Upgrade` alone; otherwise `SearchAndDelete`, then `KeepConfiguration` when it "
        "finds an earlier installation.",
        {}};
    section.keys.push_back(Question(
        question::kUpgrade,
        {"KORVEX", "Upgrade KORVEx from version {installed version} to version {new version}",
         "when KORVEx is registered with the Windows Installer; `{installed version}` is its "
         "version in letters (6.0.24.0 is 6.0W), `{new version}` the package's"},
        YesNo("writes the registered version into `up.ok` beside the installed `korvex.exe`; "
              "exit code 0",
              "changes nothing; exit code 1602: the installation ends as cancelled")));
    section.keys.push_back(Question(
        question::kSearchAndDelete,
        {"KORVEX",
         "The installer will now search for and DELETE\nany previous versions of KORVEx\nDo "
         "you wish to continue",
         "when no KORVEx is registered with the Windows Installer"},
        YesNo("searches the fixed drives for an earlier installation (`korvex\\korvex.exe`), "
              "deletes it and the KORVEx shortcuts; exit code 0",
              "changes nothing; exit code 259")));
    section.keys.push_back(
        Question(question::kKeepConfiguration,
                 {"KORVEX",
                  "A previous version of KORVEX has been detected\n Do you wish to keep your "
                  "confiuration files",
                  "after Yes to `SearchAndDelete`, when an earlier installation is found"},
                 YesNo("moves its configuration files into `tmptelm` at that drive's root, where "
                       "`VarenInstall` restores them from",
                       "deletes them with the rest of the earlier installation")));
    return section;
}

} // namespace

const std::vector<DescribedSection>& AnswerFileDescription() {
    static const std::vector<DescribedSection> sections = {FrontEndQuestions(), KorvexConf(),
                                                           SystemTypeSection(), MiraCopySection(),
                                                           UpgradePrepQuestions()};
    return sections;
}

unattended::AnswerSchema AnswerSchemaOf(Program program) {
    unattended::AnswerSchema schema;
    for (const DescribedSection& section : AnswerFileDescription()) {
        schema.sections.push_back(section.name);
        if (program == Program::VarenInstall && section.program != Program::VarenInstall) {
            continue;
        }
        for (const DescribedKey& key : section.keys) {
            std::vector<std::string> words;
            for (const DescribedValue& value : key.values) {
                words.push_back(value.word);
            }
            for (const std::string& name : key.names) {
                schema.keys.push_back({section.name, name, words, key.numbersUpTo});
            }
        }
    }
    return schema;
}

} // namespace korvex::product
