#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace voltaro::testing {

// Sets an environment variable (or removes it, for nullopt) for one test; puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(name, value);
    }
    ~ScopedEnv() { set(name_, old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void set(const char* name, const std::optional<std::string>& value) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }

    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace voltaro::testing
