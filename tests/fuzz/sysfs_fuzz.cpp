// A power-supply tree as drivers and firmware may fill it: the attribute files of a battery, a
// mains supply, DMI and the device tree (in the order of kFiles, cut by fuzz::kFileSeparator),
// read as the battery source, the model source and the device setup read them.
#include <cmath>

#include "fuzz_support.h"
#include "platform/linux/linux_power_supply.h"
#include "platform/linux/sysfs_model_source.h"
#include "platform/sim/virtual_time.h"
#include "setup/device_setup.h"

namespace {

constexpr const char* kFiles[] = {
    "class/power_supply/BAT0/capacity",
    "class/power_supply/BAT0/status",
    "class/power_supply/BAT0/power_now",
    "class/power_supply/BAT0/current_now",
    "class/power_supply/BAT0/voltage_now",
    "class/power_supply/BAT0/charge_full_design",
    "class/power_supply/BAT0/energy_full_design",
    "class/power_supply/BAT0/voltage_min_design",
    "class/power_supply/BAT0/type",
    "class/power_supply/BAT0/scope",
    "class/power_supply/AC/type",
    "class/power_supply/AC/online",
    "class/dmi/id/sys_vendor",
    "class/dmi/id/product_name",
    "firmware/devicetree/base/model",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace voltaro;
    static const fuzz::ScratchDirectory scratch;
    scratch.clear();
    const std::string_view bytes = fuzz::bytesOf(data, size);

    if (const auto number = parseInteger(bytes)) {
        fuzz::check(parseInteger(std::to_string(*number)) == number, "a number does not read back");
    }

    const auto parts = fuzz::partsOf(bytes, fuzz::kFileSeparator);
    for (size_t i = 0; i < parts.size() && i < std::size(kFiles); ++i)
        scratch.write(kFiles[i], parts[i]);
    // Without its own type file the battery is still one, so that its figures are read.
    if (parts.size() <= 8) scratch.write("class/power_supply/BAT0/type", "Battery");

    const Sysfs sysfs(scratch.path());
    VirtualTime loop;
    LinuxPowerSupply battery(loop, sysfs);
    const float level = battery.level();
    fuzz::check(level == kUnknownBatteryLevel || (level >= 0 && level <= 1), "a level beyond 0..1");
    battery.state();
    if (const auto watts = battery.reportedWatts()) {
        fuzz::check(std::isfinite(*watts) && *watts >= 0, "a power that is no power");
    }
    LinuxPowerSupply::listSupplies(sysfs);

    SysfsModelSource models(sysfs);
    const ModelIdentity identity = models.identity();
    fuzz::check(identity.name.size() <= 300, "a model name beyond any firmware text");

    const DeviceSetup setup = resolveDeviceSetup({}, sysfs, std::nullopt, nullptr);
    setup.figures();
    return 0;
}
