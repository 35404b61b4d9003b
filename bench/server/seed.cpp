// Fills a server database for the load benchmark: tests spread over many models and chargers,
// a share of them labelled, through the server's own storage.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <random>

#include "server/storage.h"

using namespace voltaro::server;

int main(int argc, char** argv) {
    CLI::App app("Seeds a voltaro-server database for the load benchmark", "bench_server_seed");
    std::string database;
    int tests = 100'000;
    int labels = 5'000;
    int models = 60;
    app.add_option("--database", database, "sqlite:PATH or postgresql://...")->required();
    app.add_option("--tests", tests)->capture_default_str();
    app.add_option("--labels", labels)->capture_default_str();
    app.add_option("--models", models)->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    const auto storage = openStorage(database);
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pickModel(0, models - 1);
    std::normal_distribution<double> spread(0, 3);
    const std::vector<Brand>& brands = starterBrands();
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < tests; ++i) {
        TestUpload test;
        char vendor[40];
        std::snprintf(vendor, sizeof vendor, "5EED%04X-0000-4000-8000-%012X", i % 0x10000, i);
        test.vendorId = vendor;
        test.startTime = 700000000.0 + i * 37.5;
        const int model = pickModel(random);
        test.model = "Bench Phone " + std::to_string(model);
        // Each model charges at its own pace; a few tests fail.
        test.watt = i % 97 == 0 ? -2.0 : std::max(0.5, 8.0 + model % 20 + spread(random));
        test.date = 1.7e9 + i;
        test.startLevel = 20;
        test.finishLevel = 100;
        test.levelList = "20.0,21.0,22.0,23.0,24.0,25.0";
        test.timeList = "700000000,700000045.5,700000090.25,700000136,700000181.75,700000227";
        test.languageCode = "en";
        test.regionCode = "GB";
        test.version = "0.1.0";
        storage->storeTest(test);
        // Every twentieth test gets one of a few hundred chargers.
        if (labels > 0 && i % (tests / labels) == 0) {
            ChargerLabel label;
            label.vendorId = test.vendorId;
            label.startTime = test.startTime;
            const int charger = static_cast<int>(random() % 300);
            label.charger = {brands[static_cast<size_t>(charger) % brands.size()].id,
                             10 + 5 * (charger % 14), 1 + charger % 3, 1 + charger % 3, 0};
            storage->storeLabel(label);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const StandingsData data = storage->readStandings();
    std::printf("seeded %lld tests and %lld labels in %.1f s\n",
                static_cast<long long>(data.storedTests), static_cast<long long>(data.storedLabels),
                seconds);
    return 0;
}
