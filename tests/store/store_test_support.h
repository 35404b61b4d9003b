#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/plist/file_guard.h"
#include "platform/plist/system_calls.h"
#include "support/temp_dir.h"

namespace voltaro::store_test {

namespace fs = std::filesystem;

// The data and configuration directories lie in a fresh temporary directory; log lines are kept.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() {
        Paths::setDataDirectory(dataDir());
        Paths::setConfigDirectory(configDir());
        log::setSink(&StoreTest::capture, this);
    }
    ~StoreTest() override {
        log::setSink(nullptr, nullptr);
        sys::systemCalls() = sys::realSystemCalls();
        Paths::setDataDirectory({});
        Paths::setConfigDirectory({});
    }

    fs::path dataDir() const { return root_.path() / "data"; }
    fs::path configDir() const { return root_.path() / "config"; }

    static std::string readText(const fs::path& file) {
        std::string text;
        readWholeFile(file, text);
        return text;
    }
    static void writeText(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::vector<fs::path> filesStartingWith(const fs::path& dir, const std::string& prefix) {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry);
        }
        return found;
    }

    std::vector<std::string> logLines;

private:
    static void capture(log::Category, std::string_view line, void* self) {
        static_cast<StoreTest*>(self)->logLines.emplace_back(line);
    }

    voltaro::testing::TempDir root_;
};

struct FixedClock final : Clock {
    explicit FixedClock(AbsoluteTime t) : time(t) {}
    AbsoluteTime now() const override { return time; }
    AbsoluteTime time;
};

}  // namespace voltaro::store_test
