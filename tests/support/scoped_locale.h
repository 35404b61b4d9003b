#pragma once

#include <clocale>
#include <string>

namespace voltaro::testing {

// Runs the process in another C locale while it lives, as a desktop session sets it. scripts/setup
// generates the locales the tests use; where one is missing, available() is false.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name)
        : previous_(std::setlocale(LC_ALL, nullptr)),
          available_(std::setlocale(LC_ALL, name) != nullptr) {}
    ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool available() const { return available_; }

private:
    std::string previous_;
    bool available_;
};

}  // namespace voltaro::testing
