#include "platform/linux/linux_power_supply.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/log.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

// Attribute files hold one short line; anything longer is not an attribute we understand.
constexpr size_t kMaxAttributeSize = 4096;

std::string_view trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

// Reads one attribute file, trimmed. Nothing when it is missing or cannot be read (a driver may
// answer EIO or ENODEV while the device is going away). Non-blocking, so that a stray FIFO in a
// test tree cannot stall the main loop.
std::optional<std::string> readAttribute(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string content(kMaxAttributeSize, '\0');
    size_t size = 0;
    bool ok = true;
    while (size < content.size()) {
        const ssize_t n = ::read(fd, content.data() + size, content.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        size += static_cast<size_t>(n);
    }
    ::close(fd);
    if (!ok || size >= content.size()) return std::nullopt;
    content.resize(size);
    return std::string(trim(content));
}

std::optional<long> parseInteger(std::string_view text) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

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
    return static_cast<float>(std::clamp(*percent, 0L, 100L)) / 100.0f;
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

}  // namespace

LinuxPowerSupply::LinuxPowerSupply(MainLoop& loop, std::string root,
                                   std::optional<std::string> supplyName)
    : loop_(loop), root_(std::move(root)), requestedName_(std::move(supplyName)) {}

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
    // Both values are stored before any listener runs, so a state listener sees the new level.
    last_ = std::move(now);
    if (stateChanged) notifyStateChanged();
    // A state listener may have turned monitoring off.
    if (levelChanged && timer_) notifyLevelChanged();
}

LinuxPowerSupply::Reading LinuxPowerSupply::read() const {
    Reading reading;
    const fs::path root(root_);
    if (requestedName_) {
        std::error_code ec;
        if (isPlainName(*requestedName_) && fs::exists(root / *requestedName_, ec)) {
            reading.supply = *requestedName_;
        }
    } else {
        reading.supply = findBattery(root_);
    }
    if (!reading.supply) return reading;

    const fs::path dir = root / *reading.supply;
    reading.level = levelFromCapacity(readAttribute(dir / "capacity"));
    reading.state = stateFromStatus(readAttribute(dir / "status"), root);
    return reading;
}

std::optional<std::string> LinuxPowerSupply::findBattery(const std::string& root) {
    const fs::path rootPath(root);
    for (auto& name : supplyNames(rootPath)) {
        if (isSystemBattery(rootPath / name)) return std::move(name);
    }
    return std::nullopt;
}

std::vector<LinuxPowerSupply::SupplyInfo> LinuxPowerSupply::listSupplies(const std::string& root) {
    const fs::path rootPath(root);
    std::vector<SupplyInfo> supplies;
    for (auto& name : supplyNames(rootPath)) {
        std::string type = readAttribute(rootPath / name / "type").value_or("");
        supplies.push_back({std::move(name), std::move(type)});
    }
    return supplies;
}

}  // namespace voltaro
