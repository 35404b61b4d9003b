#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltaro {

// The two kinds of list that list files hold: dictionaries of reals (history records) and
// dictionaries of strings (brand records).
using NumberDictionary = std::map<std::string, double>;
using TextDictionary = std::map<std::string, std::string>;

namespace list_codec {

// The XML property list 1.0 of a root dictionary that maps `key` to the array of `items`. Reals are
// written in the shortest form that reads back as the same double ("nan", "+infinity" and
// "-infinity" for the values without digits).
std::string writeList(std::string_view key, const std::vector<NumberDictionary>& items);
std::string writeList(std::string_view key, const std::vector<TextDictionary>& items);

// Reads a list file's content: nullopt when it is not an XML property-list dictionary whose entry
// `key` is an array of dictionaries holding only numbers (reals or integers), or only strings,
// respectively.
template <class Dictionary>
std::optional<std::vector<Dictionary>> readList(std::string_view bytes, std::string_view key);

// The two readers behind readList. The quick one understands the plain XML that this program and
// the usual writers produce and declines (nullopt) anything else, even valid input; libplist then
// reads it. Both give the same result wherever both answer; the quick one also reads a few files
// whose prolog libplist finds fault with (an unbalanced quote in the document type).
template <class Dictionary>
std::optional<std::vector<Dictionary>> quickReadList(std::string_view bytes, std::string_view key);
template <class Dictionary>
std::optional<std::vector<Dictionary>> libplistReadList(std::string_view bytes,
                                                        std::string_view key);

}  // namespace list_codec
}  // namespace voltaro
