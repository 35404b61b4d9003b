// voltaro-server: the remote service of the app (brand list, result texts, charger labels) and
// the public charger leaderboard.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "server/routes.h"
#include "server/storage.h"

namespace {

using namespace voltaro::server;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void say(const std::string& line) {
    std::cerr << "voltaro-server: " << line << std::endl;
}

// "127.0.0.1:8765", "[::1]:8765", ":8765" (every IPv4 address); port 0 picks a free one.
bool splitListenAddress(const std::string& text, std::string& host, int& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host.empty()) host = "0.0.0.0";
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::stoi(digits);
    return port <= 65535;
}

int importBrands(Storage& storage, const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        say("cannot read " + file);
        return kExitFailure;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    try {
        const std::vector<Brand> brands = parseBrandList(contents.str());
        storage.replaceBrands(brands);
        say("imported " + std::to_string(brands.size()) + " brands from " + file);
        return 0;
    } catch (const std::invalid_argument& bad) {
        say(file + ": " + bad.what());
    } catch (const std::exception& failure) {
        say(failure.what());
    }
    return kExitFailure;
}

int serve(Storage& storage, const std::string& listen, const ServerSettings& settings,
          int threads) {
    std::string host;
    int port = 0;
    if (!splitListenAddress(listen, host, port)) {
        say("--listen takes HOST:PORT, not " + listen);
        return kExitUsage;
    }
    try {
        storage.prepare();
    } catch (const StorageUnavailable& unavailable) {
        // Serve anyway: requests get 503 until the database can be reached.
        say(std::string("the database is not reachable yet: ") + unavailable.what());
    }

    // SIGINT and SIGTERM are taken by one thread that stops the server; every other thread,
    // the server's included, has them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    httplib::Server server;
    server.new_task_queue = [threads] {
        return new httplib::ThreadPool(static_cast<size_t>(threads));
    };
    Routes routes(storage, settings);
    routes.install(server);

    const int bound =
        port == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, port) ? port : -1);
    if (bound <= 0) {
        say("cannot listen on " + listen);
        return kExitFailure;
    }
    const std::string shownHost = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    say("listening on http://" + shownHost + ":" + std::to_string(bound));

    std::thread stopper([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    });
    const bool listened = server.listen_after_bind();
    if (!listened) {
        // Wake the stopper so it can be joined.
        kill(getpid(), SIGTERM);
    }
    stopper.join();
    say(listened ? "stopped" : "the server failed");
    return listened ? 0 : kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(
        "The Voltaro service: brand list, result texts, charger labels and the charger "
        "leaderboard.",
        "voltaro-server");
    app.fallthrough();
    std::string listen = "127.0.0.1:8765";
    std::string database = defaultDatabaseUrl();
    ServerSettings settings;
    double figuresSeconds = 5;
    int threads = 8;
    app.add_option("--listen", listen, "HOST:PORT to listen on (port 0: any free one)")
        ->capture_default_str();
    app.add_option("--database", database, "sqlite:PATH or postgresql://USER@HOST/NAME")
        ->capture_default_str();
    app.add_option("--rate-limit", settings.rateLimit,
                   "Requests a second per client address (0: no limit)")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1e9));
    app.add_option("--rate-burst", settings.rateBurst, "Requests at once per client address")
        ->capture_default_str()
        ->check(CLI::Range(1.0, 1e9));
    app.add_option("--figures-seconds", figuresSeconds,
                   "How long comparisons and the leaderboard are used before being read again")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--threads", threads, "Requests served at once")
        ->capture_default_str()
        ->check(CLI::Range(1, 1024));
    app.add_flag("--trust-forwarded-for", settings.trustForwardedFor,
                 "Take the client address from X-Forwarded-For (only behind a reverse proxy)");

    CLI::App* brands = app.add_subcommand("brands", "Manage the brand list")->require_subcommand(1);
    std::string brandFile;
    CLI::App* import = brands->add_subcommand("import", "Replace the brand list with a JSON file");
    import
        ->add_option("FILE", brandFile, "A JSON array of {brand_id, brand_name_en, brand_name_cn}")
        ->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : kExitUsage;
    }
    settings.figuresMaxAge = std::chrono::milliseconds(static_cast<int64_t>(figuresSeconds * 1000));

    try {
        const std::unique_ptr<Storage> storage = openStorage(database);
        if (import->parsed()) return importBrands(*storage, brandFile);
        return serve(*storage, listen, settings, threads);
    } catch (const std::invalid_argument& bad) {
        say(std::string("--database: ") + bad.what());
        return kExitUsage;
    } catch (const std::exception& failure) {
        say(failure.what());
        return kExitFailure;
    }
}
