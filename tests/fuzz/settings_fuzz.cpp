// The preferences file as a user or another program may have edited it: the device settings, the
// quick picks, the vendor identifier and the saved charger descriptions ("config", JSON items),
// then the charger list made tidy and stored, as the saved-charger screen does. An input that is
// no property list is also tried as one charger description's JSON.
#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "platform/plist/plist_preference_store.h"
#include "platform/plist/system_calls.h"
#include "setup/device_setup.h"
#include "store/charger_config.h"
#include "store/quick_picks.h"
#include "store/vendor_identifier.h"

namespace {

struct FixedClock final : voltaro::Clock {
    voltaro::AbsoluteTime now() const override { return 700000000.0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace voltaro;
    static const fuzz::ScratchDirectory scratch;
    // Flushing to disk is not what is tried here, and would make every input wait on the disk.
    sys::systemCalls().fsync = [](int) { return 0; };
    scratch.clear();
    const std::string_view bytes = fuzz::bytesOf(data, size);
    scratch.write("preferences.plist", bytes);

    PlistPreferenceStore preferences(scratch.path());
    for (QuickPickKind kind :
         {QuickPickKind::Brand, QuickPickKind::Watt, QuickPickKind::Capacity}) {
        quickPicks(preferences, kind);
    }
    const DeviceSetup setup = resolveDeviceSetup({std::string("fuzz"), {}, {}, {}},
                                                 Sysfs(scratch.path() / "sys"), {}, &preferences);
    setup.figures();

    const std::vector<config> loaded = loadConfigList(preferences);
    const FixedClock clock;
    const std::vector<config> prepared = prepareConfigList(preferences, clock);
    fuzz::check(!prepared.empty() && prepared.back().isBlank(),
                "the prepared charger list does not end with one blank description");
    fuzz::check(vendorIdentifier(preferences).size() == 36, "no vendor identifier");

    const nlohmann::json item = nlohmann::json::parse(bytes, nullptr, false);
    if (!item.is_discarded()) {
        try {
            const config decoded = item.get<config>();
            nlohmann::json encoded;
            to_json(encoded, decoded);
            fuzz::check(encoded.get<config>() == decoded, "a description does not read back");
        } catch (const nlohmann::json::exception&) {
        }
    }
    return 0;
}
