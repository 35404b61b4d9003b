#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "support/temp_dir.h"

// Runs voltaro-cli in the test process, with its files in a fresh directory.
namespace voltaro::cli {

// Every run keeps its files (history, preferences, the watch socket) in a fresh directory.
class HermeticEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = std::make_unique<testing::TempDir>();
        const auto path = [this](const char* name) { return (dir_->path() / name).string(); };
        std::filesystem::create_directories(path("run"));
        std::filesystem::permissions(path("run"), std::filesystem::perms::owner_all);
        setenv("VOLTARO_DATA_DIR", path("data").c_str(), 1);
        setenv("VOLTARO_CONFIG_DIR", path("config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
        // A machine without battery, DMI or device tree, and no system bus: the results must not
        // depend on the machine that runs the tests.
        std::filesystem::create_directories(path("sysfs"));
        setenv("VOLTARO_SYSFS_ROOT", path("sysfs").c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + path("no-system-bus")).c_str(), 1);
        unsetenv("VOLTARO_MODEL");
        for (const char* endpoint :
             {"VOLTARO_BRAND_LIST_URL", "VOLTARO_TEST_RESULT_URL", "VOLTARO_CHARGER_URL"}) {
            setenv(endpoint, "", 1);
        }
    }
    void TearDown() override { dir_.reset(); }

private:
    std::unique_ptr<testing::TempDir> dir_;
};
inline const auto* const kHermetic =
    ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

// `columns`: as on a terminal of that width.
inline CliRun run(std::vector<std::string> arguments, const std::string& input = "",
                  int columns = 0) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    Environment environment{out, err, &in, columns > 0, false, columns};
    CliRun result;
    result.status = runCli(arguments, environment);
    result.out = out.str();
    result.err = err.str();
    return result;
}

inline std::string data(const std::string& name) { return std::string(VOLTARO_TEST_DATA_DIR) + "/" + name; }

inline CliRun replay(const std::string& script, std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"measure", "--battery", "replay:" + data(script),
                                          "--instant", "--clock-start", "1000", "--json"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return run(arguments);
}

// A script file in a fresh temporary directory.
class ScriptFile {
public:
    explicit ScriptFile(const std::string& text) {
        path_ = std::filesystem::temp_directory_path() /
                ("voltaro-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::ofstream(path_) << text;
    }
    ~ScriptFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

}  // namespace voltaro::cli
