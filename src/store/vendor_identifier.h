#pragma once

#include <string>

#include "platform/preference_store.h"

namespace voltaro {

// Where the vendor identifier is kept in the preferences.
inline constexpr const char* kVendorIdentifierKey = "vendorIdentifier";

// The identifier of this installation: a random version-4 UUID in upper-case text
// ("6F9619FF-8B86-4D01-B42D-00CF4FC964FF"), made on first use and kept in the preferences. A
// kept value that is not such a text is replaced.
std::string vendorIdentifier(PreferenceStore& preferences);

// A new random version-4 UUID in upper-case text.
std::string makeUuidText();

}  // namespace voltaro
