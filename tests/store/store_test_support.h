#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/plist/file_guard.h"
#include "platform/plist/system_calls.h"

namespace voltaro::store_test {

namespace fs = std::filesystem;

// A fresh temporary directory per test, holding the data and configuration directories, which
// point there for the test's duration. Removed afterwards.
class StoreTest : public ::testing::Test {
protected:
    StoreTest()
        : root_(fs::temp_directory_path() / ("voltaro-store-" + std::to_string(::getpid()) + "-" +
                                             std::to_string(std::random_device{}()))) {
        fs::create_directories(root_);
        Paths::setDataDirectory(dataDir());
        Paths::setConfigDirectory(configDir());
        log::setSink(&StoreTest::capture, this);
    }
    ~StoreTest() override {
        log::setSink(nullptr, nullptr);
        sys::systemCalls() = sys::realSystemCalls();
        Paths::setDataDirectory({});
        Paths::setConfigDirectory({});
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path dataDir() const { return root_ / "data"; }
    fs::path configDir() const { return root_ / "config"; }

    static std::string readText(const fs::path& file) {
        std::string text;
        readWholeFile(file, text);
        return text;
    }
    static void writeText(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    // Files in `dir` whose names start with `prefix`.
    static std::vector<fs::path> filesStartingWith(const fs::path& dir, const std::string& prefix) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry);
        }
        return found;
    }

    // Runs `work` in `count` child processes at once; true when every child exited with 0.
    static bool inChildProcesses(int count, const std::function<void(int child)>& work) {
        std::vector<pid_t> children;
        for (int i = 0; i < count; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                work(i);
                ::_exit(::testing::Test::HasFailure() ? 1 : 0);
            }
            children.push_back(pid);
        }
        bool allPassed = true;
        for (const pid_t pid : children) {
            int status = 0;
            allPassed = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                        WEXITSTATUS(status) == 0 && allPassed;
        }
        return allPassed;
    }

    std::vector<std::string> logLines;

private:
    static void capture(log::Category, std::string_view line, void* self) {
        static_cast<StoreTest*>(self)->logLines.emplace_back(line);
    }

    fs::path root_;
};

struct FixedClock final : Clock {
    explicit FixedClock(AbsoluteTime t) : time(t) {}
    AbsoluteTime now() const override { return time; }
    AbsoluteTime time;
};

}  // namespace voltaro::store_test
