// Whole front-end runs started from their switches, on the in-memory Windows.
#include "frontend/driver/Entry.h"
#include "product/Korvex.h"

#include <gtest/gtest.h>

#include "frontend/driver/KorvexConfig.h"
#include "platform/memory/MemoryWindows.h"

namespace korvex::frontend {
namespace {

class RunVarenInstallTest : public ::testing::Test {
protected:
    RunVarenInstallTest() {
        memory::InstalledProduct product;
        product.productCode = "{11111111-2222-3333-4444-555555555555}";
        product.upgradeCode = std::string(product::kUpgradeCode);
        product.properties["InstalledProductName"] = "KORVEx";
        product.componentPaths[std::string(product::kMainProgramComponent)] =
            "C:\\Apps\\korvex.exe";
        windows.AddProduct(product);
        windows.PutFile("C:\\Apps\\korvex.exe", "MZ");
        windows.PutFile("C:\\Apps\\csuinfo.cfg", "mine");
        windows.PutFile("C:\\Apps\\csuinfo.new", "delivered");
        windows.PutFile("C:\\WINDOWS\\NELK.INI", "[Comms]\r\nLink Type=Serial-System\r\n");
    }

    int Run(const std::string& answers) {
        return RunVarenInstall({answers, "", "C:\\run.log"},
                               {windows.files(), windows.profile(), windows.installer(),
                                windows.system(), windows.ui()});
    }
    std::string Log() const { return windows.Contents("C:\\run.log").value_or(""); }

    memory::MemoryWindows windows;
};

TEST_F(RunVarenInstallTest, ABadAnswerFileStopsBeforeAnythingChanges) {
    windows.PutFile("C:\\answers.ini", "[VarenInstall]\r\nOverwriteCsuinfo=Sometimes\r\n");
    windows.PutFile("C:\\run.log", "");
    const std::vector<std::string> before = windows.Tree("C:\\");
    EXPECT_EQ(Run("C:\\answers.ini"), exit_code::kFailed);
    EXPECT_NE(Log().find("OverwriteCsuinfo"), std::string::npos) << Log();
    windows.PutFile("C:\\run.log", ""); // the log is the one thing the run may write
    EXPECT_EQ(windows.Tree("C:\\"), before);
    EXPECT_EQ(windows.Contents("C:\\WINDOWS\\NELK.INI"), "[Comms]\r\nLink Type=Serial-System\r\n");
    EXPECT_TRUE(windows.ui().transcript().empty());
}

TEST_F(RunVarenInstallTest, AnUnansweredQuestionStopsThereWith1603) {
    windows.PutFile("C:\\answers.ini", "[VarenInstall]\r\nOverwriteCnetio=Yes\r\n");
    EXPECT_EQ(Run("C:\\answers.ini"), exit_code::kFailed);
    EXPECT_EQ(windows.Contents("C:\\Apps\\csuinfo.cfg"), "mine");
    EXPECT_NE(Log().find("stop the answer file does not answer OverwriteCsuinfo"),
              std::string::npos)
        << Log();
    EXPECT_NE(Log().find("exit code 1603"), std::string::npos) << Log();
}

TEST_F(RunVarenInstallTest, NotInstalledEndsWith1605WithoutAWindow) {
    memory::MemoryWindows empty;
    empty.PutFile("C:\\answers.ini", "[VarenInstall]\r\n");
    EXPECT_EQ(RunVarenInstall(
                  {"C:\\answers.ini", "", ""},
                  {empty.files(), empty.profile(), empty.installer(), empty.system(), empty.ui()}),
              exit_code::kNotInstalled);
    EXPECT_TRUE(empty.ui().transcript().empty());
}

} // namespace
} // namespace korvex::frontend
