// English texts of the Windows error codes the system meets.
#include "platform/Error.h"

namespace korvex {

std::string WindowsErrorText(std::uint32_t code) {
    switch (code) {
    case win::kSuccess:
        return "The operation completed successfully.";
    case win::kFileNotFound:
        return "The system cannot find the file specified.";
    case win::kPathNotFound:
        return "The system cannot find the path specified.";
    case win::kAccessDenied:
        return "Access is denied.";
    case win::kInvalidHandle:
        return "The handle is invalid.";
    case win::kNotEnoughMemory:
        return "Not enough memory resources are available to process this command.";
    case win::kInvalidDrive:
        return "The system cannot find the drive specified.";
    case win::kNoMoreFiles:
        return "There are no more files.";
    case win::kNotReady:
        return "The device is not ready.";
    case win::kSharingViolation:
        return "The process cannot access the file because it is being used by another process.";
    case win::kHandleDiskFull:
        return "The disk is full.";
    case win::kNotSupported:
        return "The request is not supported.";
    case win::kFileExists:
        return "The file exists.";
    case win::kInvalidParameter:
        return "The parameter is incorrect.";
    case win::kDiskFull:
        return "There is not enough space on the disk.";
    case win::kInsufficientBuffer:
        return "The data area passed to a system call is too small.";
    case win::kInvalidName:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case win::kDirNotEmpty:
        return "The directory is not empty.";
    case win::kBadPathName:
        return "The specified path is invalid.";
    case win::kAlreadyExists:
        return "Cannot create a file when that file already exists.";
    case win::kFilenameExcedRange:
        return "The filename or extension is too long.";
    case win::kMoreData:
        return "More data is available.";
    case win::kNoMoreItems:
        return "No more data is available.";
    case win::kDirectory:
        return "The directory name is invalid.";
    case win::kInstallServiceFailure:
        return "The Windows Installer Service could not be accessed.";
    case win::kInstallUserExit:
        return "User cancelled installation.";
    case win::kInstallFailure:
        return "Fatal error during installation.";
    case win::kUnknownProduct:
        return "This action is only valid for products that are currently installed.";
    case win::kUnknownComponent:
        return "Component not used on this computer.";
    case win::kUnknownProperty:
        return "Unknown property.";
    case win::kBadConfiguration:
        return "The configuration data for this product is corrupt.  Contact your support "
               "personnel.";
    case win::kStoppedOnSymlink:
        return "The create operation stopped after reaching a symbolic link.";
    case win::kCantResolveFilename:
        return "The name of the file cannot be resolved by the system.";
    default:
        return "Windows error " + std::to_string(code);
    }
}

std::string WinError::Describe() const {
    return text + " (error " + std::to_string(code) + ")";
}

std::string WinError::DescribeWhere() const {
    return operation.empty() ? Describe() : operation + " " + path + ": " + Describe();
}

} // namespace korvex
