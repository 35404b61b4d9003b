// The cost of watching a charge: runs `voltaro-cli measure` and the app (offscreen) in real time
// on a copy of a recorded power-supply tree whose level this program advances, and reports what
// each costs: CPU time (getrusage of the finished child), wake-ups per second (voluntary context
// switches of all its threads, each one a return from a timer or a poll) and peak RSS.
//
//   bench_watch_cost [--seconds N] [--step-seconds N] [--only cli|app] [--cli PATH] [--app PATH]
//
// Wake-ups and CPU share are counted over the steady part of the run, after a warm-up in which the
// program starts (the app loads its QML and plays its intro). Not part of the tests: it takes two
// minutes and depends on the machine being otherwise quiet.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef VOLTARO_APP_PATH
#define VOLTARO_APP_PATH ""
#endif

namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr double kWarmUpSeconds = 8;

struct Options {
    double seconds = 60;
    double stepSeconds = 6;  // one percent of level each this many seconds
    std::string only;
    std::string cli = VOLTARO_CLI_PATH;
    std::string app = VOLTARO_APP_PATH;
};

struct ProcessCounters {
    double cpuSeconds = 0;                      // user and system, all threads
    std::map<std::string, long long> switches;  // voluntary context switches of each thread
};

// Wake-ups between two readings: threads that ended meanwhile are not counted, ones that began
// count from zero.
long long wakeUpsBetween(const ProcessCounters& from, const ProcessCounters& to) {
    long long count = 0;
    for (const auto& [thread, switches] : to.switches) {
        const auto earlier = from.switches.find(thread);
        count += switches - (earlier == from.switches.end() ? 0 : earlier->second);
    }
    return count;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Atomically, as the kernel's attribute appears to change at once.
void writeText(const fs::path& file, const std::string& text) {
    const fs::path temporary = file.string() + ".new";
    std::ofstream(temporary) << text << '\n';
    fs::rename(temporary, file);
}

// From /proc while the process runs (getrusage sees a child only once it ended).
ProcessCounters countersOf(pid_t pid) {
    ProcessCounters counters;
    const std::string stat = readText("/proc/" + std::to_string(pid) + "/stat");
    // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i) {
        if (i == 12) utime = std::stoull(field);
        if (i == 13) stime = std::stoull(field);
    }
    counters.cpuSeconds =
        static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::istringstream status(readText(task.path() / "status"));
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                counters.switches[task.path().filename().string()] =
                    std::stoll(line.substr(line.find(':') + 1));
            }
        }
    }
    return counters;
}

struct Result {
    std::string name;
    double totalCpuSeconds = 0;
    double steadyCpuShare = 0;  // of one core
    double wakeUpsPerSecond = 0;
    double peakRssMiB = 0;
    double seconds = 0;
};

// A fresh root: the recorded laptop tree, charging from 50 %, with data and runtime directories.
fs::path prepareRoot() {
    char pattern[] = "/tmp/voltaro-cost-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    fs::copy(fs::path(VOLTARO_TEST_DATA_DIR) / "sysfs-laptop", root / "sys",
             fs::copy_options::recursive);
    writeText(root / "sys/class/power_supply/BAT0/status", "Charging");
    writeText(root / "sys/class/power_supply/BAT0/capacity", "50");
    writeText(root / "sys/class/power_supply/AC/online", "1");
    for (const char* dir : {"data", "config", "runtime"}) fs::create_directories(root / dir);
    fs::permissions(root / "runtime", fs::perms::owner_all);
    return root;
}

pid_t launch(const std::vector<std::string>& command, const fs::path& root, bool app) {
    std::fflush(stdout);  // or the child would print what is still buffered again
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // A shell starts background jobs with interrupts ignored, and exec would keep that.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::setenv("VOLTARO_SYSFS_ROOT", (root / "sys").c_str(), 1);
    ::setenv("VOLTARO_DATA_DIR", (root / "data").c_str(), 1);
    ::setenv("VOLTARO_CONFIG_DIR", (root / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (root / "no-bus").string()).c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (root / "no-bus").string()).c_str(), 1);
    // No remote service: the cost measured is the program's own.
    for (const char* variable :
         {"VOLTARO_BRAND_LIST_URL", "VOLTARO_TEST_RESULT_URL", "VOLTARO_CHARGER_URL"}) {
        ::setenv(variable, "", 1);
    }
    if (app) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (std::FILE* sink = std::freopen("/dev/null", "w", stdout)) (void)sink;
    std::vector<char*> argv;
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::perror(argv[0]);
    ::_exit(127);
}

Result measure(const std::string& name, const std::vector<std::string>& command, bool app,
               bool advanceLevel, const Options& options) {
    const fs::path root = prepareRoot();
    rusage before{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto started = SteadyClock::now();
    const pid_t pid = launch(command, root, app);

    const auto elapsed = [&] {
        return std::chrono::duration<double>(SteadyClock::now() - started).count();
    };
    int level = 50;
    double nextStep = options.stepSeconds;
    std::optional<ProcessCounters> atWarmUp;
    double warmUpAt = 0;
    ProcessCounters last;
    double lastAt = 0;
    while (elapsed() < options.seconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (advanceLevel && elapsed() >= nextStep && level < 99) {
            writeText(root / "sys/class/power_supply/BAT0/capacity", std::to_string(++level));
            nextStep += options.stepSeconds;
        }
        if (!atWarmUp && elapsed() >= kWarmUpSeconds) {
            atWarmUp = countersOf(pid);
            warmUpAt = elapsed();
        }
        last = countersOf(pid);
        lastAt = elapsed();
    }
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    rusage after{};
    ::getrusage(RUSAGE_CHILDREN, &after);
    fs::remove_all(root);

    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    Result result;
    result.name = name;
    result.seconds = elapsed();
    result.totalCpuSeconds = seconds(after.ru_utime) - seconds(before.ru_utime) +
                             seconds(after.ru_stime) - seconds(before.ru_stime);
    result.peakRssMiB = static_cast<double>(after.ru_maxrss) / 1024.0;  // the largest child so far
    if (atWarmUp && lastAt > warmUpAt) {
        const double window = lastAt - warmUpAt;
        result.steadyCpuShare = (last.cpuSeconds - atWarmUp->cpuSeconds) / window;
        result.wakeUpsPerSecond = static_cast<double>(wakeUpsBetween(*atWarmUp, last)) / window;
    }
    if (!WIFEXITED(status) && !WIFSIGNALED(status))
        std::fprintf(stderr, "%s: odd end\n", name.c_str());
    return result;
}

void print(const Result& result) {
    std::printf(
        "%-32s %8.2f s CPU in %4.0f s | steady: %6.3f %% of a core, %5.2f wake-ups/s | peak RSS "
        "%6.1f MiB\n",
        result.name.c_str(), result.totalCpuSeconds, result.seconds, result.steadyCpuShare * 100.0,
        result.wakeUpsPerSecond, result.peakRssMiB);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds")
            options.seconds = std::atof(argv[i + 1]);
        else if (option == "--step-seconds")
            options.stepSeconds = std::atof(argv[i + 1]);
        else if (option == "--only")
            options.only = argv[i + 1];
        else if (option == "--cli")
            options.cli = argv[i + 1];
        else if (option == "--app")
            options.app = argv[i + 1];
        else {
            std::fprintf(stderr,
                         "usage: %s [--seconds N] [--step-seconds N] [--only cli|app] [--cli PATH] "
                         "[--app PATH]\n",
                         argv[0]);
            return 2;
        }
    }
    std::printf("%.0f s each, level +1 %% every %.0f s, steady figures after %.0f s\n",
                options.seconds, options.stepSeconds, kWarmUpSeconds);
    if (options.only.empty() || options.only == "cli") {
        print(measure("voltaro-cli measure (charging)",
                      {options.cli, "measure", "--battery", "linux"}, false, true, options));
    }
    if (!options.app.empty() && (options.only.empty() || options.only == "app")) {
        print(measure("voltaro main screen (idle)", {options.app, "--battery", "linux"}, true,
                      false, options));
        print(measure("voltaro main screen (charging)", {options.app, "--battery", "linux"}, true,
                      true, options));
    }
    return 0;
}
