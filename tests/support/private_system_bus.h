#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

extern char** environ;

namespace voltaro::testing {

// A D-Bus daemon of the test's own standing in for the system bus (DBUS_SYSTEM_BUS_ADDRESS points
// at it while the object lives), and on it, when asked, python-dbusmock's UPower.
class PrivateSystemBus {
public:
    PrivateSystemBus() {
        const std::string address = "unix:path=" + (dir_.path() / "system_bus_socket").string();
        std::ofstream(dir_.path() / "bus.conf")
            << "<busconfig><type>session</type><listen>" << address
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        daemon_ = spawn({VOLTARO_DBUS_DAEMON, "--nofork", "--nopidfile",
                         "--config-file=" + (dir_.path() / "bus.conf").string()});
        address_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address);
        waitFor(20, "the private bus did not start", [this] {
            try {
                control_ = sdbus::createSystemBusConnection();
            } catch (const sdbus::Error&) {
            }
            return control_ != nullptr;
        });
    }
    ~PrivateSystemBus() {
        stopUPower();
        control_.reset();
        stop(daemon_);
    }
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // Starts the mocked UPower (its display device not present yet) and waits for its name.
    void startUPower() {
        upower_ = spawn({VOLTARO_DBUSMOCK_PYTHON, "-m", "dbusmock", "--system", "--template",
                         "upower", "--logfile", (dir_.path() / "upower.log").string()});
        waitFor(30, "the mocked UPower did not start", [this] {
            bool owned = false;
            sdbus::createProxy(*control_, "org.freedesktop.DBus", "/org/freedesktop/DBus")
                ->callMethod("NameHasOwner")
                .onInterface("org.freedesktop.DBus")
                .withArguments(std::string(kUPower))
                .storeResultsTo(owned);
            return owned;
        });
    }

    // Ends the mocked UPower, as a crash or a restart of the service would.
    void stopUPower() {
        stop(upower_);
        upower_ = -1;
    }

    // Waits until clients have read all of the display device's properties `count` times in all.
    void awaitDisplayDeviceReads(size_t count) const {
        waitFor(30, "nobody read the display device", [&] {
            std::ifstream log(dir_.path() / "upower.log");
            size_t reads = 0;
            for (std::string line; std::getline(log, line);) {
                reads += line.find(std::string("GetAll ") + kDisplayDevice) != std::string::npos;
            }
            return reads >= count;
        });
    }

    // A battery behind the display device. UPower's states: 1 charging, 2 discharging, 4 full.
    void setupDisplayDevice(double percentage, uint32_t state, double energyRate = 0.0,
                            bool present = true) {
        sdbus::createProxy(*control_, kUPower, "/org/freedesktop/UPower")
            ->callMethod("SetupDisplayDevice")
            .onInterface(kMockInterface)
            .withArguments(uint32_t{2}, state, percentage, 0.0, 0.0, energyRate, int64_t{0},
                           int64_t{0}, present, std::string(), uint32_t{1});
    }

    // Sets one property of the display device, of any type: the service sends PropertiesChanged.
    template <typename T>
    void setDisplayProperty(const std::string& name, const T& value) {
        display()
            ->callMethod("Set")
            .onInterface("org.freedesktop.DBus.Properties")
            .withArguments(std::string("org.freedesktop.UPower.Device"), name,
                           sdbus::Variant(value));
    }

    // Has the display device send a signal of any form (sigargs as a list of variants).
    void emitDisplaySignal(const std::string& interface, const std::string& name,
                           const std::string& signature, const std::vector<sdbus::Variant>& args) {
        display()
            ->callMethod("EmitSignal")
            .onInterface(kMockInterface)
            .withArguments(interface, name, signature, args);
    }

private:
    static constexpr const char* kUPower = "org.freedesktop.UPower";
    static constexpr const char* kDisplayDevice = "/org/freedesktop/UPower/devices/DisplayDevice";
    static constexpr const char* kMockInterface = "org.freedesktop.DBus.Mock";

    std::unique_ptr<sdbus::IProxy> display() {
        return sdbus::createProxy(*control_, kUPower, kDisplayDevice);
    }

    // Polls an outside process's progress; a failure when `done` does not hold in time.
    static void waitFor(int seconds, const char* failure, const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << failure;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // What the programs print (dbus-daemon's notes on running as root, say) goes to a file.
    pid_t spawn(const std::vector<std::string>& arguments) const {
        const std::string output = (dir_.path() / "output.log").string();
        std::vector<char*> argv;
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        pid_t pid = -1;
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) ADD_FAILURE() << "cannot start " << arguments[0];
        return failed != 0 ? -1 : pid;
    }

    static void stop(pid_t pid) {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    TempDir dir_;
    std::optional<ScopedEnv> address_;
    pid_t daemon_ = -1;
    pid_t upower_ = -1;
    std::unique_ptr<sdbus::IConnection> control_;
};

}  // namespace voltaro::testing
