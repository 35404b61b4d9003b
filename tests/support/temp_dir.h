#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace voltaro::testing {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("voltaro-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::error_code ignored_;
};

}  // namespace voltaro::testing
