// Attributes, copy, move, delete, directories and whole-file reads and writes, including the
// Windows error each refused call gives and that a refused call changes nothing.
#include "platform/contract/ContractTest.h"

#include <optional>

namespace korvex::contract {
namespace {

using platform::attr::kDirectory;
using platform::attr::kHidden;
using platform::attr::kNormal;
using platform::attr::kReadOnly;
using platform::attr::kSystem;

// A file's bytes and comparable attributes, or the error of reading them.
std::string Snapshot(platform::FileSystem& files, const std::string& path) {
    const auto attributes = files.GetAttributes(path);
    if (!attributes.ok()) {
        return "missing (" + std::to_string(attributes.code()) + ")";
    }
    if (platform::IsDirectory(attributes.value())) {
        return "directory " + ShowAttributes(Comparable(attributes.value()));
    }
    const auto bytes = files.ReadFile(path);
    return (bytes.ok() ? "\"" + bytes.value() + "\" " : "unreadable ") +
           ShowAttributes(Comparable(attributes.value()));
}

class FileContract : public ContractTest {};

TEST_F(FileContract, SetAttributesOnAFile) {
    struct Row {
        std::uint32_t set;
        std::uint32_t read; // comparable
    };
    const Row rows[] = {
        {kReadOnly, kReadOnly},
        {kHidden, kHidden},
        {kSystem, kSystem},
        {kReadOnly | kHidden | kSystem, kReadOnly | kHidden | kSystem},
        {kNormal, kNormal},
        {platform::attr::kArchive, kNormal},
        {kHidden | kNormal, kHidden},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "file" + std::to_string(++n);
        Put(name, "x");
        const Status set = files().SetAttributes(At(name), row.set);
        EXPECT_TRUE(set.ok()) << ShowAttributes(row.set) << ": " << set.Describe();
        const auto read = files().GetAttributes(At(name));
        ASSERT_TRUE(read.ok()) << read.error().Describe();
        EXPECT_EQ(Comparable(read.value()), row.read)
            << "set " << ShowAttributes(row.set) << ", read " << ShowAttributes(read.value());
    }
}

TEST_F(FileContract, SetAttributesOnADirectoryKeepsItADirectory) {
    struct Row {
        std::uint32_t set;
        std::uint32_t read;
    };
    const Row rows[] = {
        {kHidden, kDirectory | kHidden},
        {kReadOnly, kDirectory | kReadOnly},
        {kSystem | kHidden, kDirectory | kSystem | kHidden},
        {kNormal, kDirectory},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "dir" + std::to_string(++n);
        MakeDirectory(name);
        EXPECT_TRUE(files().SetAttributes(At(name), row.set).ok());
        const auto read = files().GetAttributes(At(name));
        ASSERT_TRUE(read.ok()) << read.error().Describe();
        // Without read-only directories, the other bits are still compared.
        const std::uint32_t compared =
            (row.set & kReadOnly) &&
                    !Checks(Shortfall::NoReadOnlyDirectories, "read-only bit of " + name)
                ? ~kReadOnly
                : ~0u;
        EXPECT_EQ(Comparable(read.value()) & compared, row.read & compared)
            << "set " << ShowAttributes(row.set) << ", read " << ShowAttributes(read.value());
    }
}

TEST_F(FileContract, AttributesOfMissingPaths) {
    Put("file", "x");
    struct Row {
        const char* path;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"missing", win::kFileNotFound},
        {"Missing\\file", win::kPathNotFound},
        {"file\\below", win::kPathNotFound},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(files().GetAttributes(At(row.path)).code(), row.code) << row.path;
        EXPECT_EQ(files().SetAttributes(At(row.path), kHidden).code(), row.code) << row.path;
    }
}

TEST_F(FileContract, CopyToANewFileKeepsTheSourceAttributes) {
    Put("source", "bytes", kReadOnly | kHidden);
    ASSERT_TRUE(files().CopyFile(At("source"), At("Copy of source")).ok());
    EXPECT_EQ(Snapshot(files(), At("Copy of source")), "\"bytes\" 0x3 [RH]");
    EXPECT_EQ(Snapshot(files(), At("source")), "\"bytes\" 0x3 [RH]");
}

TEST_F(FileContract, CopyOntoAFileReplacesItsBytesAndAttributes) {
    Put("source", "new bytes", kSystem);
    Put("target", "old bytes, longer than the new");
    ASSERT_TRUE(files().CopyFile(At("source"), At("target")).ok());
    const auto bytes = files().ReadFile(At("target"));
    EXPECT_EQ(bytes.value_or("unreadable"), "new bytes");
    if (Checks(Shortfall::CopyKeepsTargetAttributes, "attributes of the replaced file")) {
        EXPECT_EQ(Snapshot(files(), At("target")), "\"new bytes\" 0x4 [S]");
    }
}

TEST_F(FileContract, CopyRefusals) {
    Put("source", "source bytes");
    MakeDirectory("Dir");
    Put("readonly", "kept", kReadOnly);
    Put("hidden", "kept", kHidden);
    struct Row {
        const char* from;
        const char* to;
        std::uint32_t code;
        std::optional<Shortfall> unless;
    };
    const Row rows[] = {
        {"source", "readonly", win::kAccessDenied, Shortfall::WritesReadOnlyFiles},
        {"source", "hidden", win::kAccessDenied, Shortfall::ReplacesHiddenFiles},
        {"source", "Dir", win::kAccessDenied, std::nullopt},
        {"missing", "new1", win::kFileNotFound, std::nullopt},
        {"source", "Missing\\new2", win::kPathNotFound, std::nullopt},
        {"Dir", "new3", win::kAccessDenied, std::nullopt},
    };
    for (const Row& row : rows) {
        if (row.unless && !Checks(*row.unless, std::string("copy onto ") + row.to)) {
            continue;
        }
        const std::string before = Snapshot(files(), At(row.to));
        const Status copied = files().CopyFile(At(row.from), At(row.to));
        EXPECT_EQ(copied.code(), row.code) << row.from << " -> " << row.to;
        EXPECT_EQ(Snapshot(files(), At(row.to)), before) << row.from << " -> " << row.to;
    }
}

TEST_F(FileContract, MoveRenamesFilesAndDirectories) {
    Put("file", "bytes", kReadOnly);
    MakeDirectory("Dir");
    Put("Dir\\inner", "inner");
    MakeDirectory("Other");
    ASSERT_TRUE(files().MoveFile(At("file"), At("Other\\moved")).ok());
    EXPECT_EQ(Snapshot(files(), At("Other\\moved")), "\"bytes\" 0x1 [R]");
    EXPECT_EQ(files().GetAttributes(At("file")).code(), win::kFileNotFound);
    ASSERT_TRUE(files().MoveFile(At("Dir"), At("Renamed")).ok());
    EXPECT_EQ(Snapshot(files(), At("Renamed\\inner")), "\"inner\" 0x80 [N]");
    EXPECT_EQ(files().GetAttributes(At("Dir")).code(), win::kFileNotFound);
    // Changing only the case of a name is a rename, not a collision.
    ASSERT_TRUE(files().MoveFile(At("Renamed"), At("RENAMED")).ok());
    if (Checks(Shortfall::KeepsCaseOnRename, "the new case of RENAMED")) {
        EXPECT_EQ(List(files(), At("renamed")).names(), std::set<std::string>{"RENAMED"});
    }
}

TEST_F(FileContract, MoveNeverReplaces) {
    Put("source", "source");
    Put("target", "target");
    MakeDirectory("Dir");
    struct Row {
        const char* from;
        const char* to;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"source", "target", win::kAlreadyExists}, {"source", "TARGET", win::kAlreadyExists},
        {"source", "Dir", win::kAlreadyExists},    {"Dir", "target", win::kAlreadyExists},
        {"missing", "new1", win::kFileNotFound},   {"source", "Missing\\new2", win::kPathNotFound},
    };
    for (const Row& row : rows) {
        const std::string from = Snapshot(files(), At(row.from));
        const std::string to = Snapshot(files(), At(row.to));
        EXPECT_EQ(files().MoveFile(At(row.from), At(row.to)).code(), row.code)
            << row.from << " -> " << row.to;
        EXPECT_EQ(Snapshot(files(), At(row.from)), from) << row.from;
        EXPECT_EQ(Snapshot(files(), At(row.to)), to) << row.to;
    }
}

TEST_F(FileContract, DeleteRemovesPlainAndHiddenFiles) {
    Put("plain", "x");
    Put("hidden", "x", kHidden | kSystem);
    for (const char* name : {"plain", "hidden"}) {
        EXPECT_TRUE(files().DeleteFile(At(name)).ok()) << name;
        EXPECT_EQ(files().GetAttributes(At(name)).code(), win::kFileNotFound) << name;
    }
}

TEST_F(FileContract, DeleteRefusals) {
    Put("readonly", "kept", kReadOnly);
    MakeDirectory("Dir");
    struct Row {
        const char* path;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"readonly", win::kAccessDenied},
        {"Dir", win::kAccessDenied},
        {"missing", win::kFileNotFound},
        {"Missing\\file", win::kPathNotFound},
    };
    for (const Row& row : rows) {
        const std::string before = Snapshot(files(), At(row.path));
        EXPECT_EQ(files().DeleteFile(At(row.path)).code(), row.code) << row.path;
        EXPECT_EQ(Snapshot(files(), At(row.path)), before) << row.path;
    }
}

TEST_F(FileContract, CreateAndRemoveDirectories) {
    ASSERT_TRUE(files().CreateDirectory(At("New")).ok());
    ASSERT_TRUE(files().CreateDirectory(At("New\\Deeper")).ok());
    EXPECT_EQ(Snapshot(files(), At("New\\Deeper")), "directory 0x10 [D]");
    EXPECT_TRUE(files().RemoveDirectory(At("New\\Deeper")).ok());
    EXPECT_TRUE(files().RemoveDirectory(At("New")).ok());
    EXPECT_EQ(files().GetAttributes(At("New")).code(), win::kFileNotFound);
}

TEST_F(FileContract, DirectoryRefusals) {
    MakeDirectory("Dir");
    Put("Dir\\inner", "x");
    Put("file", "x");
    struct Row {
        const char* operation;
        const char* path;
        std::uint32_t code;
    };
    const Row rows[] = {
        {"create", "Dir", win::kAlreadyExists},    {"create", "DIR", win::kAlreadyExists},
        {"create", "file", win::kAlreadyExists},   {"create", "Missing\\New", win::kPathNotFound},
        {"remove", "Dir", win::kDirNotEmpty},      {"remove", "file", win::kDirectory},
        {"remove", "missing", win::kFileNotFound}, {"remove", "Missing\\Old", win::kPathNotFound},
    };
    for (const Row& row : rows) {
        const std::string before = Snapshot(files(), At(row.path));
        const Status status = std::string_view(row.operation) == "create"
                                  ? files().CreateDirectory(At(row.path))
                                  : files().RemoveDirectory(At(row.path));
        EXPECT_EQ(status.code(), row.code) << row.operation << " " << row.path;
        EXPECT_EQ(Snapshot(files(), At(row.path)), before) << row.operation << " " << row.path;
    }
}

TEST_F(FileContract, WriteAppendAndReadWholeFiles) {
    const std::string binary("line\r\nnul\0byte \xFF\xFE end", 22);
    ASSERT_TRUE(files().WriteFile(At("file"), binary).ok());
    EXPECT_EQ(files().ReadFile(At("file")).value_or("unreadable"), binary);
    ASSERT_TRUE(files().WriteFile(At("file"), "short").ok());
    EXPECT_EQ(files().ReadFile(At("file")).value_or("unreadable"), "short");
    ASSERT_TRUE(files().AppendFile(At("file"), " and more").ok());
    EXPECT_EQ(files().ReadFile(At("file")).value_or("unreadable"), "short and more");
    ASSERT_TRUE(files().AppendFile(At("log"), "first\r\n").ok());
    ASSERT_TRUE(files().AppendFile(At("log"), "second\r\n").ok());
    EXPECT_EQ(files().ReadFile(At("log")).value_or("unreadable"), "first\r\nsecond\r\n");
    ASSERT_TRUE(files().WriteFile(At("empty"), "").ok());
    EXPECT_EQ(files().ReadFile(At("empty")).value_or("unreadable"), "");
    // Kept open for appending: each write lands at the end, and the file stays readable.
    auto kept = files().OpenForAppend(At("log"));
    ASSERT_TRUE(kept.ok()) << kept.code();
    ASSERT_TRUE(kept.value()->Append("third\r\n").ok());
    EXPECT_EQ(files().ReadFile(At("log")).value_or("unreadable"), "first\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(files().OpenForAppend(At("Missing\\log")).code(), win::kPathNotFound);
}

TEST_F(FileContract, ReadWriteRefusals) {
    Put("readonly", "kept", kReadOnly);
    Put("hidden", "kept", kHidden);
    MakeDirectory("Dir");
    struct Row {
        const char* operation;
        const char* path;
        std::uint32_t code;
        std::optional<Shortfall> unless;
    };
    const Row rows[] = {
        {"read", "missing", win::kFileNotFound, std::nullopt},
        {"read", "Missing\\file", win::kPathNotFound, std::nullopt},
        {"read", "Dir", win::kAccessDenied, std::nullopt},
        {"write", "Missing\\file", win::kPathNotFound, std::nullopt},
        {"write", "readonly", win::kAccessDenied, Shortfall::WritesReadOnlyFiles},
        {"write", "hidden", win::kAccessDenied, Shortfall::ReplacesHiddenFiles},
        {"write", "Dir", win::kAccessDenied, std::nullopt},
        {"append", "Missing\\file", win::kPathNotFound, std::nullopt},
        {"append", "readonly", win::kAccessDenied, Shortfall::WritesReadOnlyFiles},
        {"append", "Dir", win::kAccessDenied, std::nullopt},
    };
    for (const Row& row : rows) {
        const std::string operation = row.operation;
        if (row.unless && !Checks(*row.unless, operation + " " + row.path)) {
            continue;
        }
        const std::string before = Snapshot(files(), At(row.path));
        const std::uint32_t code = operation == "read" ? files().ReadFile(At(row.path)).code()
                                   : operation == "write"
                                       ? files().WriteFile(At(row.path), "new").code()
                                       : files().AppendFile(At(row.path), "new").code();
        EXPECT_EQ(code, row.code) << operation << " " << row.path;
        EXPECT_EQ(Snapshot(files(), At(row.path)), before) << operation << " " << row.path;
    }
}

} // namespace
} // namespace korvex::contract
