// The switches of a run and the two ways they reach a program: the environment variables
// KORVEX_ANSWERS, KORVEX_LOG, KORVEX_RECORD and KORVEX_PROGRESS, which a person sets by hand, or
// arguments at the head of the command line, which the installation package passes because
// Windows does not hand its environment to a program it starts through the elevation prompt:
//
//     upgradeprep.exe /korvex-switches "KORVEX_ANSWERS=C:\a b.ini" KORVEX_LOG= KORVEX_RECORD=
//                     KORVEX_PROGRESS=C:\Windows\Temp\korvex-1f\progress 7.1
//
// Whoever chooses a program's command line already decides what it runs with, so the
// arguments add no trust; nothing a program reads here comes from a file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvex::unattended {

// The switches, each empty when not given.
struct Switches {
    std::string answers;
    std::string record;
    std::string log;
    // The file the run's progress is appended to for the package's custom action, which passes
    // it on to the Windows Installer (platform/ProgressReport.h says what it holds).
    std::string progress = {};
    friend bool operator==(const Switches&, const Switches&) = default;
};

// The argument that opens the switches on a command line.
inline constexpr std::string_view kSwitchesArgument = "/korvex-switches";

// One argument as CommandLineToArgvW reads it back: unchanged when it is not empty and holds
// no blank, tab or quote; otherwise in quotes, each quote escaped with a backslash and the
// backslashes before a quote, or before the closing one, doubled.
std::string QuoteArgument(std::string_view argument);

// The arguments that carry `switches`: kSwitchesArgument, then KORVEX_ANSWERS=...,
// KORVEX_LOG=..., KORVEX_RECORD=... and KORVEX_PROGRESS=..., in this order, each quoted as needed.
std::string SwitchesArguments(const Switches& switches);

// Where a command line's arguments begin: past the program's name (a quoted name up to its
// closing quote, otherwise up to the first character below '!') and the blanks and control
// characters after it.
std::size_t ArgumentsStart(std::string_view commandLine);

// A lookup of the process's environment: nothing when the variable is not set.
using Environment = std::function<std::optional<std::string>(std::string_view name)>;

// What a program starts with.
struct ProgramStart {
    Switches switches;
    std::string commandLine; // the whole command line without the switches' arguments
    std::string error;       // why the switches' arguments cannot be read; empty when they can
};

// Reads a program's start from its whole command line (program name included). When the first
// argument after the program's name (a quoted name up to its closing quote, otherwise up to the
// first character below '!') is exactly kSwitchesArgument, the four arguments after it, read
// as CommandLineToArgvW reads them, are the switches, the environment is not asked, and the
// command line loses them and the blanks after them. Otherwise the command line stays exactly
// as it is and the switches are the environment's variables.
ProgramStart ReadProgramStart(std::string_view commandLine, const Environment& environment);

} // namespace korvex::unattended
