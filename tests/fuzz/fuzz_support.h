#pragma once

// Helpers shared by the fuzz targets. Each target is one LLVMFuzzerTestOneInput; the ordinary test
// build links every target into one program that replays the kept inputs (replay_main.cpp).

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace voltaro::fuzz {

inline std::string_view bytesOf(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at each `separator`; seeds put it between the files of one case.
inline std::vector<std::string_view> partsOf(std::string_view bytes, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t at = bytes.find(separator);
        parts.push_back(bytes.substr(0, at));
        if (at == std::string_view::npos) return parts;
        bytes.remove_prefix(at + separator.size());
    }
}

// The separator between the files of one input.
inline constexpr std::string_view kFileSeparator = "\n@@@@\n";

// A directory of this process's own, emptied before each input and removed at exit.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "voltaro-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

    // Removes what the last input left behind.
    void clear() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored)) {
            std::filesystem::remove_all(entry.path(), ignored);
        }
    }

    void write(const std::filesystem::path& relative, std::string_view bytes) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
};

// A property that must hold whatever the input: a failure is a finding, like a crash.
inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace voltaro::fuzz
