// Remembering the changes of a run that failed.
#include "frontend/driver/FailedChanges.h"

namespace korvex::frontend {

Status WatchedFileSystem::Watch(std::string what, Status done) {
    if (!done.ok()) {
        failed_.push_back({std::move(what), done.error()});
    }
    return done;
}

Status WatchedFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
    return Watch("set the attributes of " + std::string(path),
                 inner_.SetAttributes(path, attributes));
}

Status WatchedFileSystem::CopyFile(std::string_view from, std::string_view to) {
    return Watch("copy " + std::string(from) + " to " + std::string(to), inner_.CopyFile(from, to));
}

Status WatchedFileSystem::MoveFile(std::string_view from, std::string_view to) {
    return Watch("move " + std::string(from) + " to " + std::string(to), inner_.MoveFile(from, to));
}

Status WatchedFileSystem::DeleteFile(std::string_view path) {
    Status deleted = inner_.DeleteFile(path);
    if (deleted.code() == win::kFileNotFound || deleted.code() == win::kPathNotFound) {
        return deleted;
    }
    return Watch("delete " + std::string(path), std::move(deleted));
}

Status WatchedFileSystem::CreateDirectory(std::string_view path) {
    return Watch("create the directory " + std::string(path), inner_.CreateDirectory(path));
}

Status WatchedFileSystem::CreateProtectedDirectory(std::string_view path) {
    return Watch("create the protected directory " + std::string(path),
                 inner_.CreateProtectedDirectory(path));
}

Status WatchedFileSystem::RemoveDirectory(std::string_view path) {
    return Watch("remove the directory " + std::string(path), inner_.RemoveDirectory(path));
}

Status WatchedFileSystem::WriteFile(std::string_view path, std::string_view bytes) {
    return Watch("write " + std::string(path), inner_.WriteFile(path, bytes));
}

Status WatchedFileSystem::AppendFile(std::string_view path, std::string_view bytes) {
    return Watch("append to " + std::string(path), inner_.AppendFile(path, bytes));
}

Status WatchedProfile::WriteString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) {
    Status written = inner_.WriteString(section, key, value, file);
    if (!written.ok()) {
        failed_.push_back({"write " + std::string(file) + " [" + std::string(section) + "] " +
                               std::string(key) + "=" + std::string(value),
                           written.error()});
    }
    return written;
}

} // namespace korvex::frontend
