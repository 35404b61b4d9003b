#include <ctime>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "cli/commands.h"
#include "extensions/number_text.h"
#include "platform/paths.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/history.h"

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
    for (size_t section = 0; section < groups.sectionCount(); ++section) {
        const std::vector<TestRecord>& group = groups.sectionRecords(section);
        out << "Test of " << dateTimeText(groups.sectionStartTime(section)) << "  ("
            << chargerOf(group.front()) << ")  start time "
            << shortestText(groups.sectionStartTime(section)) << '\n';
        for (size_t row = 0; row < groups.rowCount(section); ++row) {
            const TestRecord& r = groups.recordAt(section, row);
            const bool hasUserLevel = r.count("userStartlevel") != 0;
            std::snprintf(line, sizeof line,
                          "  %7.1f W  %7.1f mAh/min  %5.0f s per %%  %3.0f%% to %3.0f%%\n",
                          valueOr(r, "watt"), valueOr(r, "amp"), valueOr(r, "min"),
                          valueOr(r, hasUserLevel ? "userStartlevel" : "startlevel"),
                          valueOr(r, "finishlevel"));
            out << line;
        }
    }
}

}  // namespace

int runHistory(const HistoryOptions& options, Environment& env) {
    if (options.dataDir) Paths::setDataDirectory(*options.dataDir);
    const std::vector<TestRecord> records = loadHistory();
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
