// The preferences file as a user or another program may have edited it, read as the settings and
// saved-charger screens read it; the input is also tried as one charger description's JSON.
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "fuzz_support.h"
#include "platform/plist/plist_preference_store.h"
#include "platform/plist/system_calls.h"
#include "setup/device_setup.h"
#include "store/charger_config.h"
#include "store/quick_picks.h"
#include "store/vendor_identifier.h"

VOLTARO_FUZZ(bytes) {
    struct FixedClock final : Clock {
        AbsoluteTime now() const override { return 700000000.0; }
    };
    // Flushing to disk is not what is tried here, and would make every input wait on the disk.
    sys::systemCalls().fsync = [](int) { return 0; };
    const auto& directory = fuzz::scratchFiles(bytes, {"preferences.plist"});
    PlistPreferenceStore preferences(directory);
    for (QuickPickKind kind :
         {QuickPickKind::Brand, QuickPickKind::Watt, QuickPickKind::Capacity}) {
        quickPicks(preferences, kind);
    }
    resolveDeviceSetup({std::string("fuzz"), {}, {}, {}}, Sysfs(directory / "sys"), {},
                       &preferences)
        .figures();
    loadConfigList(preferences);
    const std::vector<config> prepared = prepareConfigList(preferences, FixedClock());
    fuzz::check(!prepared.empty() && prepared.back().isBlank(),
                "the prepared charger list does not end with one blank description");
    fuzz::check(vendorIdentifier(preferences).size() == 36, "no vendor identifier");

    const nlohmann::json item = nlohmann::json::parse(bytes, nullptr, false);
    try {
        if (item.is_discarded()) return;
        const config decoded = item.get<config>();
        nlohmann::json encoded;
        to_json(encoded, decoded);
        fuzz::check(encoded.get<config>() == decoded, "a description does not read back");
    } catch (const nlohmann::json::exception&) {
    } catch (const std::invalid_argument&) {
        // How a description refuses a field of the wrong kind.
    }
}
