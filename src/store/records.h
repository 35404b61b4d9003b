#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace voltaro {

// One saved test: key text to number ("date", "watt", "starttime", ...). A test is identified by
// its "starttime"; readers take an absent charger key as 0.
using TestRecord = std::map<std::string, double>;

// One brand of the catalogue: "brandid", "brand_name_en", "brand_name_cn", all texts.
using BrandRecord = std::map<std::string, std::string>;

// The keys of a TestRecord. "date" counts seconds from 1970; the three times count from 2001.
namespace record_key {
inline constexpr const char* kDate = "date";
inline constexpr const char* kWatt = "watt";
inline constexpr const char* kMin = "min";
inline constexpr const char* kAmp = "amp";
inline constexpr const char* kStartLevel = "startlevel";
inline constexpr const char* kFinishLevel = "finishlevel";
inline constexpr const char* kUserStartLevel = "userStartlevel";
inline constexpr const char* kStartTime = "starttime";
inline constexpr const char* kFinishTime = "finishtime";
inline constexpr const char* kUserStartTime = "userStartTime";
inline constexpr const char* kAverageTime = "averageTime";
// The charger description, 0 (or absent) when not given.
inline constexpr const char* kType = "type";
inline constexpr const char* kBrandId = "brandid";
inline constexpr const char* kWatts = "watts";
inline constexpr const char* kPort = "port";
inline constexpr const char* kCapacity = "capacity";
// The kernel's own power figure averaged over the test, where the battery reports one; other
// readers ignore it.
inline constexpr const char* kKernelWatt = "kernelWatt";
}  // namespace record_key

// The keys of a BrandRecord.
namespace brand_key {
inline constexpr const char* kBrandId = "brandid";
inline constexpr const char* kNameEn = "brand_name_en";
inline constexpr const char* kNameCn = "brand_name_cn";
}  // namespace brand_key

// The values a saved test keeps, read from the session at the moment of saving.
struct ResultSnapshot {
    double watt = 0;            // totalWatt
    double min = 0;             // minPerLevel
    double amp = 0;             // mahPerMin
    double averageTime = 0;
    double startlevel = 0;      // first and last sample of the window
    double finishlevel = 0;
    double starttime = 0;
    double finishtime = 0;
    double userStartTime = 0;   // first level change after Start, 0 if none
    double userStartlevel = 0;
    std::vector<float> levelList;
    std::vector<double> timeList;
    std::optional<double> kernelWatt;  // beside the estimate, never part of it
    // The figures the result was worked out with, kept with the samples.
    int64_t batteryCapacity = 0;
    int64_t maxChargingWatts = 0;
    std::string modelIdentifier = {};
    double nominalVoltage = 5;  // volts of the power figure
};

}  // namespace voltaro
