// What each command refuses: its exit status and the reason it gives.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace voltaro::cli {
namespace {

class Arguments : public DataDirTest {};

TEST_F(Arguments, WhatCannotBeDoneIsRefusedWithTheReason) {
    // A history of three tests, the newest started at 818000000.
    std::filesystem::copy(data("curve_history"), dir.path());
    const std::string badScript = scriptFile("0,state,charging\n5,level,high\n");
    const std::string picture = (dir.path() / "no" / "such.svg").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string reason;
    } cases[] = {
        {{}, kExitUsage, "A subcommand is required"},
        {{"measure", "--frobnicate"}, kExitUsage, "--frobnicate"},
        {{"measure", "--battery", "usb"}, kExitUsage, "not \"usb\""},
        {{"measure", "--battery", "replay:" + badScript}, kExitUsage, badScript + ":2:"},
        {{"measure", "--battery", "sim", "--watts", "-3"}, kExitUsage, "--watts: Value -3"},
        {{"measure", "--battery", "replay:x", "--watts", "10"}, kExitUsage, "simulated battery"},
        {{"measure", "--clock-start", "soon"}, kExitUsage, "--clock-start = soon"},
        {{"device", "--voltage", "nan"}, kExitUsage, "--voltage must be from 1"},
        {{"label", "soon", "--kind", "car"}, kExitUsage, "\"soon\" is not a start time"},
        {{"label", "818000000"}, kExitUsage, "say what the charger was"},
        {{"label", "818000000", "--watts", "١٨"}, kExitUsage, "--watts must be a whole"},
        {{"label", "818000000", "--kind", "solar"}, kExitUsage, "--kind must be"},
        {{"label", "818000000", "--brand", "Nobody"}, kExitUsage, "no brand \"Nobody\""},
        {{"label", "12345", "--kind", "car"}, kExitUsage, "no saved test started at 12345"},
        {{"label", "818000000", "--clear", "--kind", "wall"}, kExitUsage, "cannot go with"},
        {{"history", "show", "1", "--svg", picture}, 1, "cannot write the picture to " + picture},
        {{"history", "show", "4"}, kExitUsage, "'history' numbers the results 1 to 3"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& argument : c.arguments) line += " " + argument;
        SCOPED_TRACE(line);
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readFile(dir.path() / "history"), readFile(data("curve_history/history")));
    EXPECT_EQ(run({"--help"}).status, 0);
}

}  // namespace
}  // namespace voltaro::cli
