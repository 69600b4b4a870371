// What the in-memory Windows holds beyond the contract suite: path and wildcard rules, drives and
// media, capacity, junctions, counting and failure injection, and the scripted user interface.
#include <gtest/gtest.h>

#include <functional>

#include "frontend/dialogs/KORVExConf.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::memory {
namespace {

using platform::DriveType;

// The machine without its operation counts, to see that a failed call changed nothing.
std::string Contents(const MemoryWindows& windows) {
    const std::string state = windows.Describe();
    return state.substr(0, state.find("open searches"));
}

TEST(MemoryWindows, PathsAndWildcardsFollowTheWindowsRules) {
    MemoryWindows windows;
    windows.PutFile("C:\\Apps\\Control\\korvex.exe", "MZ");
    windows.SetCurrentDirectory("C:\\Apps");
    for (const char* path :
         {"c:/apps.//CONTROL. . /./KORVEX.EXE. ", "Control\\korvex.exe",
          "C:\\..\\Apps\\x\\..\\Control\\korvex.exe", "\\Apps\\Control\\korvex.exe",
          "C:Control\\korvex.exe", "..\\Apps\\Control\\korvex.exe"}) {
        EXPECT_EQ(windows.files().ReadFile(path).value_or("failed"), "MZ") << path;
    }
    // "pattern name": the name matches; "pattern !name": it does not.
    for (const std::string row :
         {"*.* noext", "*.* a.b.c", "*.cfg a.b.cfg", "*.cfg !conf.cfg.bak", "*.cfg !.", "*. noext",
          "*. !name.ext", "noext. noext", "a?.txt a.txt", "a?.txt !abc.txt", "a?? a",
          "? \xE2\x82\xAC", "GR\xC3\x9C* gr\xC3\xBCn"}) {
        const auto blank = row.find(' ');
        const bool match = row[blank + 1] != '!';
        EXPECT_EQ(MatchesPattern(row.substr(blank + 2 - match), row.substr(0, blank)), match)
            << row;
    }
}

TEST(MemoryWindows, DrivesHaveTypesMediaAndCapacity) {
    MemoryWindows windows;
    windows.AddDrive('D', DriveType::CdRom, false);
    windows.AddDrive('a', DriveType::Removable);
    windows.PutFile("D:\\Mira Maps\\m.map", "m"); // on the disc that is not in
    platform::FileSystem& files = windows.files();
    EXPECT_EQ(files.LogicalDrives(), 0b1101u);
    for (const auto& [root, type] : {std::pair{"D:\\", DriveType::CdRom},
                                     {"a:/", DriveType::Removable},
                                     {"Q:\\", DriveType::NoRootDirectory},
                                     {"C:\\WINDOWS", DriveType::NoRootDirectory}}) {
        EXPECT_EQ(files.GetDriveType(root), type) << root;
    }
    for (const std::uint32_t code :
         {files.Search("D:\\Mira Maps\\*").code(), files.ReadFile("D:\\Mira Maps\\m.map").code(),
          files.WriteFile("D:\\x", "").code(), files.CopyFile("D:\\x", "C:\\x").code()}) {
        EXPECT_EQ(code, win::kNotReady) << windows.Describe();
    }
    windows.SetMediaPresent('D', true);
    EXPECT_EQ(files.ReadFile("D:\\Mira Maps\\m.map").value_or("failed"), "m");
    // A full drive refuses what would not fit, changing nothing.
    windows.SetCapacity('C', 10);
    windows.PutFile("C:\\a", "12345");
    windows.PutFile("D:\\six", "123456");
    const std::string before = Contents(windows);
    for (const std::uint32_t code :
         {files.WriteFile("C:\\b", "123456").code(), files.WriteFile("C:\\a", "12345678901").code(),
          files.AppendFile("C:\\a", "123456").code(), files.CopyFile("D:\\six", "C:\\c").code(),
          files.MoveFile("D:\\six", "C:\\moved").code(),
          windows.profile().WriteString("Section", "key", "a value", "C:\\x.ini").code()}) {
        EXPECT_EQ(code, win::kDiskFull);
    }
    EXPECT_EQ(Contents(windows), before);
    EXPECT_TRUE(files.CopyFile("D:\\six", "C:\\a").ok()) << "replaces 5 of its bytes";
    EXPECT_TRUE(files.WriteFile("C:\\b", "1234").ok()) << "exactly full";
}

TEST(MemoryWindows, JunctionsLeadIntoTheirTargetAndALoopEndsAWalk) {
    MemoryWindows windows;
    windows.PutFile("C:\\Target\\f.txt", "through");
    windows.MakeJunction("C:\\Link", "C:\\Target");
    windows.MakeJunction("C:\\Target\\loop", "c:/target/");
    EXPECT_EQ(windows.files().ReadFile("C:\\Link\\loop\\loop\\f.txt").value_or(""), "through");
    // A walk down the loop ends where the path would hold more than 63 junctions.
    std::string directory = "C:\\Link";
    while (windows.files().Search(directory + "\\*").ok()) {
        directory += "\\loop";
    }
    EXPECT_EQ(windows.files().Search(directory + "\\*").code(), win::kCantResolveFilename);
    EXPECT_EQ(directory.size(), std::string("C:\\Link").size() + 63 * 5);
    ASSERT_TRUE(windows.files().RemoveDirectory("C:\\Link").ok()) << "the link only";
    EXPECT_EQ(windows.Contents("C:\\Target\\f.txt"), "through");
}

TEST(FailureInjection, CallsFailAsTheRulesSayOnceWithoutEffectAndEveryCallCounts) {
    const std::pair<Operation, std::function<Status(platform::Platform&)>> calls[] = {
        {Operation::Search, [](auto& p) { return p.files.Search("C:\\d\\*").status(); }},
        {Operation::CopyFile, [](auto& p) { return p.files.CopyFile("C:\\a", "C:\\b"); }},
        {Operation::MoveFile, [](auto& p) { return p.files.MoveFile("C:\\a", "C:\\d\\a"); }},
        {Operation::DeleteFile, [](auto& p) { return p.files.DeleteFile("C:\\a"); }},
        {Operation::CreateDirectory, [](auto& p) { return p.files.CreateDirectory("C:\\n"); }},
        {Operation::WriteProfileString,
         [](auto& p) { return p.profile.WriteString("S", "k", "v", "NELK.INI"); }},
    };
    for (const auto& [operation, call] : calls) {
        MemoryWindows windows;
        windows.PutFile("C:\\a", "a");
        windows.MakeDirectories("C:\\d");
        windows.FailNth(operation, 2, win::kSharingViolation);
        const std::string name(OperationName(operation));
        EXPECT_EQ(call(windows.platform()).code(), 0u) << name << ", the first call";
        const std::string before = Contents(windows);
        EXPECT_EQ(call(windows.platform()).code(), win::kSharingViolation) << name;
        EXPECT_EQ(Contents(windows), before) << name << " changed the machine";
        EXPECT_NE(call(windows.platform()).code(), win::kSharingViolation) << name << " again";
        EXPECT_EQ(windows.Count(operation) * 10 + windows.TotalCount(), 33u) << name;
    }
    MemoryWindows windows;
    windows.PutFile("C:\\Maps\\a.map", "a");
    (void)windows.files().ReadFile("C:\\Maps\\a.map"); // before the rule: it does not count
    windows.FailNthOverall(2, win::kAccessDenied);
    EXPECT_TRUE(windows.files().ReadFile("C:\\Maps\\a.map").ok());
    EXPECT_EQ(windows.files().CreateDirectory("C:\\new").code(), win::kAccessDenied);
    EXPECT_TRUE(windows.files().CreateDirectory("C:\\new").ok());
    windows.FailPath(Operation::CopyFile, "c:\\maps", win::kNotReady);
    EXPECT_EQ(windows.files().CopyFile("C:\\Maps\\a.map", "C:\\a.map").code(), win::kNotReady);
    EXPECT_EQ(windows.files().CopyFile("C:\\new", "C:\\MAPS\\x\\y").code(), win::kNotReady);
    EXPECT_EQ(windows.files().CopyFile("C:\\Maps2", "C:\\b").code(), win::kFileNotFound);
    EXPECT_TRUE(windows.files().ReadFile("C:\\Maps\\a.map").ok()) << "another kind";
    auto search = windows.files().Search("C:\\Maps\\*");
    windows.FailNth(Operation::SearchNext, 2, win::kNotReady);
    EXPECT_EQ(search.value()->Next()->name, ".");
    EXPECT_FALSE(search.value()->Next());
    EXPECT_EQ(search.value()->Ended().code(), win::kNotReady);
}

TEST(ScriptedUserInterface, AnswersAndScriptsInOrderAndWhatIsNotScriptedStopsTheRun) {
    MemoryWindows windows;
    ScriptedUserInterface& ui = windows.ui();
    bool cancelled = false;
    frontend::KORVExConf dialog(windows.platform(), cancelled);
    ui.Answer(platform::Answer::No);
    ui.Answer(platform::Answer::Yes);
    ui.Dialog(ScriptedUserInterface::Press("OKButton", {{"EthernetOption", true}}));
    ui.Dialog(ScriptedUserInterface::CloseBox({{"CopyMira", true}}));
    const auto ask = [&](const char* prompt) {
        return ui.ShowMessage({prompt, "Q", platform::Buttons::YesNo, {}, {}, prompt});
    };
    EXPECT_EQ(ui.ShowMessage({"Korvex Not Installed", "VarenInstall", {}, {}, {}, ""}),
              platform::Answer::Ok);
    EXPECT_EQ(ask("OverwriteCsuinfo"), platform::Answer::No);
    EXPECT_EQ(ask("OverwriteCnetio"), platform::Answer::Yes);
    EXPECT_EQ(ui.ShowDialog(dialog), platform::DialogClose::Ok);
    EXPECT_EQ(ui.ShowDialog(dialog), platform::DialogClose::CloseBox);
    EXPECT_THROW(ask("OverwriteZelmain"), platform::RunStopped);
    EXPECT_EQ(ui.transcript(),
              (std::vector<std::string>{"message [VarenInstall] Korvex Not Installed -> Ok",
                                        "message [Q] OverwriteCsuinfo -> No",
                                        "message [Q] OverwriteCnetio -> Yes",
                                        "dialog KORVExConf -> Ok", "dialog KORVExConf -> CloseBox",
                                        "message [Q] OverwriteZelmain -> stopped"}));
    EXPECT_EQ(ui.dialogs()[1].states, // each showing starts from Load
              "EthernetOption=0 SerialOption=1 DoNothingOption=1 ConvertOption=0 CopyMira=1");
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\NELK.INI"),
              "[Comms]\r\nLink Type=Ethernet-System\r\nEthernet Type=Winsock\r\n");
}

} // namespace
} // namespace korvex::memory
