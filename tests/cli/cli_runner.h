#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace voltaro::cli {

// Every run keeps its files in a fresh directory, on a machine without battery or system bus.
class HermeticEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = std::make_unique<testing::TempDir>();
        const auto path = [this](const char* name) { return (dir_->path() / name).string(); };
        std::filesystem::create_directories(path("run"));
        std::filesystem::permissions(path("run"), std::filesystem::perms::owner_all);
        std::filesystem::create_directories(path("sysfs"));
        setenv("VOLTARO_DATA_DIR", path("data").c_str(), 1);
        setenv("VOLTARO_CONFIG_DIR", path("config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
        setenv("VOLTARO_SYSFS_ROOT", path("sysfs").c_str(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + path("no-system-bus")).c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
        unsetenv("VOLTARO_MODEL");
        setenv("VOLTARO_BRAND_LIST_URL", "", 1);
        setenv("VOLTARO_TEST_RESULT_URL", "", 1);
        setenv("VOLTARO_CHARGER_URL", "", 1);
    }
    void TearDown() override { dir_.reset(); }

private:
    std::unique_ptr<testing::TempDir> dir_;
};
inline const auto* const kHermetic = ::testing::AddGlobalTestEnvironment(new HermeticEnvironment);

// A run's --data-dir stays for the rest of the process: every test starts without one.
class ForgetDataDir : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { Paths::setDataDirectory({}); }
};
inline const bool kForgetDataDir =
    (::testing::UnitTest::GetInstance()->listeners().Append(new ForgetDataDir), true);

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

inline std::string data(const std::string& name) {
    return std::string(VOLTARO_TEST_DATA_DIR) + "/" + name;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A script file of its own in the run's temporary directory.
inline std::string scriptFile(const std::string& text) {
    static int written = 0;
    const std::string path =
        std::string(getenv("XDG_RUNTIME_DIR")) + "/script" + std::to_string(written++);
    std::ofstream(path) << text;
    return path;
}

class DataDirTest : public ::testing::Test {
protected:
    DataDirTest() { Paths::setDataDirectory(dir.path()); }
    testing::TempDir dir;
};

}  // namespace voltaro::cli
