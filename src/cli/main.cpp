#include <unistd.h>

#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    voltaro::cli::Environment environment{std::cout, std::cerr, &std::cin, isatty(STDOUT_FILENO) == 1,
                                          true};
    return voltaro::cli::runCli(arguments, environment);
}
