// The switches from the command line or the environment.
#include "platform/unattended/Switches.h"

#include <array>

namespace korvex::unattended {

namespace {

// The variables, and the arguments' names, in the order of the arguments, with their fields.
constexpr std::array<std::string_view, 4> kNames = {"KORVEX_ANSWERS", "KORVEX_LOG", "KORVEX_RECORD",
                                                    "KORVEX_PROGRESS"};
constexpr std::array<std::string Switches::*, 4> kFields = {&Switches::answers, &Switches::log,
                                                            &Switches::record, &Switches::progress};

// Characters up to the blank end an unquoted program name and are skipped after it.
bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// What separates arguments after the program's name.
bool IsSeparator(char c) {
    return c == ' ' || c == '\t';
}

// Reads the argument at `pos` as CommandLineToArgvW does and moves `pos` past it: 2n
// backslashes before a quote give n and the quote opens or closes a quoted part, 2n+1 give n
// and a literal quote; other backslashes are literal; two quotes inside a quoted part give one
// and close it; a blank or tab outside a quoted part ends the argument.
std::string ReadArgument(std::string_view line, std::size_t& pos) {
    std::string argument;
    bool quoted = false;
    while (pos < line.size() && (quoted || !IsSeparator(line[pos]))) {
        if (line[pos] == '\\') {
            const std::size_t end = line.find_first_not_of('\\', pos);
            const std::size_t count = (end == std::string_view::npos ? line.size() : end) - pos;
            pos += count;
            if (pos < line.size() && line[pos] == '"') {
                argument.append(count / 2, '\\');
                if (count % 2 == 1) {
                    argument += '"';
                    ++pos;
                }
            } else {
                argument.append(count, '\\');
            }
        } else if (line[pos] == '"') {
            if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                argument += '"';
                ++pos;
            }
            quoted = !quoted;
            ++pos;
        } else {
            argument += line[pos++];
        }
    }
    return argument;
}

} // namespace

std::size_t ArgumentsStart(std::string_view line) {
    std::size_t pos = 0;
    if (!line.empty() && line.front() == '"') {
        const std::size_t closing = line.find('"', 1);
        pos = closing == std::string_view::npos ? line.size() : closing + 1;
    } else {
        while (pos < line.size() && !IsBlankOrControl(line[pos])) {
            ++pos;
        }
    }
    while (pos < line.size() && IsBlankOrControl(line[pos])) {
        ++pos;
    }
    return pos;
}

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote itself escaped.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    // Before the closing quote, too.
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

std::string SwitchesArguments(const Switches& switches) {
    std::string arguments(kSwitchesArgument);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        arguments += ' ' + QuoteArgument(std::string(kNames[i]) + '=' + switches.*kFields[i]);
    }
    return arguments;
}

ProgramStart ReadProgramStart(std::string_view commandLine, const Environment& environment) {
    ProgramStart start;
    std::size_t pos = ArgumentsStart(commandLine);
    const std::size_t arguments = pos;
    const std::string_view rest = commandLine.substr(pos);
    if (!rest.starts_with(kSwitchesArgument) ||
        (rest.size() > kSwitchesArgument.size() && !IsSeparator(rest[kSwitchesArgument.size()]))) {
        start.commandLine = commandLine;
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            start.switches.*kFields[i] = environment(kNames[i]).value_or("");
        }
        return start;
    }
    pos += kSwitchesArgument.size();
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        while (pos < commandLine.size() && IsSeparator(commandLine[pos])) {
            ++pos;
        }
        const std::string argument = ReadArgument(commandLine, pos);
        const std::string name = std::string(kNames[i]) + '=';
        if (!argument.starts_with(name)) {
            start.error = std::string(kSwitchesArgument) + " is not followed by " + name +
                          "... in its place: \"" + argument + "\"";
            return start;
        }
        start.switches.*kFields[i] = argument.substr(name.size());
    }
    while (pos < commandLine.size() && IsBlankOrControl(commandLine[pos])) {
        ++pos;
    }
    start.commandLine =
        std::string(commandLine.substr(0, arguments)) + std::string(commandLine.substr(pos));
    return start;
}

} // namespace korvex::unattended
