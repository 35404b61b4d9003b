#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "extensions/number_text.h"
#include "platform/curl/curl_http_client.h"
#include "platform/paths.h"
#include "platform/plist/list_file.h"
#include "platform/preference_store.h"
#include "platform/system_main_loop.h"
#include "screens/test_records_vc.h"
#include "service/endpoints.h"
#include "service/utility.h"
#include "store/brand_catalogue.h"
#include "store/charger_config.h"
#include "store/display_text.h"
#include "store/history.h"
#include "store/vendor_identifier.h"

namespace voltaro::cli {
namespace {

constexpr double kUploadWaitSeconds = 10.0;

std::optional<int64_t> kindCode(const std::string& kind) {
    if (kind == "wall") return 1;
    if (kind == "bank") return 2;
    if (kind == "car") return 3;
    return std::nullopt;
}

std::optional<int64_t> portCode(const std::string& port) {
    if (port == "usb-a") return 1;
    if (port == "usb-c") return 2;
    if (port == "wireless") return 3;
    return std::nullopt;
}

std::optional<int64_t> wattsCode(const std::string& watts) {
    if (isInvalidPercentText(watts)) return std::nullopt;
    return parseDecimalInteger(watts).value_or(0);
}

std::optional<int64_t> capacityCode(const std::string& capacity) {
    if (isInvalidCountText(capacity)) return std::nullopt;
    return parseDecimalInteger(capacity).value_or(0);
}

// An option of a charger description given as text: when present, its code goes into `field`;
// a text without a code is refused with `refusal`.
struct CodedOption {
    const std::optional<std::string>& text;
    std::optional<int64_t> (*code)(const std::string&);
    int64_t& field;
    const char* refusal;
};

std::string describe(const config& c) {
    if (c.isBlank()) return "unknown charger";
    std::string text = c.brand != 0 ? brandNameForId(c.brand) + "  " : "";
    return text + TestRecordsVC::chargerText(c.watt, c.capacity, c.type, c.port);
}

// A start time exactly as the history keeps it.
std::optional<double> parseStartTime(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int runChargers(const ChargersOptions& options, Environment& env) {
    if (options.dataDir) Paths::setDataDirectory(*options.dataDir);
    const std::vector<config> list = loadConfigList(standardPreferences());
    nlohmann::json array = nlohmann::json::array();
    bool any = false;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->isBlank()) continue;
        any = true;
        if (options.json) {
            array.push_back(*it);
        } else {
            env.out << describe(*it) << '\n';
        }
    }
    if (options.json) {
        env.out << array.dump(2) << '\n';
    } else if (!any) {
        env.out << "No charger descriptions saved yet.\n";
    }
    return 0;
}

int runLabel(const LabelOptions& options, Environment& env) {
    if (options.dataDir) Paths::setDataDirectory(*options.dataDir);
    const std::optional<double> startTime = parseStartTime(options.startTime);
    if (!startTime) {
        env.err << "voltaro-cli: \"" << options.startTime
                << "\" is not a start time; 'voltaro-cli history' shows each test's\n";
        return kExitUsage;
    }

    ChargerSelection charger;
    const CodedOption codedOptions[] = {
        {options.kind, kindCode, charger.type, "--kind must be wall, bank or car"},
        {options.port, portCode, charger.port, "--port must be usb-a, usb-c or wireless"},
        {options.watts, wattsCode, charger.watt, "--watts must be a whole number from 1 to 100"},
        {options.capacity, capacityCode, charger.capacity,
         "--capacity must be a whole number of mAh from 1 to 9999999"},
    };
    for (const CodedOption& option : codedOptions) {
        if (!option.text) continue;
        const std::optional<int64_t> code = option.code(*option.text);
        if (!code) {
            env.err << "voltaro-cli: " << option.refusal << '\n';
            return kExitUsage;
        }
        option.field = *code;
    }
    if (options.brand) {
        // A number is a brand number; anything else is a brand's English name.
        const auto number = parseDecimalInteger(*options.brand);
        charger.brand = number ? *number : brandIdForName(*options.brand);
        if (charger.brand == 0) {
            env.err << "voltaro-cli: no brand \"" << *options.brand
                    << "\" in the brand catalogue\n";
            return kExitUsage;
        }
    }
    if (options.clear && !charger.isBlank()) {
        env.err << "voltaro-cli: --clear forgets the test's charger; it cannot go with a "
                   "description (--kind, --brand, --watts, --capacity, --port)\n";
        return kExitUsage;
    }
    if (charger.isBlank() && !options.clear) {
        env.err << "voltaro-cli: say what the charger was (--kind, --brand, --watts, --capacity, "
                   "--port), or --clear to forget it\n";
        return kExitUsage;
    }

    // Only a record that has this start time is this test (a record without one is no test).
    const std::vector<TestRecord> history = loadHistory();
    const bool found = std::any_of(history.begin(), history.end(), [&](const TestRecord& r) {
        const auto start = r.find(record_key::kStartTime);
        return start != r.end() && start->second == *startTime;
    });
    if (!found) {
        env.err << "voltaro-cli: no saved test started at " << options.startTime
                << "; 'voltaro-cli history' shows each test's start time\n";
        return kExitUsage;
    }

    // The history first: when it cannot be written, nothing else changes either.
    if (!applyChargerToHistory(charger.brand, charger.watt, charger.type, charger.port,
                               charger.capacity, *startTime)) {
        env.err << "voltaro-cli: the history " << listFilePath(kHistoryKey).string()
                << " could not be written: the test is not labelled\n";
        return 1;
    }
    SystemMainLoop loop;
    PreferenceStore& preferences = standardPreferences();
    if (!charger.isBlank()) addConfig(preferences, loop, charger);
    env.out << "Labelled the test of " << options.startTime << ": "
            << describe({0, charger.brand, charger.watt, charger.type, charger.port,
                         charger.capacity})
            << '\n';

    // Tell the service, and wait a little for it to take the description.
    const ServiceEndpoints endpoints = ServiceEndpoints::fromConfiguration();
    if (!isWebAddress(endpoints.charger)) return 0;  // nowhere to send it: nothing to wait for
    CurlHttpClient http(loop);
    Utility utility(http, endpoints,
                    {[](const std::vector<BrandRecord>& brands) { return saveBrandCatalogue(brands); },
                     [] { return currentLanguageFlag(); },
                     [&preferences] { return vendorIdentifier(preferences); },
                     [] { return std::string(); }});
    const std::map<std::string, double> description = {
        {"starttime", *startTime},
        {"brandid", static_cast<double>(charger.brand)},
        {"watts", static_cast<double>(charger.watt)},
        {"type", static_cast<double>(charger.type)},
        {"port", static_cast<double>(charger.port)},
        {"capacity", static_cast<double>(charger.capacity)}};
    utility.uploadChargerConfig(description, [&] { loop.quit(); });
    const auto timeout = loop.scheduleOnce(kUploadWaitSeconds, [&] { loop.quit(); });
    loop.run();
    timeout->invalidate();
    return 0;
}

}  // namespace voltaro::cli
