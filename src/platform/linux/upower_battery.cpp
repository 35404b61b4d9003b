#include "platform/linux/upower_battery.h"

#include <sdbus-c++/sdbus-c++.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <thread>
#include <utility>

#include "platform/log.h"

namespace voltaro {
namespace {

constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* kBusService = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr uint64_t kCallTimeoutMicroseconds = 3'000'000;
constexpr uint32_t kDeviceTypeBattery = 2;

using PropertyMap = std::map<std::string, sdbus::Variant>;

void debug(const std::string& line) {
    log::debug(log::Category::Platform, "upower: " + line);
}

// A property's value when it has the expected type; a wrong type counts as unknown.
template <typename T>
std::optional<T> valueOf(const sdbus::Variant& variant) {
    if (!variant.containsValueOfType<T>()) return std::nullopt;
    return variant.get<T>();
}

std::optional<double> percentageOf(const sdbus::Variant& variant) {
    const auto value = valueOf<double>(variant);
    return value && std::isfinite(*value) && *value >= 0.0 && *value <= 100.0 ? value
                                                                              : std::nullopt;
}

// UPower says 0 while it knows no rate; above a kilowatt it is no battery's.
std::optional<double> energyRateOf(const sdbus::Variant& variant) {
    const auto value = valueOf<double>(variant);
    return value && std::isfinite(*value) && *value > 0.0 && *value <= 1000.0 ? value
                                                                              : std::nullopt;
}

}  // namespace

// What a message from the bus brings: some properties, all of them, or the news that the service
// is gone.
enum class News { Changed, ReadAll, ServiceGone };

namespace {

UPowerBattery::Properties readProperties(const PropertyMap& map, bool complete,
                                         UPowerBattery::Properties properties) {
    if (complete) properties = {};
    for (const auto& [name, variant] : map) {
        if (name == "Percentage") properties.percentage = percentageOf(variant);
        if (name == "EnergyRate") properties.energyRate = energyRateOf(variant);
        if (name == "State") properties.state = valueOf<uint32_t>(variant);
        if (name == "IsPresent") properties.isPresent = valueOf<bool>(variant);
    }
    return properties;
}

}  // namespace

struct UPowerBattery::Bus {
    std::unique_ptr<sdbus::IConnection> connection;
    std::unique_ptr<sdbus::IProxy> display;
    sdbus::Slot propertiesMatch;
    sdbus::Slot ownerMatch;
    std::thread thread;

    ~Bus() {
        if (thread.joinable()) {
            try {
                connection->leaveEventLoop();
            } catch (const sdbus::Error& error) {
                debug(std::string("leaving the bus loop: ") + error.what());
            }
            thread.join();
        }
    }
};

BatteryState batteryStateFromUPower(uint32_t state) {
    switch (state) {
        case 1:  // charging
        case 5:  // pending charge: plugged in but held back, the charger is still there
            return BatteryState::Charging;
        case 2:  // discharging
        case 3:  // empty
        case 6:  // pending discharge
            return BatteryState::Unplugged;
        case 4:  // fully charged
            return BatteryState::Full;
        default:
            return BatteryState::Unknown;
    }
}

UPowerBattery::Availability UPowerBattery::probe() {
    Availability availability;
    try {
        auto connection = sdbus::createSystemBusConnection();
        auto bus = sdbus::createProxy(*connection, kBusService, kBusPath);
        bool owned = false;
        bus->callMethod("NameHasOwner")
            .onInterface(kBusService)
            .withTimeout(kCallTimeoutMicroseconds)
            .withArguments(std::string(kService))
            .storeResultsTo(owned);
        if (!owned) {
            // A service that the bus starts on demand counts as there.
            std::vector<std::string> activatable;
            bus->callMethod("ListActivatableNames")
                .onInterface(kBusService)
                .withTimeout(kCallTimeoutMicroseconds)
                .storeResultsTo(activatable);
            owned =
                std::find(activatable.begin(), activatable.end(), kService) != activatable.end();
        }
        if (!owned) {
            availability.problem = "UPower is not running on the system bus";
            return availability;
        }
        availability.serviceRunning = true;
        auto display = sdbus::createProxy(*connection, kService, kDisplayDevice);
        PropertyMap map;
        display->callMethod("GetAll")
            .onInterface(kPropertiesInterface)
            .withTimeout(kCallTimeoutMicroseconds)
            .withArguments(std::string(kDeviceInterface))
            .storeResultsTo(map);
        const Properties properties = readProperties(map, true, {});
        const auto type = map.count("Type") != 0 ? valueOf<uint32_t>(map.at("Type")) : std::nullopt;
        availability.batteryPresent =
            properties.isPresent.value_or(false) && type.value_or(0) == kDeviceTypeBattery;
        if (!availability.batteryPresent) availability.problem = "UPower reports no battery";
    } catch (const sdbus::Error& error) {
        availability.problem =
            availability.serviceRunning
                ? std::string("UPower did not answer: ") + error.what()
                : std::string("the system bus cannot be reached: ") + error.what();
    }
    return availability;
}

UPowerBattery::UPowerBattery(MainLoop& loop) : loop_(loop) {
    auto bus = std::make_unique<Bus>();
    std::weak_ptr<bool> alive = alive_;
    // Hands what the bus thread heard to the main loop, where every value lives.
    auto hand = [this, alive](PropertyMap map, News news) {
        loop_.post([this, alive, map = std::move(map), news] {
            const auto flag = alive.lock();
            if (!flag || !*flag) return;
            receive(news == News::ServiceGone
                        ? Properties{}
                        : readProperties(map, news == News::ReadAll, properties_));
        });
    };
    try {
        bus->connection = sdbus::createSystemBusConnection();
        bus->display = sdbus::createProxy(*bus->connection, kService, kDisplayDevice);
        sdbus::IProxy* display = bus->display.get();

        // Reads every property again (after the service came back), answered on the bus thread.
        auto readAll = [display, hand] {
            try {
                auto call = display->createMethodCall(kPropertiesInterface, "GetAll");
                call << std::string(kDeviceInterface);
                display->callMethod(
                    call,
                    [hand](sdbus::MethodReply& reply, const sdbus::Error* error) {
                        PropertyMap map;
                        try {
                            if (error == nullptr) reply >> map;
                        } catch (const sdbus::Error& bad) {
                            debug(std::string("unreadable properties: ") + bad.what());
                        }
                        hand(std::move(map), News::ReadAll);
                    },
                    kCallTimeoutMicroseconds);
            } catch (const sdbus::Error& error) {
                debug(std::string("cannot ask for the properties: ") + error.what());
                hand({}, News::ReadAll);
            }
        };

        bus->propertiesMatch = bus->connection->addMatch(
            std::string("type='signal',sender='") + kService + "',path='" + kDisplayDevice +
                "',interface='" + kPropertiesInterface + "',member='PropertiesChanged'",
            [hand, readAll](sdbus::Message& message) {
                std::string interface;
                PropertyMap changed;
                std::vector<std::string> invalidated;
                try {
                    message >> interface >> changed >> invalidated;
                } catch (const sdbus::Error& error) {
                    debug(std::string("a PropertiesChanged signal of the wrong form: ") +
                          error.what());
                    return;
                }
                if (interface != kDeviceInterface) return;
                if (!invalidated.empty()) {
                    readAll();
                    return;
                }
                hand(std::move(changed), News::Changed);
            });
        bus->ownerMatch = bus->connection->addMatch(
            std::string("type='signal',sender='") + kBusService + "',path='" + kBusPath +
                "',interface='" + kBusService + "',member='NameOwnerChanged',arg0='" + kService +
                "'",
            [hand, readAll](sdbus::Message& message) {
                std::string name, oldOwner, newOwner;
                try {
                    message >> name >> oldOwner >> newOwner;
                } catch (const sdbus::Error&) {
                    return;
                }
                if (name != kService) return;
                debug(newOwner.empty() ? "the service went away" : "the service is back");
                if (newOwner.empty()) {
                    hand({}, News::ServiceGone);
                } else {
                    readAll();
                }
            });

        // The baseline, read before the bus thread starts.
        PropertyMap map;
        try {
            bus->display->callMethod("GetAll")
                .onInterface(kPropertiesInterface)
                .withTimeout(kCallTimeoutMicroseconds)
                .withArguments(std::string(kDeviceInterface))
                .storeResultsTo(map);
        } catch (const sdbus::Error& error) {
            debug(std::string("no display device yet: ") + error.what());
        }
        properties_ = readProperties(map, true, {});

        sdbus::IConnection* connection = bus->connection.get();
        bus->thread = std::thread([connection, hand] {
            try {
                connection->enterEventLoop();
            } catch (const sdbus::Error& error) {
                // The bus itself went away: nothing more will be heard.
                debug(std::string("the system bus was lost: ") + error.what());
                hand({}, News::ServiceGone);
            }
        });
        bus_ = std::move(bus);
    } catch (const sdbus::Error& error) {
        debug(std::string("the system bus cannot be reached: ") + error.what());
    }
}

UPowerBattery::~UPowerBattery() {
    *alive_ = false;
    setMonitoringEnabled(false);
    bus_.reset();
}

bool UPowerBattery::connected() const {
    return bus_ != nullptr;
}

float UPowerBattery::level() const {
    if (properties_.isPresent == false || !properties_.percentage) return kUnknownBatteryLevel;
    return static_cast<float>(*properties_.percentage / 100.0);
}

BatteryState UPowerBattery::state() const {
    if (properties_.isPresent == false || !properties_.state) return BatteryState::Unknown;
    return batteryStateFromUPower(*properties_.state);
}

std::optional<double> UPowerBattery::reportedWatts() const {
    if (properties_.isPresent == false) return std::nullopt;
    return properties_.energyRate;
}

void UPowerBattery::setMonitoringEnabled(bool enabled) {
    if (enabled == monitoring_) return;
    monitoring_ = enabled;
    // Signals, not timers, bring the news: the loop must not end for want of a timer meanwhile.
    if (enabled) {
        loop_.beginExternalWork();
    } else {
        loop_.endExternalWork();
    }
}

void UPowerBattery::receive(const Properties& next) {
    const float levelBefore = level();
    const BatteryState stateBefore = state();
    const std::optional<double> wattsBefore = reportedWatts();
    // All values are stored before any listener runs, so a state listener sees the new level.
    properties_ = next;
    if (!monitoring_) return;
    if (state() != stateBefore) notifyStateChanged();
    // A listener may have turned monitoring off.
    if (level() != levelBefore && monitoring_) notifyLevelChanged();
    if (reportedWatts() != wattsBefore && monitoring_) notifyReportedPowerChanged();
}

}  // namespace voltaro
