// Reading, checking and writing answer files.
#include "frontend/driver/Entry.h"
#include "platform/unattended/AnswerFile.h"

#include <gtest/gtest.h>

namespace korvex::unattended {
namespace {

std::optional<AnswerFile> Parse(std::string_view text, std::string* why = nullptr) {
    std::string error;
    auto file = AnswerFile::Parse(text, frontend::VarenInstallAnswerSchema(), error);
    if (why != nullptr) {
        *why = error;
    }
    return file;
}

TEST(AnswerFile, ReadsEverySectionWithoutRegardToCase) {
    const char* text = "\xEF\xBB\xBF; recorded on PC 7\r\n"
                       "[varenInstall]\r\n"
                       "overwritecsuinfo = yes   ; keep it\r\n"
                       "OverwriteMap=No\r\n"
                       "overwritemap.s02.OB_MAP=yes\r\n"
                       "AirtalkerRegion=2\n"
                       "\n"
                       "[KORVEXCONF]\n"
                       "button=ok\n"
                       "Connection=ethernet\n"
                       "Maps=Convert\n"
                       "[SystemType]\n"
                       "Button=Cancel\n"
                       "System3=mira\n"
                       "System15=Quarne\n"
                       "StackFromTop= 10, 1 ,5\n"
                       "[MiraCopy]\n"
                       "Button=Close\n"
                       "Systems=\n"
                       "[UpgradePrep]\n"
                       "KeepConfiguration=No";
    std::string why;
    auto file = Parse(text, &why);
    ASSERT_TRUE(file) << why;
    EXPECT_EQ(file->Get("VarenInstall", "OverwriteCsuinfo"), "Yes");
    EXPECT_EQ(file->Get("VARENINSTALL", "overwriteMap"), "No");
    EXPECT_EQ(file->Get("VarenInstall", "OverwriteMap.S02.ob_map"), "Yes");
    EXPECT_EQ(file->Get("VarenInstall", "OverwriteMap.S03.ob_map"), std::nullopt);
    EXPECT_EQ(file->Get("VarenInstall", "AirtalkerRegion"), "2");
    EXPECT_EQ(file->Get("KORVExConf", "Button"), "OK");
    EXPECT_EQ(file->Get("KORVExConf", "Connection"), "Ethernet");
    EXPECT_EQ(file->Get("KORVExConf", "CopyMira"), std::nullopt);
    EXPECT_EQ(file->Get("SystemType", "System3"), "Mira");
    EXPECT_EQ(file->Get("SystemType", "StackFromTop"), "1,5,10");
    EXPECT_EQ(file->Get("MiraCopy", "Button"), "Close");
    EXPECT_EQ(file->Get("MiraCopy", "Systems"), "");
    EXPECT_EQ(file->Get("upgradeprep", "KeepConfiguration"), "No");
}

TEST(AnswerFile, RefusesWhatItDoesNotKnowNamingTheLine) {
    struct Row {
        const char* text;
        const char* reason;
    } rows[] = {
        {"[Setup]\r\nA=B\r\n", "line 1: unknown section [Setup]"},
        {"[VarenInstall]\r\nOverwriteAll=Yes\r\n", "line 2: unknown key \"OverwriteAll\""},
        {"[VarenInstall]\r\nOverwriteCsuinfo=Maybe\r\n", "line 2: value \"Maybe\""},
        {"[VarenInstall]\r\nOverwriteCsuinfo=\r\n", "line 2: value \"\""},
        {"[VarenInstall]\r\nAirtalkerRegion=3\r\n", "line 2: value \"3\""},
        {"[VarenInstall]\r\nOverwriteMap.S16.news=No\r\n", "unknown key"},
        {"[VarenInstall]\r\nOverwriteMap.S2.news=No\r\n", "unknown key"},
        {"[VarenInstall]\r\nOverwriteMap.S02.maps=No\r\n", "unknown key"},
        {"[SystemType]\r\nSystem0=Mira\r\n", "unknown key"},
        {"[SystemType]\r\nSystem16=Mira\r\n", "unknown key"},
        {"[SystemType]\r\nSystem01=Mira\r\n", "unknown key"},
        {"[SystemType]\r\nSystem4=Pennet[4U]\r\n", "value"},
        {"[MiraCopy]\r\nSystems=1,16\r\n", "value \"1,16\""},
        {"[MiraCopy]\r\nSystems=1,1\r\n", "value"},
        {"[MiraCopy]\r\nSystems=one\r\n", "value"},
        {"[KORVExConf]\r\nButton=Yes\r\n", "value"},
        {"[KORVExConf]\r\nButton=OK\r\nbutton=Cancel\r\n", "line 3: Button appears twice"},
        {"[KORVExConf]\r\n[korvexconf]\r\n", "line 2: section [KORVExConf] appears twice"},
        {"Button=OK\r\n", "line 1: a key before the first section"},
        {"[KORVExConf\r\n", "line 1: a section header must end"},
        {"[KORVExConf]\r\nButton\r\n", "line 2: expected key=value"},
    };
    for (const Row& row : rows) {
        std::string why;
        EXPECT_FALSE(Parse(row.text, &why)) << row.text;
        EXPECT_NE(why.find(row.reason), std::string::npos) << row.text << "\nsaid: " << why;
    }
    std::string why;
    constexpr char kBinary[] = "[KORVExConf]\r\nButton=OK\0\r\n";
    EXPECT_FALSE(Parse(std::string_view(kBinary, sizeof kBinary - 1), &why));
    EXPECT_EQ(why, "line 2: the file is not text");
}

TEST(AnswerFile, WritesWhatItReadsBack) {
    AnswerFile file(frontend::VarenInstallAnswerSchema());
    EXPECT_TRUE(file.Set("VarenInstall", "overwritemap.s10.eng_test", "No"));
    EXPECT_TRUE(file.Set("SystemType", "StackFromTop", "10,3"));
    EXPECT_TRUE(file.Set("VarenInstall", "OverwriteCnetio", "Yes"));
    EXPECT_TRUE(file.Set("VarenInstall", "OverwriteCnetio", "No"));
    EXPECT_FALSE(file.Set("VarenInstall", "Unknown", "No"));
    EXPECT_FALSE(file.Set("VarenInstall", "OverwriteCnetio", "Perhaps"));
    const std::string text = file.Serialize();
    EXPECT_EQ(text, "[VarenInstall]\r\n"
                    "OverwriteMap.S10.Eng_test=No\r\n"
                    "OverwriteCnetio=No\r\n"
                    "\r\n"
                    "[SystemType]\r\n"
                    "StackFromTop=3,10\r\n");
    std::string why;
    auto again = Parse(text, &why);
    ASSERT_TRUE(again) << why;
    EXPECT_EQ(again->Serialize(), text);
}

} // namespace
} // namespace korvex::unattended
