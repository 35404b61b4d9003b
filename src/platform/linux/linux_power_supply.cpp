#include "platform/linux/linux_power_supply.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/log.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

// A supply name must stay inside the root.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::vector<std::string> supplyNames(const fs::path& root) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(root, ec);
    const fs::directory_iterator end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.') names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Peripherals (a wireless mouse, a headset) show their batteries with scope "Device"; they are not
// the battery that the charger fills.
bool isSystemBattery(const fs::path& dir) {
    if (readAttribute(dir / "type") != "Battery") return false;
    return readAttribute(dir / "scope") != "Device";
}

bool isExternalType(std::string_view type) {
    return type == "Mains" || type == "USB" || type.starts_with("USB_") || type == "Wireless";
}

// The kernel reports 1 for a fixed and 2 for a programmable supply; both mean power is coming in.
bool isOnline(const fs::path& dir) {
    const auto online = readAttribute(dir / "online");
    if (!online) return false;
    const auto value = parseInteger(*online);
    return value && *value > 0;
}

bool anyExternalSupplyOnline(const fs::path& root) {
    for (const auto& name : supplyNames(root)) {
        const fs::path dir = root / name;
        const auto type = readAttribute(dir / "type");
        if (type && isExternalType(*type) && isOnline(dir)) return true;
    }
    return false;
}

float levelFromCapacity(const std::optional<std::string>& capacity) {
    if (!capacity) return kUnknownBatteryLevel;
    const auto percent = parseInteger(*capacity);
    if (!percent) return kUnknownBatteryLevel;
    return static_cast<float>(std::clamp<int64_t>(*percent, 0, 100)) / 100.0f;
}

BatteryState stateFromStatus(const std::optional<std::string>& status, const fs::path& root) {
    if (!status) return BatteryState::Unknown;
    if (*status == "Charging") return BatteryState::Charging;
    if (*status == "Full") return BatteryState::Full;
    if (*status == "Discharging") return BatteryState::Unplugged;
    // Plugged in but held back (a charge limit, a warm battery): the charger is still there.
    if (*status == "Not charging") {
        return anyExternalSupplyOnline(root) ? BatteryState::Charging : BatteryState::Unplugged;
    }
    return BatteryState::Unknown;
}

// Figures beyond these are no battery's: a broken driver or a corrupted reading.
constexpr int64_t kMaxMicroWatts = 1'000'000'000;    // 1 kW
constexpr int64_t kMaxMicroAmps = 100'000'000;       // 100 A
constexpr int64_t kMaxMicroVolts = 100'000'000;      // 100 V

std::optional<double> wattsOf(const fs::path& dir) {
    if (const auto power = readIntegerAttribute(dir / "power_now")) {
        if (*power >= -kMaxMicroWatts && *power <= kMaxMicroWatts) {
            return std::fabs(static_cast<double>(*power)) / 1e6;
        }
        return std::nullopt;
    }
    const auto current = readIntegerAttribute(dir / "current_now");
    const auto voltage = readIntegerAttribute(dir / "voltage_now");
    if (!current || !voltage || *current < -kMaxMicroAmps || *current > kMaxMicroAmps ||
        *voltage <= 0 || *voltage > kMaxMicroVolts) {
        return std::nullopt;
    }
    return std::fabs(static_cast<double>(*current)) * static_cast<double>(*voltage) / 1e12;
}

// A design figure: a positive whole number, else nothing.
std::optional<int64_t> positive(const fs::path& file) {
    const auto value = readIntegerAttribute(file);
    return value && *value > 0 ? value : std::nullopt;
}

}  // namespace

LinuxPowerSupply::LinuxPowerSupply(MainLoop& loop, Sysfs sysfs,
                                   std::optional<std::string> supplyName)
    : loop_(loop), sysfs_(std::move(sysfs)), requestedName_(std::move(supplyName)) {}

LinuxPowerSupply::~LinuxPowerSupply() {
    // The loop may outlive us; its timer must not call back into a destroyed source.
    if (timer_) timer_->invalidate();
}

float LinuxPowerSupply::level() const {
    return timer_ ? last_.level : read().level;
}

BatteryState LinuxPowerSupply::state() const {
    return timer_ ? last_.state : read().state;
}

std::optional<double> LinuxPowerSupply::reportedWatts() const {
    return timer_ ? last_.watts : read().watts;
}

std::optional<std::string> LinuxPowerSupply::supplyName() const {
    return timer_ ? last_.supply : read().supply;
}

void LinuxPowerSupply::setMonitoringEnabled(bool enabled) {
    if (enabled == static_cast<bool>(timer_)) return;
    if (!enabled) {
        timer_->invalidate();
        timer_.reset();
        return;
    }
    // The values at the moment monitoring starts are the baseline; only later changes are events.
    last_ = read();
    timer_ = loop_.scheduleRepeating(kPollInterval, [this] { poll(); });
}

void LinuxPowerSupply::poll() {
    if (!timer_) return;
    Reading now = read();
    if (now.supply != last_.supply) {
        log::debug(log::Category::Platform, now.supply ? "power supply: reading " + *now.supply
                                                       : std::string("power supply: no battery"));
    }
    const bool stateChanged = now.state != last_.state;
    const bool levelChanged = now.level != last_.level;
    const bool powerChanged = now.watts != last_.watts;
    // All values are stored before any listener runs, so a state listener sees the new level.
    last_ = std::move(now);
    if (stateChanged) notifyStateChanged();
    // A listener may have turned monitoring off.
    if (levelChanged && timer_) notifyLevelChanged();
    if (powerChanged && timer_) notifyReportedPowerChanged();
}

LinuxPowerSupply::Reading LinuxPowerSupply::read() const {
    Reading reading;
    const fs::path root = sysfs_.powerSupplies();
    if (requestedName_) {
        std::error_code ec;
        if (isPlainName(*requestedName_) && fs::exists(root / *requestedName_, ec)) {
            reading.supply = *requestedName_;
        }
    } else {
        reading.supply = findBattery(sysfs_);
    }
    if (!reading.supply) return reading;

    const fs::path dir = root / *reading.supply;
    reading.level = levelFromCapacity(readAttribute(dir / "capacity"));
    reading.state = stateFromStatus(readAttribute(dir / "status"), root);
    reading.watts = wattsOf(dir);
    return reading;
}

std::optional<std::string> LinuxPowerSupply::findBattery(const Sysfs& sysfs) {
    const fs::path rootPath = sysfs.powerSupplies();
    for (auto& name : supplyNames(rootPath)) {
        if (isSystemBattery(rootPath / name)) return std::move(name);
    }
    return std::nullopt;
}

std::vector<LinuxPowerSupply::SupplyInfo> LinuxPowerSupply::listSupplies(const Sysfs& sysfs) {
    const fs::path rootPath = sysfs.powerSupplies();
    std::vector<SupplyInfo> supplies;
    for (auto& name : supplyNames(rootPath)) {
        std::string type = readAttribute(rootPath / name / "type").value_or("");
        supplies.push_back({std::move(name), std::move(type)});
    }
    return supplies;
}

BatteryDesign LinuxPowerSupply::readDesign(const Sysfs& sysfs,
                                           const std::optional<std::string>& supplyName) {
    std::optional<std::string> name = supplyName;
    if (name && !isPlainName(*name)) return {};
    if (!name) name = findBattery(sysfs);
    if (!name) return {};
    const fs::path dir = sysfs.powerSupplies() / *name;
    return {positive(dir / "charge_full_design"), positive(dir / "energy_full_design"),
            positive(dir / "voltage_min_design")};
}

}  // namespace voltaro
