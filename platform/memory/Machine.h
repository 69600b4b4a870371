// The state the in-memory Windows' services share: drives with their trees of files and
// directories and their names, the current and Windows directories, version, clock, installed
// products and the operation counts; and the start every platform operation makes on it.
//
// What the tree models, beyond the services' comments:
// - Paths as GetFullPathName reads them (ParsePath), names compared as FoldCase folds them; no
//   network paths, no MAX_PATH limit.
// - Capacity: a write, append, copy, INI write or move to another drive that would take a drive
//   past the bytes it may hold in file contents fails with ERROR_DISK_FULL before changing
//   anything: no partial copy, an existing destination keeps its bytes.
// - 8.3 names are generated on drives that generate them, when an entry is created, copied or
//   moved in: base cut to 6 characters + "~n" (fewer characters from ~10 on) + up to 3
//   characters of the last extension, upper case, blanks, dots and "+,;=[]" dropped, other
//   non-ASCII characters as "_". Paths may use them.
// - Junctions lead paths into their target; a path through more than 63 junctions fails with
//   ERROR_CANT_RESOLVE_FILENAME, so a junction loop ends any walk.
// - Who may change a directory, as Windows' default access lists decide it: a fixed drive's root
//   lets every signed-in user create folders there, and a folder made at the root lets them
//   change everything in it; below, a directory takes its parent's rule; a protected directory
//   (CreateProtectedDirectory) lets only the system and the administrators change it. What the
//   building helpers make is the administrators' unless a test says otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "platform/memory/FailureInjection.h"
#include "platform/memory/MemoryInstaller.h"
#include "platform/memory/Paths.h"

namespace korvex::memory {

// The attribute bits a file or directory stores; directory and reparse-point bits come from
// what the entry is, and FILE_ATTRIBUTE_NORMAL is what an entry with no bit reports.
// SetFileAttributes changes only the settable ones; how NTFS stores a file (compressed,
// sparse, encrypted) is set by other means, here by the building helpers.
constexpr std::uint32_t kSettableAttributes =
    platform::attr::kReadOnly | platform::attr::kHidden | platform::attr::kSystem |
    platform::attr::kArchive | platform::attr::kTemporary | platform::attr::kOffline |
    platform::attr::kNotContentIndexed;
constexpr std::uint32_t kStoredAttributes = kSettableAttributes | platform::attr::kSparse |
                                            platform::attr::kCompressed |
                                            platform::attr::kEncrypted;

// A file, a directory, a junction or a drive's root.
struct Node : std::enable_shared_from_this<Node> {
    std::string name;      // the long name, as created
    std::string shortName; // the generated 8.3 name; empty when the long name serves
    bool directory = false;
    bool root = false;
    std::uint32_t attributes = 0; // kStoredAttributes bits only
    std::string contents;         // files
    std::string junctionTarget;   // absolute path; set for a junction only
    bool othersMayChange = false; // standard users may change it (directories)
    // Entries by folded long name, so a std::map gives NTFS's listing order.
    std::map<std::string, std::shared_ptr<Node>> children;
    // Folded short name to folded long name of the entries that have one.
    std::map<std::string, std::string> shortNames;
    // For each class of generated names (see CandidateClassOf), a number below which every
    // name of the class is taken: where the search for the lowest free one starts.
    std::map<std::string, int> shortNameHints;
    Node* parent = nullptr; // null for a root and for an entry no longer in a tree

    bool IsJunction() const { return !junctionTarget.empty(); }
};

struct Drive {
    platform::DriveType type = platform::DriveType::Fixed;
    bool mediaPresent = true;
    bool shortNames = false;
    std::optional<std::uint64_t> capacity;
    std::uint64_t used = 0;      // bytes in the contents of files
    std::uint64_t bytesRead = 0; // file contents read from it, by ReadFile and as a copy's source
    std::shared_ptr<Node> root;
};

// The attributes an entry reports: its stored bits, FILE_ATTRIBUTE_DIRECTORY for a directory,
// FILE_ATTRIBUTE_REPARSE_POINT too for a junction, FILE_ATTRIBUTE_NORMAL when no bit is set.
std::uint32_t Reported(const Node& node);
// Whether the drive has room for `added` bytes once `removed` bytes are gone.
bool Fits(const Drive& drive, std::uint64_t removed, std::uint64_t added);
// Replaces a file's bytes, keeping the drive's count of bytes used.
void SetContents(Drive& drive, Node& file, std::string bytes);
// The entry of a directory with that long or 8.3 name.
std::shared_ptr<Node> Find(const Node& directory, std::string_view name);
std::shared_ptr<Node> NewNode(std::string name, bool directory);
// Puts an entry into a directory under its current name, generating its short name there.
void Attach(const Drive& drive, Node& directory, const std::shared_ptr<Node>& node);
// Takes an entry out of its directory; its short name is free for the next one.
void Detach(Node& directory, Node& node);

// Whether a walk honours a drive's missing medium (platform calls) or sees the data of the
// medium regardless (building and inspecting helpers).
enum class Media { Honour, Ignore };

// A directory reached by a path: the drive that holds it and the directory itself.
struct Where {
    Drive* drive = nullptr;
    Node* directory = nullptr;
};

// An entry named by a path: where its name lives and the entry, if there is one.
struct Place {
    Drive* drive = nullptr;
    Node* directory = nullptr;  // holds the entry; null when the path is a drive root
    std::shared_ptr<Node> node; // null when nothing has that name
    std::string name;           // the last component as written
    ParsedPath path;            // the path made absolute, for an operation's own use
};

// Gives the file a place names these bytes, creating it when missing; the place is in a
// directory and names no directory. ERROR_DISK_FULL when the bytes do not fit on the drive.
Result<Node*> StoreFile(const Place& place, std::string bytes);

// How far the start of an operation resolves the path it names.
enum class Reach {
    Nothing,  // not at all: the path only meets FailPath, the operation reads it its own way
    Drive,    // to its drive, medium in: the place is the drive's root (the operation walks on)
    Pattern,  // to the directory that a search pattern's last component is matched in
    Entry,    // to the entry the path names, if there is one (the place's node is null if not)
    Existing, // to the entry the path names, which must exist: ERROR_FILE_NOT_FOUND if not
};

// Everything the machine holds. Searches keep a weak reference to it, so a search that
// outlives its machine ends instead of reading freed memory.
struct Machine {
    std::array<std::unique_ptr<Drive>, 26> drives;
    std::string currentDirectory = "C:\\";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::optional<platform::OsVersion> version = platform::OsVersion{2, 5, 1};
    platform::LocalTime time{2026, 1, 2, 14, 5, 33, 0};
    // The milliseconds SystemInfo::Ticks answers: moved on by Wait, and by each file copied as
    // `copyMilliseconds` says, so that tests can make a copy take time.
    std::uint64_t ticks = 0;
    std::uint32_t copyMilliseconds = 0;
    std::vector<InstalledProduct> products;
    bool installerAvailable = true;
    FailureInjection failures;

    // The start of every platform operation, so that each operation's body says only what is
    // particular to it: counts the call and fails it as an injected failure says (each of
    // `paths` meets FailPath), then resolves the first path as far as `reach` asks.
    Result<Place> Begin(Operation operation, std::initializer_list<std::string_view> paths = {},
                        Reach reach = Reach::Nothing);
    // Resolves a path as Begin does, uncounted: for an operation's second path. The path is
    // made absolute against the current directory (a pattern naming a drive root or ending in
    // "\" fails here with ERROR_FILE_NOT_FOUND); a name Windows does not store fails with
    // ERROR_INVALID_NAME (a pattern's last component may hold wildcards), a missing drive with
    // ERROR_PATH_NOT_FOUND, a drive without its medium with ERROR_NOT_READY. The walk to the
    // last component fails with ERROR_PATH_NOT_FOUND for a directory on the way that is missing
    // or a file (ERROR_INVALID_NAME for a pattern's directory), and "file\" with
    // ERROR_INVALID_NAME.
    Result<Place> Resolve(std::string_view path, Reach reach);

    Drive* DriveAt(char letter);
    // A fixed drive with its medium in, as building a file on a drive not yet added makes it.
    Drive& AddDrive(char letter);
    Result<ParsedPath> Parse(std::string_view path) const;
    // The directory named by the first `count` components, junctions followed. A component
    // that is missing or a file fails with ERROR_PATH_NOT_FOUND, except that the last one
    // being a file fails with `fileCode`.
    Result<Where> Walk(char letter, const std::vector<std::string>& components, std::size_t count,
                       Media media, int& reparses, std::uint32_t fileCode = win::kPathNotFound);
    // The directory a junction leads to.
    Result<Where> Follow(const Node& junction, Media media, int& reparses);
    Result<Where> WalkAll(const ParsedPath& path, Media media);
    // The entry a parsed path names; its last component is not followed when it is a
    // junction.
    Result<Place> Locate(const ParsedPath& path, Media media,
                         std::uint32_t fileCode = win::kPathNotFound);
    // The node of the current directory, if it exists.
    Node* CurrentDirectoryNode();
};

} // namespace korvex::memory
