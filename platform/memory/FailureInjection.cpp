// Operation counting and injected failures of the in-memory Windows.
#include "platform/memory/FailureInjection.h"

#include <algorithm>
#include <cstddef>

namespace korvex::memory {

namespace {

// Whether `inner` is `outer` or lies below it.
bool IsAtOrBelow(const std::vector<std::string>& inner, const std::vector<std::string>& outer) {
    if (inner.size() < outer.size()) {
        return false;
    }
    for (std::size_t i = 0; i < outer.size(); ++i) {
        if (inner[i] != outer[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view OperationName(Operation operation) {
    switch (operation) {
    case Operation::Search:
        return "Search";
    case Operation::SearchNext:
        return "SearchNext";
    case Operation::GetAttributes:
        return "GetAttributes";
    case Operation::GetFileInformation:
        return "GetFileInformation";
    case Operation::SetAttributes:
        return "SetAttributes";
    case Operation::CopyFile:
        return "CopyFile";
    case Operation::MoveFile:
        return "MoveFile";
    case Operation::DeleteFile:
        return "DeleteFile";
    case Operation::CreateDirectory:
        return "CreateDirectory";
    case Operation::RemoveDirectory:
        return "RemoveDirectory";
    case Operation::GetShortPathName:
        return "GetShortPathName";
    case Operation::ReadFile:
        return "ReadFile";
    case Operation::WriteFile:
        return "WriteFile";
    case Operation::AppendFile:
        return "AppendFile";
    case Operation::LogicalDrives:
        return "LogicalDrives";
    case Operation::GetDriveType:
        return "GetDriveType";
    case Operation::CurrentDirectory:
        return "CurrentDirectory";
    case Operation::WindowsDirectory:
        return "WindowsDirectory";
    case Operation::WriteProfileString:
        return "WriteProfileString";
    case Operation::RelatedProducts:
        return "RelatedProducts";
    case Operation::EnumProducts:
        return "EnumProducts";
    case Operation::ProductInfo:
        return "ProductInfo";
    case Operation::ComponentPath:
        return "ComponentPath";
    case Operation::Version:
        return "Version";
    case Operation::Now:
        return "Now";
    }
    return "?";
}

std::optional<std::uint32_t>
FailureInjection::CountCall(Operation operation, std::initializer_list<std::string_view> paths,
                            std::string_view currentDirectory) {
    ++counts_[static_cast<std::size_t>(operation)];
    ++total_;
    if (operation == killKind_ && counts_[static_cast<std::size_t>(operation)] == killAt_) {
        throw Killed{};
    }
    // Every rule counting this call counts down, even when an earlier one already fails it.
    std::optional<std::uint32_t> code;
    for (auto it = nthRules_.begin(); it != nthRules_.end();) {
        if ((!it->kind || *it->kind == operation) && --it->remaining == 0) {
            if (!code) {
                code = it->code;
            }
            it = nthRules_.erase(it);
        } else {
            ++it;
        }
    }
    if (code || pathRules_.empty()) {
        return code;
    }
    for (const std::string_view path : paths) {
        const auto parsed = ParsePath(path, currentDirectory);
        if (!parsed.ok()) {
            continue;
        }
        const std::vector<std::string> folded = parsed.value().Folded();
        for (const PathRule& rule : pathRules_) {
            if (rule.kind == operation && rule.drive == parsed.value().drive &&
                IsAtOrBelow(folded, rule.folded)) {
                return rule.code;
            }
        }
    }
    return std::nullopt;
}

std::uint64_t FailureInjection::Count(Operation operation) const {
    return counts_[static_cast<std::size_t>(operation)];
}

void FailureInjection::ResetCounts() {
    counts_.fill(0);
    total_ = 0;
}

void FailureInjection::FailNth(Operation operation, std::uint64_t n, std::uint32_t code) {
    if (n > 0) {
        nthRules_.push_back({operation, n, code});
    }
}

void FailureInjection::FailNthOverall(std::uint64_t n, std::uint32_t code) {
    if (n > 0) {
        nthRules_.push_back({std::nullopt, n, code});
    }
}

void FailureInjection::FailPath(Operation operation, const ParsedPath& path, std::uint32_t code) {
    pathRules_.push_back({operation, path.drive, path.Folded(), code});
}

void FailureInjection::ClearFailures() {
    nthRules_.clear();
    pathRules_.clear();
    killAt_ = 0;
    killInCopy_ = 0;
}

void FailureInjection::SearchOpened() {
    mostOpenSearches_ = std::max(mostOpenSearches_, ++openSearches_);
}

} // namespace korvex::memory
