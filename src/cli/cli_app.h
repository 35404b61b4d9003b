#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace voltaro::cli {

// Exit statuses of voltaro-cli.
inline constexpr int kExitResult = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoResult = 3;

struct Environment {
    std::ostream& out;
    std::ostream& err;
    std::istream* in = nullptr;        // answers to questions; none means "no"
    bool interactiveTerminal = false;  // standard output is a terminal
    bool handleInterrupts = false;     // Ctrl-C stops the test, then exits
    int columns = 0;                   // the terminal's width in characters; 0: not known
};

// Blocks SIGINT and SIGTERM in the calling thread, and so in every thread started after it: called
// first thing in main(), so that no thread can be killed by them before the measure command reads
// them. runCli() unblocks them again for the other commands, which end at once as usual.
void blockInterrupts();

// Runs voltaro-cli with its arguments (without the program name).
int runCli(const std::vector<std::string>& arguments, Environment& environment);

}  // namespace voltaro::cli
