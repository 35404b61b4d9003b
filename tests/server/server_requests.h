// What a phone sends the service: a finished test and a charger label.
#pragma once

#include <httplib.h>

#include <string>

namespace voltaro::testing {

// A valid vendor identifier for each device number from 0 to 9.
inline std::string vendor(int device) {
    return "E621E1F8-C36C-495A-93FC-0C247A3E6E5" + std::to_string(device);
}

inline httplib::Params testParameters(int device, double start, double watt,
                                      const std::string& model = "Test Phone") {
    return {{"watt", std::to_string(watt)},
            {"starttime", std::to_string(start)},
            {"model", model},
            {"vindor_id", vendor(device)}};
}

inline httplib::Params labelParameters(int device, double start, const std::string& brand,
                                       const std::string& watts = "20") {
    return {{"starttime", std::to_string(start)},
            {"brand_id", brand},
            {"charger_watts", watts},
            {"charger_type", "1"},
            {"charger_port", "2"},
            {"charger_capacity", "0"},
            {"vindor_id", vendor(device)}};
}

}  // namespace voltaro::testing
