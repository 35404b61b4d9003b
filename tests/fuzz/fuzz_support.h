#pragma once

// Shared by the fuzz targets. A target is `VOLTARO_FUZZ(bytes) { ... }`: a libFuzzer entry point,
// which the ordinary test build renames and links into one program that replays the kept inputs.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

// The body is a function of namespace voltaro, so it names the project's types unqualified.
#define VOLTARO_FUZZ(bytes)                                                   \
    namespace voltaro {                                                       \
    static void fuzzOneInput(std::string_view bytes);                         \
    }                                                                         \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        voltaro::fuzzOneInput({reinterpret_cast<const char*>(data), size});   \
        return 0;                                                             \
    }                                                                         \
    void voltaro::fuzzOneInput(std::string_view bytes)

namespace voltaro::fuzz {

inline constexpr std::string_view kFileSeparator = "\n@@@@\n";

// `bytes` cut at kFileSeparator into at most `count` parts, the last taking the rest.
inline std::vector<std::string_view> parts(std::string_view bytes, size_t count) {
    std::vector<std::string_view> cut;
    size_t end = bytes.find(kFileSeparator);
    while (cut.size() + 1 < count && end != std::string_view::npos) {
        cut.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + kFileSeparator.size());
        end = bytes.find(kFileSeparator);
    }
    if (count > 0) cut.push_back(bytes);
    return cut;
}

// A directory of this process's own, emptied for each input, holding the parts of `bytes` as
// `files`. Removed at exit.
inline const std::filesystem::path& scratchFiles(std::string_view bytes,
                                                 std::initializer_list<const char*> files) {
    namespace fs = std::filesystem;
    static const testing::TempDir scratch;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(scratch.path(), ignored)) {
        fs::remove_all(entry.path(), ignored);
    }
    const char* const* name = files.begin();
    for (const std::string_view content : parts(bytes, files.size())) {
        const fs::path file = scratch.path() / *name++;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    return scratch.path();
}

// A property that must hold whatever the input: a failure is a finding, like a crash.
inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace voltaro::fuzz
