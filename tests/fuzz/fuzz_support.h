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

#include "support/temp_dir.h"

#define VOLTARO_FUZZ(bytes)                                                   \
    static void fuzzOneInput(std::string_view bytes);                         \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        fuzzOneInput({reinterpret_cast<const char*>(data), size});            \
        return 0;                                                             \
    }                                                                         \
    static void fuzzOneInput(std::string_view bytes)

namespace voltaro::fuzz {

// The separator between the files of one input.
inline constexpr std::string_view kFileSeparator = "\n@@@@\n";

// A directory of this process's own, emptied for each input, holding the parts of `bytes` cut at
// kFileSeparator as `files` (the last file takes the rest). Removed at exit.
inline const std::filesystem::path& scratchFiles(std::string_view bytes,
                                                 std::initializer_list<const char*> files) {
    namespace fs = std::filesystem;
    static const testing::TempDir scratch;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(scratch.path(), ignored)) {
        fs::remove_all(entry.path(), ignored);
    }
    size_t left = files.size();
    for (const char* name : files) {
        const size_t end = --left == 0 ? std::string_view::npos : bytes.find(kFileSeparator);
        const fs::path file = scratch.path() / name;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(std::min(end, bytes.size())));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + kFileSeparator.size());
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
