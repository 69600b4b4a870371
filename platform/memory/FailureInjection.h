// Counting the in-memory Windows' platform operations and failing the ones a test chooses.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory/Paths.h"

namespace korvex::memory {

// The kinds of platform operation, counted and open to failure injection. Every call of a
// platform interface method counts as one operation of its kind; DirectorySearch::Next counts
// as SearchNext.
enum class Operation {
    Search,
    SearchNext,
    GetAttributes,
    GetFileInformation,
    SetAttributes,
    CopyFile,
    MoveFile,
    DeleteFile,
    CreateDirectory,
    RemoveDirectory,
    GetShortPathName,
    ReadFile,
    WriteFile,
    AppendFile,
    LogicalDrives,
    GetDriveType,
    CurrentDirectory,
    WindowsDirectory,
    WriteProfileString,
    RelatedProducts,
    EnumProducts,
    ProductInfo,
    ComponentPath,
    Version,
    Now,
};
constexpr int kOperationKinds = static_cast<int>(Operation::Now) + 1;
std::string_view OperationName(Operation operation);

// A run stopped dead, as by a power cut or a killed process: thrown through the program by the
// operation an injected crash hits. It is no error the program can see or catch (it derives
// from nothing the program catches); the test catches it and looks at what the run left.
struct Killed {};

// The operations counted so far, the failures injected into the ones to come and the directory
// searches open. MemoryWindows forwards its counting and failure-injection API here.
//
// A failed call still counts, and fails without effect. Calls without an error channel fail
// their own way, as their interface methods say. A FailPath rule compares a call's path as
// written (made absolute), not the path it leads to through junctions.
class FailureInjection {
public:
    // Counts one call of `operation` naming `paths`, and gives the code of the injected failure
    // that hits it, if any. The paths are made absolute against `currentDirectory`; one that is
    // not a path matches no FailPath rule.
    std::optional<std::uint32_t> CountCall(Operation operation,
                                           std::initializer_list<std::string_view> paths,
                                           std::string_view currentDirectory);

    std::uint64_t Count(Operation operation) const;
    std::uint64_t TotalCount() const { return total_; }
    void ResetCounts();
    void FailNth(Operation operation, std::uint64_t n, std::uint32_t code);
    void FailNthOverall(std::uint64_t n, std::uint32_t code);
    void FailPath(Operation operation, const ParsedPath& path, std::uint32_t code);
    // The n-th call of that kind from now on (1 = the next one) throws Killed before it does
    // anything.
    void KillAt(Operation operation, std::uint64_t n) {
        killKind_ = operation;
        killAt_ = counts_[static_cast<std::size_t>(operation)] + n;
    }
    // The n-th CopyFile from now on writes the first half of the file's bytes to its target,
    // then throws Killed.
    void KillInCopy(std::uint64_t n) {
        killInCopy_ = counts_[static_cast<std::size_t>(Operation::CopyFile)] + n;
    }
    // Called by CopyFile once counted: whether this copy is the one to stop half-way.
    bool KillsThisCopy() const {
        return killInCopy_ == counts_[static_cast<std::size_t>(Operation::CopyFile)];
    }
    void ClearFailures();

    // A directory search opened or closed.
    void SearchOpened();
    void SearchClosed() { --openSearches_; }
    int OpenSearches() const { return openSearches_; }
    int MostOpenSearches() const { return mostOpenSearches_; }

private:
    struct NthRule {
        std::optional<Operation> kind; // nothing: any kind
        std::uint64_t remaining = 0;   // calls left until the failing one
        std::uint32_t code = 0;
    };
    struct PathRule {
        Operation kind;
        char drive;
        std::vector<std::string> folded;
        std::uint32_t code;
    };

    std::array<std::uint64_t, kOperationKinds> counts_{};
    std::uint64_t total_ = 0;
    std::vector<NthRule> nthRules_;
    std::vector<PathRule> pathRules_;
    Operation killKind_ = Operation::Now;
    std::uint64_t killAt_ = 0;
    std::uint64_t killInCopy_ = 0;
    int openSearches_ = 0;
    int mostOpenSearches_ = 0;
};

} // namespace korvex::memory
