// Who may change a directory, through the Win32 security API: the protected directory the
// programs make, and the owner and access list of one they find.
#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/FileHandle.h"
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

namespace {

// Full control for the system (SY) and the administrators (BA), inherited by the files (OI) and
// folders (CI) made inside; P: nothing inherited from the parent.
constexpr wchar_t kProtectedAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The rights that change a directory or what it holds: add, delete or write entries, change its
// attributes, rename or delete it, change its access list or owner.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                      FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES | DELETE |
                                      WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Memory that a security function allocated with LocalAlloc, freed on destruction.
class LocalMemory {
public:
    explicit LocalMemory(void* memory) : memory_(memory) {}
    ~LocalMemory() { ::LocalFree(memory_); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

private:
    void* memory_;
};

// The accounts a protected folder may let change it: the system, the administrators, the
// installer service and the account this process runs as (already holding the rights the
// programs use).
class TrustedAccounts {
public:
    TrustedAccounts() {
        AddWellKnown(WinLocalSystemSid);
        AddWellKnown(WinBuiltinAdministratorsSid);
        PSID installer = nullptr;
        if (::ConvertStringSidToSidW(
                L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &installer)) {
            Add(installer);
            ::LocalFree(installer);
        }
        HANDLE token = nullptr;
        if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            DWORD size = 0;
            ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
            std::vector<BYTE> user(size);
            if (size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
                Add(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
            }
            ::CloseHandle(token);
        }
    }
    bool Contains(PSID sid) const {
        return std::any_of(sids_.begin(), sids_.end(), [sid](const std::vector<BYTE>& trusted) {
            return ::EqualSid(const_cast<BYTE*>(trusted.data()), sid);
        });
    }

private:
    void Add(PSID sid) {
        const BYTE* bytes = static_cast<const BYTE*>(sid);
        sids_.emplace_back(bytes, bytes + ::GetLengthSid(sid));
    }
    void AddWellKnown(WELL_KNOWN_SID_TYPE type) {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        if (::CreateWellKnownSid(type, nullptr, sid, &size)) {
            Add(sid);
        }
    }
    std::vector<std::vector<BYTE>> sids_;
};

// An account for messages: the names of the groups every user belongs to, else the SID.
std::string AccountName(PSID sid) {
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) {
        return "an account";
    }
    LocalMemory held(text);
    const std::string id = Narrow(text);
    if (id == "S-1-1-0") {
        return "Everyone";
    }
    if (id == "S-1-5-11") {
        return "Authenticated Users";
    }
    if (id == "S-1-5-32-545") {
        return "Users";
    }
    return id;
}

} // namespace

Status Win32FileSystem::CreateProtectedDirectory(std::string_view path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedAccess, SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        return LastErrorStatus();
    }
    LocalMemory held(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    if (!::CreateDirectoryW(FilePath(path).c_str(), &security)) {
        return LastErrorStatus();
    }
    return {};
}

Result<platform::Protection> Win32FileSystem::GetProtection(std::string_view path) {
    const std::wstring wide = FilePath(path);
    platform::Protection protection;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastError();
    }
    protection.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (protection.link) {
        return protection;
    }
    // The owner and access list of what was just found to be no link, read through one handle
    // that does not follow a link, so that a link put in its place meanwhile is seen as one.
    FileHandle file(::CreateFileW(
        wide.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return LastError();
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file.get(), &information)) {
        return LastError();
    }
    protection.link = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (protection.link) {
        return protection;
    }
    PSID owner = nullptr;
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD error = ::GetSecurityInfo(
            file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &owner, nullptr, &access, nullptr, &descriptor)) {
        return ErrorFromCode(error);
    }
    LocalMemory held(descriptor);
    const TrustedAccounts trusted;
    const auto other = [&protection](std::string who) {
        protection.othersMayChange = true;
        protection.who = std::move(who);
        return protection;
    };
    // The owner may always change the access list.
    if (owner != nullptr && !trusted.Contains(owner)) {
        return other(AccountName(owner) + " (the owner)");
    }
    if (access == nullptr) {
        return other("Everyone (the folder has no access list)");
    }
    for (DWORD i = 0; i < access->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(access, i, &entry)) {
            return LastError();
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue; // applies only to what is made inside
        }
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE ||
            header->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE) {
            continue;
        }
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            // An allowing rule of a kind read no further (object or conditional): taken as
            // letting others in, so that nothing unread is trusted.
            return other("an access rule of type " + std::to_string(header->AceType));
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        if ((allowed->Mask & kChangeRights) != 0 && !trusted.Contains(sid)) {
            return other(AccountName(sid));
        }
    }
    return protection;
}

} // namespace korvex::win32
