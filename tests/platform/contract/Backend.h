// What the contract tests run against: one machine's platform services and a scratch
// directory of their own. Built natively over the in-memory Windows and, for the MinGW build,
// over the Win32 backend under Wine; the tests are the same source on both sides.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Installer.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"

namespace korvex::contract {

// The product that tests/platform/contract/msi/probe.wxs installs, and that the in-memory machine is
// given with AddProduct. The codes are the package's own, written as Windows Installer
// answers them (upper-case GUIDs in braces).
namespace probe {
constexpr std::string_view kProductCode = "{3F2A1C4E-8B7D-4E61-9C0A-5D2E7F1B6A93}";
constexpr std::string_view kUpgradeCode = "{A7C41E20-5B93-4D8F-8E16-2C9B0F3D7A54}";
constexpr std::string_view kComponentCode = "{D1E6B8A2-47C3-4F05-A9E8-6B2C3D4F5E71}";
constexpr std::string_view kProductName = "ContractProbe";
constexpr std::string_view kVersion = "1.2.3";
// The component's key file; scripts/contract-wine installs the package with TARGETDIR=C:\.
constexpr std::string_view kKeyFile = "C:\\korvex-contract-probe\\ContractProbe.txt";
constexpr std::string_view kKeyFileBytes = "Key file of the contract probe product.\n";
// Set (to any value) by scripts/contract-wine once the package is installed.
constexpr const char* kInstalledVariable = "KORVEX_CONTRACT_PRODUCT";
} // namespace probe

// Windows behaviour that a machine cannot show. The in-memory Windows shows all of it. The
// Win32 backend tries each one in its scratch directory when it is made, so that on Windows
// every test holds in full, and under Wine each row that cannot hold is reported as not
// checked instead of failing.
enum class Shortfall {
    // Writes to a read-only file succeed instead of failing with ERROR_ACCESS_DENIED. Wine keeps
    // the read-only bit as the host's write permission, which does not stop root.
    WritesReadOnlyFiles,
    // CreateFile(CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL) and CopyFile replace a hidden file instead
    // of failing with ERROR_ACCESS_DENIED (Wine 8).
    ReplacesHiddenFiles,
    // CopyFile onto an existing file leaves that file's attributes instead of giving it the
    // source's (Wine 8).
    CopyKeepsTargetAttributes,
    // Directories keep no read-only bit (Wine ignores it on directories).
    NoReadOnlyDirectories,
    // MoveFile that changes only the case of a name succeeds, but the name keeps its old case
    // (Wine on a case-sensitive host file system).
    KeepsCaseOnRename,
    // WritePrivateProfileString rewrites the whole file in a form of its own: blank lines
    // dropped, blanks around names, values and brackets dropped, every line ended by CR LF
    // (Wine 8).
    RewritesIniFiles,
};
std::string_view Describe(Shortfall shortfall);

class Backend {
public:
    virtual ~Backend() = default;

    virtual platform::FileSystem& files() = 0;
    virtual platform::Profile& profile() = 0;
    virtual platform::Installer& installer() = 0;
    virtual platform::SystemInfo& system() = 0;

    // An empty directory that only this backend uses, without a trailing backslash; it and
    // everything in it go when the backend is destroyed.
    virtual const std::string& scratch() const = 0;
    // A file name, without a directory, that no other run uses: for files that cannot live in
    // the scratch directory, such as an INI file in the Windows directory.
    virtual std::string UniqueName(std::string_view extension) = 0;
    // Nothing when the probe product is installed; otherwise why it is not.
    virtual std::optional<std::string> ProbeMissing() = 0;
    // Whether the machine cannot show a piece of Windows behaviour.
    virtual bool Lacks(Shortfall shortfall) const = 0;
};

// The backend of this build: defined by MemoryBackend.cpp or Win32Backend.cpp.
std::unique_ptr<Backend> MakeBackend();

} // namespace korvex::contract
