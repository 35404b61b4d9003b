#pragma once

#include <plist/plist.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace voltaro {

struct PlistDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Reads an XML property list with libplist: nullptr when the text is not one. libplist recurses
// once per nesting level and so would run out of stack on a hostile file; text nesting deeper
// than any property list of ours is refused before it gets there.
PlistPtr parseXmlPlist(std::string_view text);

// The text of a string node; nothing for another kind of node, and for a string that holds a NUL
// ("&#0;" in the file), which no text of ours can hold and which libplist's own getter would stop
// the process over.
std::optional<std::string> plistText(plist_t node);

// The XML form of `node`; empty when libplist could not write it.
std::string plistToXml(plist_t node);

}  // namespace voltaro
