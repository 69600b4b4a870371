// The progress file's lines turned into the Windows Installer's messages: whole and partial
// lines, steps with and without their end, counts that rise, repeat or overshoot, garbage.
#include "packaging/customaction/ProgressMessages.h"

#include <gtest/gtest.h>

namespace korvex::customaction {
namespace {

// "data <caption>", "info <2> <3>", "add <ticks>", "report <ticks>".
std::string Show(const InstallerMessage& message) {
    std::string text;
    if (message.type == InstallerMessage::Type::ActionData) {
        text.append("data ").append(message.text);
        return text;
    }
    const char* kinds[] = {"?", "info", "report", "add"};
    text.append(kinds[message.fields[0] & 3]).append(" ").append(std::to_string(message.fields[1]));
    if (message.fields[0] == static_cast<std::int32_t>(ProgressField::ActionInfo)) {
        text.append(" ").append(std::to_string(message.fields[2]));
    }
    return text;
}

// The messages of `chunks` read one after the other, then of Finish when `finish`.
std::vector<std::string> Translate(const std::vector<std::string>& chunks, bool finish = true) {
    ProgressMessages messages;
    std::vector<std::string> shown;
    const auto add = [&](const std::vector<InstallerMessage>& out) {
        for (const InstallerMessage& message : out) {
            shown.push_back(Show(message));
        }
    };
    for (const std::string& chunk : chunks) {
        add(messages.Read(chunk));
    }
    if (finish) {
        add(messages.Finish());
    }
    return shown;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

struct Row {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> messages;
};

const Row kRows[] = {
    {"a whole step",
     {"step 4 Copying the map tree to C:\\TELMIMAP\r\nfiles 1\r\nfiles 3\r\nend\r\n"},
     {"data Copying the map tree to C:\\TELMIMAP", "info 0 0", "add 4096", "report 1024",
      "report 2048", "report 1024"}},
    {"lines split anywhere, LF alone ends a line too",
     {"ste", "p 2 Restoring\r", "\nfiles", " 1\r\nfiles 2\n", "end\r\n"},
     {"data Restoring", "info 0 0", "add 2048", "report 1024", "report 1024"}},
    {"two steps; the action info once",
     {"step 1 A\r\nend\r\nstep 2 B\r\nfiles 2\r\nend\r\n"},
     {"data A", "info 0 0", "add 1024", "report 1024", "data B", "add 2048", "report 2048"}},
    {"a step without its end is ended by the next",
     {"step 2 A\r\nfiles 1\r\nstep 3 B\r\nend\r\n"},
     {"data A", "info 0 0", "add 2048", "report 1024", "report 1024", "data B", "add 3072",
      "report 3072"}},
    {"a program stopped dead: its open step ends, its half line is dropped",
     {"step 5 A\r\nfiles 2\r\nfiles 4"},
     {"data A", "info 0 0", "add 5120", "report 2048", "report 3072"}},
    {"repeated, falling and overshooting counts",
     {"step 4 A\r\nfiles 2\r\nfiles 2\r\nfiles 1\r\nfiles 9\r\nfiles 10\r\nend\r\n"},
     {"data A", "info 0 0", "add 4096", "report 2048", "report 2048"}},
    {"a step of no files has no ticks",
     {"step 0 Nothing to copy\r\nend\r\n"},
     {"data Nothing to copy", "info 0 0"}},
    {"a step without a caption",
     {"step 1\r\nend\r\n"},
     {"data ", "info 0 0", "add 1024", "report 1024"}},
    {"a caption keeps its spaces and UTF-8",
     {"step 1 Copying  the Mira maps for system 10: studio \xc3\xa9\r\n"},
     {"data Copying  the Mira maps for system 10: studio \xc3\xa9", "info 0 0", "add 1024",
      "report 1024"}},
    {"a caption's brackets and braces are shown as they are, not formatted",
     {"step 0 Copying C:\\M[1]\\{x} [Prop]\r\n"},
     {"data Copying C:\\M[\\[]1[\\]]\\[\\{]x[\\}] [\\[]Prop[\\]]", "info 0 0"}},
    {"garbage is ignored",
     {"files 1\r\nend\r\nhello\r\n\r\nstep\r\nstep x A\r\nstep -1 A\r\nstep  3 A\r\nSTEP 3 A\r\n"
      "step 3x A\r\nstep 9999999999999 A\r\nstep 2 A\r\nfiles\r\nfiles -1\r\nfiles 1x\r\n"
      "files 0x1\r\nfiles  1\r\nend now\r\nEND\r\nfiles 1\r\nend\r\n"},
     {"data A", "info 0 0", "add 2048", "report 1024", "report 1024"}},
    {"a step of many files: its ticks are capped and shared out",
     {"step 1000000 Big\r\nfiles 1\r\nfiles 500000\r\nfiles 999999\r\nend\r\n"},
     {"data Big", "info 0 0", "add 16777216", "report 16", "report 8388592", "report 8388591",
      "report 17"}},
};

TEST(ProgressMessages, EachLineAsTheInstallerGetsIt) {
    for (const Row& row : kRows) {
        EXPECT_EQ(Joined(Translate(row.chunks)), Joined(row.messages)) << row.name;
    }
}

// However the file is cut into reads, the messages are the same; and every step's reports add
// up to its addition, so an external handler's totals match.
TEST(ProgressMessages, ByteByByteAsWholeAndReportsAddUpToEachAddition) {
    for (const Row& row : kRows) {
        std::string whole;
        for (const std::string& chunk : row.chunks) {
            whole += chunk;
        }
        std::vector<std::string> bytes;
        for (char c : whole) {
            bytes.emplace_back(1, c);
        }
        const std::vector<std::string> shown = Translate(bytes);
        EXPECT_EQ(Joined(shown), Joined(Translate({whole}))) << row.name;

        long long open = 0;
        for (const std::string& message : shown) {
            if (message.rfind("add ", 0) == 0 || message.rfind("data ", 0) == 0) {
                EXPECT_EQ(open, 0)
                    << row.name << ": a step's reports fall short before " << message;
                open = message[0] == 'a' ? std::stoll(message.substr(4)) : 0;
            } else if (message.rfind("report ", 0) == 0) {
                open -= std::stoll(message.substr(7));
                EXPECT_GE(open, 0) << row.name << ": reports beyond the addition";
            }
        }
        EXPECT_EQ(open, 0) << row.name << ": the last step's reports fall short";
    }
}

// While the program runs, a line is passed on as soon as it is whole, and not before.
TEST(ProgressMessages, NothingOfALineBeforeItsEnd) {
    ProgressMessages messages;
    EXPECT_TRUE(messages.Read("step 2 A").empty());
    EXPECT_EQ(messages.Read("\r\n").size(), 3u);
    EXPECT_TRUE(messages.Read("files 1").empty());
    ASSERT_EQ(messages.Read("\r\nfiles 2\r").size(), 1u);
    ASSERT_EQ(messages.Read("\n").size(), 1u);
    EXPECT_TRUE(messages.Read("end\r\n").empty()); // all ticks reported already
    EXPECT_TRUE(messages.Finish().empty());
}

} // namespace
} // namespace korvex::customaction
