#include "platform/model_source.h"

#include <sys/utsname.h>

namespace voltaro {

ModelIdentity ModelSource::identity() const {
    std::string identifier = modelIdentifier();
    return {identifier, identifier, ModelOrigin::Option};
}

std::string UnameModelSource::modelIdentifier() const {
    // Zeroed first, so a failed call leaves an empty machine text: the identifier is then empty.
    struct utsname names {};
    uname(&names);

    // Walk the whole member and skip zero bytes rather than stopping at the first one.
    std::string identifier;
    for (const char byte : names.machine) {
        if (byte == '\0') continue;
        // Identifiers are ASCII; anything else is kept visible but harmless.
        identifier += (static_cast<unsigned char>(byte) & 0x80U) != 0 ? '?' : byte;
    }
    return identifier;
}

ModelIdentity UnameModelSource::identity() const {
    std::string identifier = modelIdentifier();
    return {identifier, identifier, ModelOrigin::Uname};
}

}  // namespace voltaro
