// A power-supply tree as drivers and firmware may fill it (the files of kFiles, cut by
// fuzz::kFileSeparator), read as the battery source, the model source and the device setup read it.
#include <cmath>

#include "fuzz_support.h"
#include "platform/linux/linux_power_supply.h"
#include "platform/linux/sysfs_model_source.h"
#include "platform/sim/virtual_time.h"
#include "setup/device_setup.h"

VOLTARO_FUZZ(bytes) {
    if (const auto number = parseInteger(bytes)) {
        fuzz::check(parseInteger(std::to_string(*number)) == number, "a number does not read back");
    }
    const Sysfs sysfs(fuzz::scratchFiles(
        bytes,
        {"class/power_supply/BAT0/capacity", "class/power_supply/BAT0/status",
         "class/power_supply/BAT0/power_now", "class/power_supply/BAT0/current_now",
         "class/power_supply/BAT0/voltage_now", "class/power_supply/BAT0/charge_full_design",
         "class/power_supply/BAT0/energy_full_design", "class/power_supply/BAT0/voltage_min_design",
         "class/power_supply/BAT0/type", "class/power_supply/BAT0/scope",
         "class/power_supply/AC/type", "class/power_supply/AC/online", "class/dmi/id/sys_vendor",
         "class/dmi/id/product_name", "firmware/devicetree/base/model"}));
    // Without its own type file the battery is still one, so that its figures are read.
    if (!std::filesystem::exists(sysfs.powerSupplies() / "BAT0/type")) {
        std::ofstream(sysfs.powerSupplies() / "BAT0/type") << "Battery";
    }
    VirtualTime loop;
    LinuxPowerSupply battery(loop, sysfs);
    const float level = battery.level();
    fuzz::check(level == kUnknownBatteryLevel || (level >= 0 && level <= 1), "a level beyond 0..1");
    battery.state();
    const auto watts = battery.reportedWatts();
    fuzz::check(!watts || (std::isfinite(*watts) && *watts >= 0), "a power that is no power");
    LinuxPowerSupply::listSupplies(sysfs);
    fuzz::check(SysfsModelSource(sysfs).identity().name.size() <= 300,
                "a model name beyond any firmware text");
    resolveDeviceSetup({}, sysfs, std::nullopt, nullptr).figures();
}
