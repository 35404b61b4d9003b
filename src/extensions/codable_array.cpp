#include "extensions/codable_array.h"

#include "platform/log.h"

namespace voltaro::codable_detail {

void logCodingError() {
    log::debug(log::Category::Store, "error is catched");
}

}  // namespace voltaro::codable_detail
