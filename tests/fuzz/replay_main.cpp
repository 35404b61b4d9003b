// Runs every kept input of every fuzz target once, the seeds (corpus/<target>/) and the inputs that
// once failed (regressions/<target>/), so that a fixed fault stays fixed without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#define VOLTARO_FUZZ_TARGET(name) extern "C" int voltaro_fuzz_##name(const uint8_t*, size_t);
#include "fuzz_targets.inc"
#undef VOLTARO_FUZZ_TARGET

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const std::pair<const char*, int (*)(const uint8_t*, size_t)> targets[] = {
#define VOLTARO_FUZZ_TARGET(name) {#name, voltaro_fuzz_##name},
#include "fuzz_targets.inc"
    };
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TESTS_FUZZ_DIRECTORY\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    for (const auto& [name, run] : targets) {
        const int before = inputs;
        for (const char* kind : {"corpus", "regressions"}) {
            const fs::path directory = fs::path(argv[1]) / kind / name;
            if (!fs::is_directory(directory)) continue;
            for (const auto& entry : fs::directory_iterator(directory)) {
                std::ifstream file(entry.path(), std::ios::binary);
                const std::string bytes{std::istreambuf_iterator<char>(file), {}};
                std::printf("%s: %s\n", name, entry.path().filename().c_str());
                std::fflush(stdout);
                run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                ++inputs;
            }
        }
        if (inputs == before) {
            std::fprintf(stderr, "%s: no kept input\n", name);
            return 1;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
}
