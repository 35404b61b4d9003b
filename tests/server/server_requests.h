#pragma once

#include <httplib.h>

#include <string>

namespace voltaro::testing {

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

// A wall charger on USB-C unless said otherwise; all "0" is the unknown charger.
inline httplib::Params labelParameters(int device, double start, const std::string& brand,
                                       const std::string& watts = "20", const char* type = "1",
                                       const char* port = "2") {
    return {{"starttime", std::to_string(start)},
            {"brand_id", brand},
            {"charger_watts", watts},
            {"charger_type", type},
            {"charger_port", port},
            {"charger_capacity", "0"},
            {"vindor_id", vendor(device)}};
}

}  // namespace voltaro::testing
