// Windows Installer queries through msi.dll, loaded from the system folder.
#include "platform/win32/Win32Installer.h"

#include "platform/win32/WindowsHeaders.h"

#include <msi.h>

#include "platform/win32/Utf.h"
#include "platform/win32/Win32Error.h"

namespace korvex::win32 {

namespace {

// A product code: a GUID in braces, 38 characters and the terminator.
constexpr std::size_t kProductCodeBuffer = 39;

// msi.dll's functions, found once per process.
struct MsiFunctions {
    decltype(&::MsiEnumRelatedProductsW) enumRelatedProducts = nullptr;
    decltype(&::MsiEnumProductsW) enumProducts = nullptr;
    decltype(&::MsiGetProductInfoW) getProductInfo = nullptr;
    decltype(&::MsiGetComponentPathW) getComponentPath = nullptr;
    DWORD loadError = ERROR_SUCCESS;
};

template <class Function> void Find(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

const MsiFunctions& Msi() {
    static const MsiFunctions functions = [] {
        MsiFunctions found;
        const HMODULE library = ::LoadLibraryExW(L"msi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library == nullptr) {
            found.loadError = ::GetLastError();
            return found;
        }
        Find(library, "MsiEnumRelatedProductsW", found.enumRelatedProducts);
        Find(library, "MsiEnumProductsW", found.enumProducts);
        Find(library, "MsiGetProductInfoW", found.getProductInfo);
        Find(library, "MsiGetComponentPathW", found.getComponentPath);
        if (found.enumRelatedProducts == nullptr || found.enumProducts == nullptr ||
            found.getProductInfo == nullptr || found.getComponentPath == nullptr) {
            found.loadError = ERROR_PROC_NOT_FOUND;
        }
        return found;
    }();
    return functions;
}

std::uint32_t ComponentStateError(INSTALLSTATE state) {
    switch (state) {
    case INSTALLSTATE_INVALIDARG:
        return ERROR_INVALID_PARAMETER;
    case INSTALLSTATE_SOURCEABSENT:
        return ERROR_INSTALL_SOURCE_ABSENT;
    case INSTALLSTATE_BADCONFIG:
    case INSTALLSTATE_INCOMPLETE:
    case INSTALLSTATE_BROKEN:
        return ERROR_BAD_CONFIGURATION;
    default: // unknown, absent, not used, advertised
        return ERROR_UNKNOWN_COMPONENT;
    }
}

} // namespace

Result<std::vector<std::string>> Win32Installer::RelatedProducts(std::string_view upgradeCode) {
    if (Msi().loadError != ERROR_SUCCESS) {
        return ErrorFromCode(Msi().loadError);
    }
    const std::wstring wideUpgradeCode = Widen(upgradeCode);
    std::vector<std::string> products;
    for (DWORD index = 0;; ++index) {
        wchar_t productCode[kProductCodeBuffer] = {};
        const UINT answer =
            Msi().enumRelatedProducts(wideUpgradeCode.c_str(), 0, index, productCode);
        if (answer == ERROR_NO_MORE_ITEMS) {
            return products;
        }
        if (answer != ERROR_SUCCESS) {
            return ErrorFromCode(answer);
        }
        products.push_back(Narrow(productCode));
    }
}

Result<std::optional<std::string>> Win32Installer::EnumProducts(std::uint32_t index) {
    if (Msi().loadError != ERROR_SUCCESS) {
        return ErrorFromCode(Msi().loadError);
    }
    wchar_t productCode[kProductCodeBuffer] = {};
    const UINT answer = Msi().enumProducts(index, productCode);
    if (answer == ERROR_NO_MORE_ITEMS) {
        return std::optional<std::string>();
    }
    if (answer != ERROR_SUCCESS) {
        return ErrorFromCode(answer);
    }
    return std::optional<std::string>(Narrow(productCode));
}

Result<std::string> Win32Installer::ProductInfo(std::string_view productCode,
                                                std::string_view property) {
    if (Msi().loadError != ERROR_SUCCESS) {
        return ErrorFromCode(Msi().loadError);
    }
    const std::wstring wideProduct = Widen(productCode);
    const std::wstring wideProperty = Widen(property);
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        // In: the buffer's size with the terminator; out: the value's length without it.
        DWORD length = static_cast<DWORD>(value.size());
        const UINT answer =
            Msi().getProductInfo(wideProduct.c_str(), wideProperty.c_str(), value.data(), &length);
        if (answer == ERROR_MORE_DATA) {
            value.assign(static_cast<std::size_t>(length) + 1, L'\0');
            continue;
        }
        if (answer != ERROR_SUCCESS) {
            return ErrorFromCode(answer);
        }
        value.resize(length);
        return Narrow(value);
    }
}

Result<std::string> Win32Installer::ComponentPath(std::string_view productCode,
                                                  std::string_view componentCode) {
    if (Msi().loadError != ERROR_SUCCESS) {
        return ErrorFromCode(Msi().loadError);
    }
    const std::wstring wideProduct = Widen(productCode);
    const std::wstring wideComponent = Widen(componentCode);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(path.size());
        const INSTALLSTATE state = Msi().getComponentPath(
            wideProduct.c_str(), wideComponent.c_str(), path.data(), &length);
        if (state == INSTALLSTATE_MOREDATA) {
            path.assign(static_cast<std::size_t>(length) + 1, L'\0');
            continue;
        }
        if (state != INSTALLSTATE_LOCAL && state != INSTALLSTATE_SOURCE) {
            return ErrorFromCode(ComponentStateError(state));
        }
        path.resize(length);
        return Narrow(path);
    }
}

} // namespace korvex::win32
