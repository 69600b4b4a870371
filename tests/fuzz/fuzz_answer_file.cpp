// Fuzzes the answer-file reader: a file that parses writes out a text that reads back the same;
// a file that does not parse names the line; system lists read back sorted, unique and in range.
// Every file that parses drives an unattended run of each program on a prepared machine: the
// run ends with one of its exit codes, asks the person nothing and loses nothing it must keep.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "frontend/driver/Entry.h"
#include "platform/unattended/AnswerFile.h"
#include "support/Machines.h"
#include "upgradeprep/Entry.h"

namespace korvex::fuzz {
namespace {

using unattended::AnswerFile;

// The text read back has the file's sections, and each key with its value in its canonical
// spelling, written as "key=value".
bool ReadsBack(const AnswerFile& parsed, const AnswerFile& reparsed, std::string_view text) {
    bool same = true;
    for (const std::string& section : parsed.schema().sections) {
        same = same && parsed.HasSection(section) == reparsed.HasSection(section);
        for (const auto& [key, value] : parsed.Entries(section)) {
            AnswerFile canonical(parsed.schema());
            same = same && reparsed.Get(section, key) == value &&
                   text.find(key + "=" + value + "\r\n") != std::string_view::npos &&
                   !(canonical.Set(section, key, value) && canonical.Get(section, key) != value);
        }
    }
    return same;
}

void CheckSystemList(std::string_view bytes) {
    const auto list = unattended::ParseNumberList(bytes, 15);
    Check(!list || (std::is_sorted(list->begin(), list->end()) &&
                    std::adjacent_find(list->begin(), list->end()) == list->end() &&
                    (list->empty() || (list->front() >= 1 && list->back() <= 15)) &&
                    unattended::ParseNumberList(unattended::FormatNumberList(*list), 15) == list),
          "a system list is sorted, unique, within 1 to 15 and reads back",
          [&] { return Escaped(bytes); });
}

// VarenInstall with KORVEx installed, its own csuinfo.cfg, earlier settings, old maps, the disc.
void CheckFrontEndRun(std::string_view bytes) {
    constexpr std::string_view kNelk = "[Comms]\r\nLink=Serial\r\n[Other]\r\nKeep=1\r\n";
    memory::MemoryWindows windows;
    testing::InstallKorvex(windows);
    testing::InsertMiraDisc(windows, 'D');
    testing::PutOldMaps(windows);
    windows.PutFile("C:\\Apps\\Control\\csuinfo.cfg", "mine");
    windows.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
    const int code = testing::RunFrontEnd(windows, bytes);
    const std::string csuinfo = testing::File(windows, "C:\\Apps\\Control\\csuinfo.cfg");
    Check(
        (code == 0 || code == 1602 || code == 1603) && testing::Shown(windows).empty() &&
            windows.Contents("C:\\WINDOWS\\nelk140533.ini") == kNelk &&
            testing::File(windows, "C:\\WINDOWS\\NELK.INI").find("[Other]\r\nKeep=1\r\n") !=
                std::string::npos &&
            (csuinfo == "mine" || csuinfo == "csuinfo delivered") &&
            windows.Contents("C:\\MAP\\site\\two.ccf") == "ccf 2",
        "an unattended VarenInstall run ends with 0, 1602 or 1603, asks nobody and keeps the "
        "backup, the other keys, the configuration file and the old maps",
        [&] { return std::to_string(code) + " for " + Escaped(bytes) + testing::State(windows); });
}

// upgradeprep with an earlier, unregistered installation: its configuration is held when the
// file says to keep it, and stays in place when the run ends otherwise than with 0.
void CheckUpgradePrepRun(std::string_view bytes) {
    std::string error;
    const auto own = AnswerFile::Parse(bytes, upgradeprep::UpgradePrepAnswerSchema(), error);
    const bool keep = own && own->Get("upgradeprep", "SearchAndDelete") == "Yes" &&
                      own->Get("upgradeprep", "KeepConfiguration") == "Yes";
    memory::MemoryWindows windows;
    testing::PutEarlierInstallation(windows);
    const int code = testing::RunUpgradePrep(windows, bytes);
    bool kept = (code == 0 || code == 259 || code == 1603) && testing::Shown(windows).empty();
    for (const std::string& name : testing::EarlierConfigurationFiles()) {
        const std::string held = "C:\\tmptelm\\" + (name == "netio.ini" ? "cnetio.ini" : name);
        kept = kept && (!keep || windows.Contents(held) == "kept " + name) &&
               (code == 0 || windows.Contents("C:\\korvex\\" + name) == "kept " + name);
    }
    Check(
        kept,
        "an unattended upgradeprep run ends with 0, 259 or 1603, asks nobody, holds the "
        "configuration when asked to keep it and deletes it only after the questions",
        [&] { return std::to_string(code) + " for " + Escaped(bytes) + testing::State(windows); });
}

} // namespace
} // namespace korvex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvex::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckSystemList(bytes);
    std::string error;
    const auto parsed =
        AnswerFile::Parse(bytes, korvex::frontend::VarenInstallAnswerSchema(), error);
    Check(parsed || error.starts_with("line "), "a rejected file names the line",
          [&] { return Escaped(error) + " for " + Escaped(bytes); });
    if (parsed) {
        const std::string text = parsed->Serialize();
        const auto reparsed = AnswerFile::Parse(text, parsed->schema(), error);
        Check(reparsed && reparsed->Serialize() == text && ReadsBack(*parsed, *reparsed, text),
              "a written file reads back the same and writes out the same text",
              [&] { return Escaped(text); });
        CheckFrontEndRun(bytes);
        CheckUpgradePrepRun(bytes);
    }
    return 0;
}
