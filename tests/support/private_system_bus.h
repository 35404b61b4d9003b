#pragma once

#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

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
        daemon_.emplace(
            std::vector<std::string>{VOLTARO_DBUS_DAEMON, "--nofork", "--nopidfile",
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
        daemon_->stop();
    }
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // Starts the mocked UPower (its display device not present yet) and waits for its name.
    void startUPower() {
        upower_.emplace(std::vector<std::string>{VOLTARO_DBUSMOCK_PYTHON, "-m", "dbusmock",
                                                 "--system", "--template", "upower", "--logfile",
                                                 (dir_.path() / "upower.log").string()});
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
        if (upower_) upower_->stop();
        upower_.reset();
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

    TempDir dir_;
    std::optional<ScopedEnv> address_;
    std::optional<ChildProcess> daemon_;
    std::optional<ChildProcess> upower_;
    std::unique_ptr<sdbus::IConnection> control_;
};

}  // namespace voltaro::testing
