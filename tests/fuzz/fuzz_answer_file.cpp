// Fuzzes the answer-file reader: a file that parses writes out a text that parses again to the
// same text, with every written key readable back as written; a file that does not parse says
// on which line. System lists read from any text come back sorted, unique and in range. Every
// file that parses then drives an unattended run of each program on a prepared machine: the run
// ends with one of its exit codes, asks the person nothing, and loses nothing that it must keep.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "frontend/driver/Entry.h"
#include "frontend/driver/KorvexConfig.h"
#include "frontend/maps/InstallMiraMaps.h"
#include "platform/memory/MemoryWindows.h"
#include "platform/unattended/AnswerFile.h"
#include "product/Korvex.h"
#include "upgradeprep/Entry.h"

namespace korvex::fuzz {
namespace {

using unattended::AnswerFile;

// Every "key=value" line of a written file is what Get answers for that key, in the file read
// from the input and in the file read back from the written text.
void CheckKeysReadBack(const AnswerFile& parsed, const AnswerFile& reparsed,
                       std::string_view text) {
    std::string section;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos) {
            Fail("a written file ends every line with CR LF", Escaped(text));
        }
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 2;
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            section = std::string(line.substr(1, line.size() - 2));
            if (!parsed.HasSection(section)) {
                Fail("a written section is one the file has", section + " in " + Escaped(text));
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || section.empty()) {
            Fail("a written line is a section header or key=value", Escaped(text));
        }
        const std::string key(line.substr(0, equals));
        const std::string value(line.substr(equals + 1));
        if (parsed.Get(section, key) != value || reparsed.Get(section, key) != value) {
            Fail("Get answers the written value", section + " " + key + "=" + value);
        }
        AnswerFile canonical(parsed.schema());
        if (canonical.Set(section, key, value) && canonical.Get(section, key) != value) {
            Fail("written keys and values are in their canonical spelling",
                 section + " " + key + "=" + value);
        }
    }
}

void CheckSystemList(std::string_view bytes) {
    const auto systems = unattended::ParseNumberList(bytes, 15);
    if (!systems) {
        return;
    }
    const std::vector<int>& list = *systems;
    if (!std::is_sorted(list.begin(), list.end()) ||
        std::adjacent_find(list.begin(), list.end()) != list.end() ||
        (!list.empty() && (list.front() < 1 || list.back() > 15))) {
        Fail("a system list is sorted, unique and within 1 to 15", Escaped(bytes));
    }
    const std::string formatted = unattended::FormatNumberList(list);
    if (unattended::ParseNumberList(formatted, 15) != systems) {
        Fail("a formatted system list reads back the same", Escaped(bytes) + " -> " + formatted);
    }
}

constexpr std::string_view kNelk = "[Comms]\r\nLink Type=Serial-System\r\n[Other]\r\nKeep=1\r\n";

// VarenInstall unattended: KORVEx installed, earlier settings, old maps in C:\MAP, the disc in D:.
void CheckFrontEndRun(std::string_view bytes) {
    memory::MemoryWindows windows;
    memory::InstalledProduct product;
    product.productCode = "{11111111-0000-0000-0000-000000000001}";
    product.upgradeCode = std::string(product::kUpgradeCode);
    product.properties["InstalledProductName"] = "KORVEx";
    product.componentPaths[std::string(product::kMainProgramComponent)] = "C:\\Apps\\korvex.exe";
    windows.AddProduct(product);
    windows.PutFile("C:\\Apps\\korvex.exe", "MZ");
    windows.PutFile("C:\\Apps\\TELMIMAP\\S01\\studio\\shipped.map", "shipped");
    windows.PutFile("C:\\Apps\\csuinfo.cfg", "mine");
    windows.PutFile("C:\\Apps\\csuinfo.new", "delivered");
    windows.PutFile("C:\\WINDOWS\\NELK.INI", kNelk);
    windows.PutFile("C:\\WINDOWS\\ZELMAIN.INI", "[ZELMAIN]\r\n");
    windows.PutFile("C:\\MAP\\old.ccf", "ccf");
    windows.AddDrive('D', platform::DriveType::CdRom);
    for (const product::MiraMapSet& set : product::kMiraMapSets) {
        windows.PutFile("D:\\Mira Maps" + std::string(set.path) + "\\a.map", "map");
    }
    windows.PutFile("C:\\answers.ini", bytes);

    const int code = frontend::RunVarenInstall(
        {"C:\\answers.ini", "", ""},
        {windows.files(), windows.profile(), windows.installer(), windows.system(), windows.ui()});
    const std::string nelk = windows.Contents("C:\\WINDOWS\\NELK.INI").value_or("");
    const std::string csuinfo = windows.Contents("C:\\Apps\\csuinfo.cfg").value_or("");
    if ((code != 0 && code != 1602 && code != 1603) || !windows.ui().messages().empty() ||
        !windows.ui().dialogs().empty() ||
        windows.Contents("C:\\WINDOWS\\nelk140533.ini") != kNelk ||
        nelk.find("[Other]\r\nKeep=1\r\n") == std::string::npos ||
        (csuinfo != "mine" && csuinfo != "delivered") ||
        windows.Contents("C:\\MAP\\old.ccf") != "ccf") {
        Fail("an unattended VarenInstall run ends with 0, 1602 or 1603, asks nobody and keeps "
             "the backup, the other keys, the configuration file and the old maps",
             "exit code " + std::to_string(code) + " for " + Escaped(bytes) + "\n" +
                 windows.Describe());
    }
}

// upgradeprep unattended on a machine with an earlier, unregistered installation.
void CheckUpgradePrepRun(std::string_view bytes) {
    std::string error;
    const auto own = AnswerFile::Parse(bytes, upgradeprep::UpgradePrepAnswerSchema(), error);
    const AnswerFile answers = own ? *own : AnswerFile(upgradeprep::UpgradePrepAnswerSchema());
    memory::MemoryWindows windows;
    windows.PutFile("C:\\korvex\\korvex.exe", "MZ 6");
    windows.PutFile("C:\\korvex\\csuinfo.cfg", "mine");
    windows.PutFile("C:\\korvex\\netio.ini", "network");
    windows.PutFile("C:\\answers.ini", bytes);

    const int code = upgradeprep::RunUpgradePrepProgram(
        {"C:\\answers.ini", "", ""},
        {windows.files(), windows.profile(), windows.installer(), windows.system(), windows.ui()},
        "upgradeprep.exe 7.1");
    const bool kept = answers.Get("upgradeprep", "SearchAndDelete") == "Yes" &&
                      answers.Get("upgradeprep", "KeepConfiguration") == "Yes";
    const bool keptInPlace = windows.Contents("C:\\korvex\\csuinfo.cfg") == "mine";
    const bool held = windows.Contents("C:\\tmptelm\\csuinfo.cfg") == "mine" &&
                      windows.Contents("C:\\tmptelm\\cnetio.ini") == "network";
    if ((code != 0 && code != 259 && code != 1603) || !windows.ui().messages().empty() ||
        !windows.ui().dialogs().empty() || (kept && !held) ||
        (!kept && code != 0 && !keptInPlace)) {
        Fail("an unattended upgradeprep run ends with 0, 259 or 1603, asks nobody, holds the "
             "configuration when asked to keep it and deletes it only after the questions",
             "exit code " + std::to_string(code) + " for " + Escaped(bytes) + "\n" +
                 windows.Describe());
    }
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
    if (!parsed) {
        if (!error.starts_with("line ")) {
            Fail("a rejected file names the line", Escaped(error) + " for " + Escaped(bytes));
        }
        return 0;
    }
    const std::string text = parsed->Serialize();
    std::string again;
    const auto reparsed = AnswerFile::Parse(text, parsed->schema(), again);
    if (!reparsed) {
        Fail("a written file parses again", again + "\n" + Escaped(text));
    }
    if (reparsed->Serialize() != text) {
        Fail("a written file writes out the same text",
             Escaped(text) + "\nthen " + Escaped(reparsed->Serialize()));
    }
    CheckKeysReadBack(*parsed, *reparsed, text);
    CheckFrontEndRun(bytes);
    CheckUpgradePrepRun(bytes);
    return 0;
}
