#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    // Before anything can start a thread.
    voltaro::cli::blockInterrupts();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    voltaro::cli::Environment environment{std::cout, std::cerr, &std::cin, isatty(STDOUT_FILENO) == 1,
                                          true};
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        environment.columns = size.ws_col;
    } else if (const char* columns = std::getenv("COLUMNS"); columns != nullptr) {
        environment.columns = std::atoi(columns);
    }
    return voltaro::cli::runCli(arguments, environment);
}
