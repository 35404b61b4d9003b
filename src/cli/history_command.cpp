#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "cli/commands.h"
#include "curve/charge_curve.h"
#include "curve/curve_svg.h"
#include "curve/curve_text.h"
#include "extensions/number_text.h"
#include "platform/paths.h"
#include "platform/plist/list_file.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/history.h"
#include "store/kept_samples.h"

namespace voltaro::cli {
namespace {

// The keys a record is written with, in the order the columns of an export show them.
const std::vector<std::string> kRecordKeys = {
    "date",       "watt",          "min",         "amp",    "startlevel", "finishlevel",
    "userStartlevel", "starttime", "finishtime", "userStartTime", "averageTime", "type",
    "brandid",    "watts",         "port",        "capacity"};

double valueOr(const TestRecord& record, const std::string& key) {
    const auto it = record.find(key);
    return it == record.end() ? 0.0 : it->second;
}

int64_t code(const TestRecord& record, const std::string& key) {
    const double value = valueOr(record, key);
    return value > -1e15 && value < 1e15 ? static_cast<int64_t>(value) : 0;
}

// "2026-12-06 07:41" in local time, for an absolute time.
std::string dateTimeText(double absoluteTime) {
    const double unixTime = unixTimeFromAbsolute(absoluteTime);
    if (!(unixTime > -1e12 && unixTime < 1e12)) return "?";
    const auto seconds = static_cast<std::time_t>(unixTime);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return "?";
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M", &local);
    return buffer;
}

std::string chargerOf(const TestRecord& record) {
    const int64_t brand = code(record, "brandid");
    const int64_t watts = code(record, "watts");
    const int64_t capacity = code(record, "capacity");
    const int64_t type = code(record, "type");
    const int64_t port = code(record, "port");
    if (brand == 0 && watts == 0 && capacity == 0 && type == 0 && port == 0) {
        return "unknown charger";
    }
    const std::string brandPart = brand != 0 ? brandNameForId(brand) + "  " : "";
    return brandPart + TestRecordsVC::chargerText(watts, capacity, type, port);
}

// Every key of the records: the known ones in their order, then any others by name.
std::vector<std::string> columnsOf(const std::vector<TestRecord>& records) {
    std::vector<std::string> columns = kRecordKeys;
    std::set<std::string> extra;
    for (const auto& record : records) {
        for (const auto& [key, value] : record) {
            if (std::find(kRecordKeys.begin(), kRecordKeys.end(), key) == kRecordKeys.end()) {
                extra.insert(key);
            }
        }
    }
    columns.insert(columns.end(), extra.begin(), extra.end());
    return columns;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void printCsv(std::ostream& out, const std::vector<TestRecord>& records) {
    const std::vector<std::string> columns = columnsOf(records);
    for (size_t i = 0; i < columns.size(); ++i) out << (i ? "," : "") << csvField(columns[i]);
    out << '\n';
    for (const auto& record : records) {
        for (size_t i = 0; i < columns.size(); ++i) {
            const auto it = record.find(columns[i]);
            out << (i ? "," : "") << (it == record.end() ? "" : shortestText(it->second));
        }
        out << '\n';
    }
}

void printJson(std::ostream& out, const std::vector<TestRecord>& records) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& record : records) {
        nlohmann::json object = nlohmann::json::object();
        for (const auto& [key, value] : record) {
            // JSON has no NaN or infinity: such a value is written as null.
            object[key] = std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
        }
        array.push_back(std::move(object));
    }
    out << array.dump(2) << '\n';
}

void printGrouped(std::ostream& out, const std::vector<TestRecord>& records) {
    if (records.empty()) {
        out << "No tests saved yet.\n";
        return;
    }
    const HistoryGroups groups = groupHistory(records);
    char line[200];
    size_t number = 0;  // what 'history show' takes
    for (size_t section = 0; section < groups.sectionCount(); ++section) {
        const std::vector<TestRecord>& group = groups.sectionRecords(section);
        out << "Test of " << dateTimeText(groups.sectionStartTime(section)) << "  ("
            << chargerOf(group.front()) << ")  start time "
            << shortestText(groups.sectionStartTime(section)) << '\n';
        for (size_t row = 0; row < groups.rowCount(section); ++row) {
            const TestRecord& r = groups.recordAt(section, row);
            const bool hasUserLevel = r.count("userStartlevel") != 0;
            // Numbers with a point in every locale, right-aligned in their columns.
            const auto column = [&r](const char* key, int decimals, int width) {
                std::string text = fixedText(valueOr(r, key), decimals);
                return std::string(text.size() < static_cast<size_t>(width) ? width - text.size() : 0,
                                   ' ') + text;
            };
            std::snprintf(line, sizeof line, "  %3zu  ", ++number);
            out << line << column("watt", 1, 7) << " W  " << column("amp", 1, 7) << " mAh/min  "
                << column("min", 0, 5) << " s per %  "
                << column(hasUserLevel ? "userStartlevel" : "startlevel", 0, 3) << "% to "
                << column("finishlevel", 0, 3) << "%\n";
        }
    }
}

nlohmann::json numberJson(double value) {
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

nlohmann::json curveJson(const TestRecord& record, const ChargeCurve& curve,
                         const std::optional<KeptSamples>& kept) {
    nlohmann::json object = {{"endsOnly", curve.endsOnly}, {"leftOut", curve.leftOut}};
    nlohmann::json fields = nlohmann::json::object();
    for (const auto& [key, value] : record) fields[key] = numberJson(value);
    object["record"] = std::move(fields);
    nlohmann::json samples = nlohmann::json::array();
    for (size_t i = 0; i < curve.samples.size(); ++i) {
        const CurveSample& sample = curve.samples[i];
        nlohmann::json entry = {{"time", curve.startTime + sample.seconds},
                                {"seconds", sample.seconds},
                                {"level", sample.level}};
        // The power of the step that ends at this sample.
        if (i > 0) {
            const std::optional<double>& watts = curve.steps[i - 1].watts;
            entry["stepWatts"] = watts ? nlohmann::json(*watts) : nlohmann::json();
        }
        samples.push_back(std::move(entry));
    }
    object["samples"] = std::move(samples);
    if (kept) {
        object["batteryCapacity"] = kept->batteryCapacity;
        object["maxChargingWatts"] = kept->maxChargingWatts;
        object["model"] = kept->model;
        object["nominalVoltage"] = numberJson(kept->nominalVoltage);
    }
    return object;
}

int showRecord(const HistoryOptions& options, Environment& env,
               const std::vector<TestRecord>& records) {
    const HistoryGroups groups = groupHistory(records);
    std::vector<const TestRecord*> listed;  // as 'history' numbers them
    for (size_t section = 0; section < groups.sectionCount(); ++section) {
        for (size_t row = 0; row < groups.rowCount(section); ++row) {
            listed.push_back(&groups.recordAt(section, row));
        }
    }
    const std::optional<int64_t> number = parseDecimalInteger(*options.show);
    if (!number || *number < 1 || static_cast<size_t>(*number) > listed.size()) {
        env.err << "voltaro-cli: history show: there is no result \"" << *options.show << "\": "
                << (listed.empty() ? std::string("no tests are saved yet")
                                   : "'history' numbers the results 1 to " +
                                         std::to_string(listed.size()))
                << '\n';
        return kExitUsage;
    }
    const TestRecord& record = *listed[static_cast<size_t>(*number - 1)];
    const std::optional<KeptSamples> kept = samplesOfRecord(loadKeptSamples(), record);
    const ChargeCurve curve = curveOfRecord(record, kept);

    const std::string title = "Test of " + dateTimeText(valueOr(record, "starttime")) + "  (" +
                              chargerOf(record) + ")";
    const std::vector<CurveFigure> figures = recordFigures(record, curve);
    std::vector<std::string> notes;
    if (curve.endsOnly) notes.push_back("Only the first and last sample of this test were kept.");
    if (curve.leftOut > 0) {
        notes.push_back(std::to_string(curve.leftOut) +
                        " samples could not be read and are left out.");
    }

    if (options.svg) {
        std::vector<std::string> caption;
        std::string line;
        for (size_t i = 0; i < figures.size(); ++i) {
            line += (line.empty() ? "" : "   ") + figures[i].name + " " + figures[i].value;
            if (i % 3 == 2 || i + 1 == figures.size()) caption.push_back(std::exchange(line, ""));
        }
        caption.insert(caption.end(), notes.begin(), notes.end());
        std::ofstream file(*options.svg, std::ios::binary | std::ios::trunc);
        file << curveSvg(curve, title, caption);
        file.close();
        if (!file) {
            env.err << "voltaro-cli: cannot write the picture to " << *options.svg << '\n';
            return 1;
        }
    }
    if (options.json) {
        env.out << curveJson(record, curve, kept).dump(2) << '\n';
        return 0;
    }

    env.out << title << '\n';
    for (const CurveFigure& figure : figures) {
        env.out << "  " << figure.name << std::string(13 - std::min<size_t>(figure.name.size(), 12), ' ')
                << figure.value << '\n';
    }
    for (const std::string& note : notes) env.out << "  " << note << '\n';
    env.out << '\n';
    if (env.interactiveTerminal) {
        for (const std::string& line : curveTextLines(curve, env.columns > 0 ? env.columns : 80)) {
            env.out << line << '\n';
        }
        env.out << "       Level above, power of each step below.\n";
    } else {
        for (const std::string& line : curveSampleLines(curve)) env.out << line << '\n';
    }
    if (options.svg) env.out << "Curve written to " << *options.svg << '\n';
    return 0;
}

}  // namespace

int runHistory(const HistoryOptions& options, Environment& env) {
    if (options.dataDir) Paths::setDataDirectory(*options.dataDir);
    // An unreadable file is no empty history: say so, and keep it out of the way of new results.
    if (const auto unreadable = setAsideIfUnreadable<TestRecord>(kHistoryKey)) {
        env.err << "voltaro-cli: the history " << unreadable->file.string() << " could not be read";
        if (unreadable->keptAs) {
            env.err << "; it has been kept aside as " << unreadable->keptAs->string()
                    << " and new results start a fresh history.\n";
        } else {
            env.err << ", and could not be moved aside.\n";
        }
        return 1;
    }
    const std::vector<TestRecord> records = loadHistory();
    if (options.show) return showRecord(options, env, records);
    if (options.clear) {
        if (records.empty()) {
            env.out << "The history is already empty.\n";
            return 0;
        }
        if (!options.yes) {
            env.out << "Remove all " << records.size() << " saved results? [y/N] ";
            env.out.flush();
            std::string answer;
            if (env.in == nullptr || !std::getline(*env.in, answer) ||
                (answer != "y" && answer != "Y" && answer != "yes")) {
                env.out << "\nThe history is kept.\n";
                return 0;
            }
        }
        if (!clearHistory()) {
            env.err << "voltaro-cli: the history could not be written\n";
            return 1;
        }
        env.out << "The history is cleared.\n";
        return 0;
    }
    if (options.csv) {
        printCsv(env.out, records);
    } else if (options.json) {
        printJson(env.out, records);
    } else {
        printGrouped(env.out, records);
    }
    return 0;
}

}  // namespace voltaro::cli
