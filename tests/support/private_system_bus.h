#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace voltaro::testing {

// A D-Bus daemon of the test's own that stands in for the system bus (DBUS_SYSTEM_BUS_ADDRESS
// points at it while the object lives), and on it, when asked, python-dbusmock's UPower. Nothing
// here touches the machine's own buses.
class PrivateSystemBus {
public:
    static constexpr const char* kUPower = "org.freedesktop.UPower";
    static constexpr const char* kMainObject = "/org/freedesktop/UPower";
    static constexpr const char* kDisplayDevice = "/org/freedesktop/UPower/devices/DisplayDevice";
    static constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
    static constexpr const char* kMockInterface = "org.freedesktop.DBus.Mock";

    PrivateSystemBus() {
        if (const char* previous = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) previous_ = previous;
        const auto socket = dir_.path() / "system_bus_socket";
        address_ = "unix:path=" + socket.string();
        std::ofstream(dir_.path() / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>"
            << address_
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        daemon_ = spawn({VOLTARO_DBUS_DAEMON, "--nofork", "--nopidfile",
                         "--config-file=" + (dir_.path() / "bus.conf").string()});
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!control_ && std::chrono::steady_clock::now() < deadline) {
            try {
                control_ = sdbus::createSystemBusConnection();
            } catch (const sdbus::Error&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (!control_) ADD_FAILURE() << "the private bus did not start";
    }

    ~PrivateSystemBus() {
        stopUPower();
        control_.reset();
        stop(daemon_);
        if (previous_) {
            setenv("DBUS_SYSTEM_BUS_ADDRESS", previous_->c_str(), 1);
        } else {
            unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        }
    }

    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    const std::string& address() const { return address_; }

    // Starts the mocked UPower (its display device not present yet) and waits for its name.
    void startUPower() {
        upower_ = spawn({VOLTARO_DBUSMOCK_PYTHON, "-m", "dbusmock", "--system", "--template",
                         "upower", "--logfile", (dir_.path() / "upower.log").string()});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!hasOwner(kUPower)) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the mocked UPower did not start";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Ends the mocked UPower, as a crash or a restart of the service would.
    void stopUPower() {
        stop(upower_);
        upower_ = -1;
    }

    // How often a client has read all of the display device's properties (the mock's log).
    size_t displayDeviceReads() const {
        std::ifstream log(dir_.path() / "upower.log");
        size_t reads = 0;
        for (std::string line; std::getline(log, line);) {
            if (line.find(std::string("GetAll ") + kDisplayDevice) != std::string::npos) ++reads;
        }
        return reads;
    }

    // Waits until clients have read the display device `count` times in all.
    void awaitDisplayDeviceReads(size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (displayDeviceReads() < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "nobody read the display device";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    bool hasOwner(const std::string& name) {
        bool owned = false;
        auto bus = sdbus::createProxy(*control_, "org.freedesktop.DBus", "/org/freedesktop/DBus");
        bus->callMethod("NameHasOwner")
            .onInterface("org.freedesktop.DBus")
            .withArguments(name)
            .storeResultsTo(owned);
        return owned;
    }

    // A battery behind the display device. UPower's states: 1 charging, 2 discharging, 4 full.
    void setupDisplayDevice(double percentage, uint32_t state, double energyRate = 0.0,
                            bool present = true) {
        auto main = sdbus::createProxy(*control_, kUPower, kMainObject);
        main->callMethod("SetupDisplayDevice")
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
            .withArguments(std::string(kDeviceInterface), name, sdbus::Variant(value));
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
    std::unique_ptr<sdbus::IProxy> display() {
        return sdbus::createProxy(*control_, kUPower, kDisplayDevice);
    }

    pid_t spawn(const std::vector<std::string>& arguments) const {
        const std::string output = (dir_.path() / "output.log").string();
        std::vector<char*> argv;
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        // What the programs print (dbus-daemon's notes on running as root, say) goes to a file.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        pid_t pid = -1;
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            ADD_FAILURE() << "cannot start " << arguments[0];
            return -1;
        }
        return pid;
    }

    static void stop(pid_t pid) {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }

    TempDir dir_;
    std::string address_;
    std::optional<std::string> previous_;
    pid_t daemon_ = -1;
    pid_t upower_ = -1;
    std::unique_ptr<sdbus::IConnection> control_;
};

}  // namespace voltaro::testing
