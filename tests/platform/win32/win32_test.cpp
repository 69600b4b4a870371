// The Win32 backend's boundary helpers: UTF-8 <-> UTF-16, Windows error texts, the command line,
// environment variables of any length and the critical-error mode.
#include "platform/win32/WindowsHeaders.h"

#include <gtest/gtest.h>

#include "platform/win32/Process.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {
namespace {

TEST(Utf, RoundTripsEveryPlaneAndReplacesInvalidBytes) {
    for (const std::string text : {"", "C:\\Apps\\Control\\korvex.exe",
                                   "Gr\xC3\xBC\xC3\x9F"
                                   "e \xE2\x82\xAC \xF0\x9F\x93\x81"}) {
        EXPECT_EQ(Narrow(Widen(text)), text); // "Grüße € 📁"
    }
    EXPECT_EQ(Widen("\xE2\x82\xAC"), std::wstring(1, L'\x20AC'));
    EXPECT_EQ(Widen("\xF0\x9F\x93\x81").size(), 2u) << "a surrogate pair";
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
        EXPECT_TRUE(!error.text.empty() &&
                    error.text.find_last_of("\r\n ") != error.text.size() - 1)
            << code << ": \"" << error.text << "\"";
    }
    EXPECT_EQ(ErrorFromCode(0x2BADBEEF).text, WindowsErrorText(0x2BADBEEF)) << "an unknown code";
    EXPECT_FALSE(::DeleteFileW(L"C:\\korvex-no-such-directory\\file"));
    EXPECT_EQ(LastError().code, win::kPathNotFound);
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LastError().code, win::kInvalidParameter) << "a failure never reads as success";
}

TEST(Process, EnvironmentVariablesWholeTheCommandLineAndQuietCriticalErrors) {
    const std::wstring name = L"KORVEX_WIN32_TEST_VARIABLE";
    std::string value; // longer than a first guess of a buffer, not all ASCII
    for (int i = 0; i < 2000; ++i) {
        value += "x\xC3\xBC";
    }
    for (const std::optional<std::string>& set : {std::optional<std::string>(), {""}, {value}}) {
        ::SetEnvironmentVariableW(name.c_str(), set ? Widen(*set).c_str() : nullptr);
        EXPECT_EQ(EnvironmentVariable(Narrow(name)), set);
    }
    EXPECT_NE(CommandLine().find("win32_test"), std::string::npos) << CommandLine();
    const UINT before = ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
    QuietCriticalErrors();
    EXPECT_EQ(::SetErrorMode(before),
              static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS))
        << "the other flags are kept";
}

} // namespace
} // namespace korvex::win32
