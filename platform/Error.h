// Windows error codes and the error, status and result types every platform call returns.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace korvex {

// The Windows system error codes this system meets. The values are those of winerror.h.
namespace win {
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidHandle = 6;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kInvalidDrive = 15;
constexpr std::uint32_t kNoMoreFiles = 18;
constexpr std::uint32_t kNotReady = 21;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kNotSupported = 50;
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kInsufficientBuffer = 122;
constexpr std::uint32_t kInvalidName = 123;
constexpr std::uint32_t kDirNotEmpty = 145;
constexpr std::uint32_t kBadPathName = 161;
constexpr std::uint32_t kAlreadyExists = 183;
constexpr std::uint32_t kFilenameExcedRange = 206;
constexpr std::uint32_t kMoreData = 234;
constexpr std::uint32_t kStoppedOnSymlink = 681;
constexpr std::uint32_t kNoMoreItems = 259;
constexpr std::uint32_t kDirectory = 267;
constexpr std::uint32_t kCantResolveFilename = 1921;
constexpr std::uint32_t kUnknownProduct = 1605;
constexpr std::uint32_t kUnknownProperty = 1608;
constexpr std::uint32_t kInstallUserExit = 1602;
constexpr std::uint32_t kInstallFailure = 1603;
constexpr std::uint32_t kBadConfiguration = 1610;
constexpr std::uint32_t kUnknownComponent = 1607;
constexpr std::uint32_t kInstallServiceFailure = 1601;
} // namespace win

// The English system text for a code, as FormatMessage gives it on an English Windows,
// without the trailing line end. Unknown codes read "Windows error N".
std::string WindowsErrorText(std::uint32_t code);

// A failed platform call: the Windows error code and its text, and, when an operation made of
// many calls failed, which of them and on what path.
struct WinError {
    WinError() = default;
    WinError(std::uint32_t code, std::string text, std::string operation = {},
             std::string path = {})
        : code(code), text(std::move(text)), operation(std::move(operation)),
          path(std::move(path)) {}

    std::uint32_t code = 0;
    std::string text;
    std::string operation; // "copy file", "create directory"; empty for a single call
    std::string path;      // the file or directory it stopped at

    static WinError FromCode(std::uint32_t code) { return WinError{code, WindowsErrorText(code)}; }
    // "Access is denied. (error 5)"
    std::string Describe() const;
    // "copy file D:\Mira Maps\x\a.map: Access is denied. (error 5)"; Describe() without a place.
    std::string DescribeWhere() const;
    friend bool operator==(const WinError&, const WinError&) = default;
};

// Outcome of a platform call that returns nothing: success, or the WinError.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(WinError error) : failed_(true), error_(std::move(error)) {}
    static Status Failure(std::uint32_t code) { return Status(WinError::FromCode(code)); }

    bool ok() const { return !failed_; }
    // Only meaningful when !ok().
    const WinError& error() const { return error_; }
    std::uint32_t code() const { return failed_ ? error_.code : win::kSuccess; }
    std::string Describe() const { return failed_ ? error_.Describe() : "done"; }

private:
    bool failed_ = false;
    WinError error_;
};

// The failure of an operation made of many calls, naming the call and path it stopped at.
inline Status FailedAt(WinError error, std::string operation, std::string path) {
    error.operation = std::move(operation);
    error.path = std::move(path);
    return Status(std::move(error));
}

// Outcome of a platform call that returns a value: the value, or the WinError.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(WinError error) : state_(std::in_place_index<1>, std::move(error)) {}
    static Result Failure(std::uint32_t code) { return Result(WinError::FromCode(code)); }

    bool ok() const { return state_.index() == 0; }
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    // Only meaningful when !ok().
    const WinError& error() const { return std::get<1>(state_); }
    std::uint32_t code() const { return ok() ? win::kSuccess : error().code; }
    Status status() const { return ok() ? Status() : Status(error()); }
    T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, WinError> state_;
};

} // namespace korvex
