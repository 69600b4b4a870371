// The Win32 backend's boundary helpers: UTF-8 <-> UTF-16, Windows error texts, the command
// line and environment variables of any length.
#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::string texts[] = {
        "", "C:\\Apps\\Control\\korvex.exe",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xF0\x9F\x93\x81", // "Grüße € 📁"
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(Narrow(Widen(text)), text);
    }
    EXPECT_EQ(Widen("\xE2\x82\xAC"), std::wstring(1, L'\x20AC'));
    EXPECT_EQ(Widen("\xF0\x9F\x93\x81").size(), 2u) << "a surrogate pair";
}

TEST(Utf, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Widen("a\xFF"
                    "b"),
              std::wstring(L"a\xFFFD"
                           L"b"));
}

TEST(Win32Error, CarriesTheCodeAndTheSystemTextWithoutALineEnd) {
    for (const std::uint32_t code :
         {win::kFileNotFound, win::kAccessDenied, win::kAlreadyExists, win::kUnknownProduct}) {
        const WinError error = ErrorFromCode(code);
        EXPECT_EQ(error.code, code);
        ASSERT_FALSE(error.text.empty()) << code;
        EXPECT_NE(error.text.back(), '\n') << error.text;
        EXPECT_NE(error.text.back(), '\r') << error.text;
        EXPECT_NE(error.text.back(), ' ') << error.text;
    }
}

TEST(Win32Error, UnknownCodesReadAsWindowsErrorN) {
    EXPECT_EQ(ErrorFromCode(0x2BADBEEF).text, WindowsErrorText(0x2BADBEEF));
}

TEST(Win32Error, LastErrorOfAFailedCall) {
    EXPECT_FALSE(::DeleteFileW(L"C:\\korvex-no-such-directory\\file"));
    EXPECT_EQ(LastError().code, win::kPathNotFound);
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LastError().code, win::kInvalidParameter) << "a failure never reads as success";
}

TEST(Process, EnvironmentVariablesWhole) {
    const std::string name = "KORVEX_WIN32_TEST_VARIABLE";
    ::SetEnvironmentVariableW(Widen(name).c_str(), nullptr);
    EXPECT_EQ(EnvironmentVariable(name), std::nullopt);

    ::SetEnvironmentVariableW(Widen(name).c_str(), L"");
    EXPECT_EQ(EnvironmentVariable(name), std::optional<std::string>(""));

    // Longer than any first guess of a buffer, with characters outside ASCII.
    std::string value;
    for (int i = 0; i < 2000; ++i) {
        value += "x\xC3\xBC";
    }
    ::SetEnvironmentVariableW(Widen(name).c_str(), Widen(value).c_str());
    EXPECT_EQ(EnvironmentVariable(name), std::optional<std::string>(value));
    ::SetEnvironmentVariableW(Widen(name).c_str(), nullptr);
}

TEST(Process, CommandLineNamesTheProgram) {
    const std::string line = CommandLine();
    EXPECT_NE(line.find("win32_test"), std::string::npos) << line;
}

TEST(Process, QuietCriticalErrorsKeepsTheOtherFlags) {
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    QuietCriticalErrors();
    const UINT after = ::SetErrorMode(before);
    EXPECT_EQ(after & SEM_FAILCRITICALERRORS, static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(after & SEM_NOGPFAULTERRORBOX, static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
}

} // namespace
} // namespace korvex::win32
