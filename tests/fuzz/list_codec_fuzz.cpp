// The list-file readers ("history", "brandInfo", "samples") on any bytes: the quick reader and
// libplist agree wherever both answer, and whatever reads is written back to the same.
#include "fuzz_support.h"
#include "platform/plist/list_codec.h"

namespace voltaro {
namespace {

using namespace list_codec;

template <class Dictionary>
void checkReaders(std::string_view bytes, std::string_view key) {
    const auto quick = quickReadList<Dictionary>(bytes, key);
    const auto full = libplistReadList<Dictionary>(bytes, key);
    const auto read = readList<Dictionary>(bytes, key);
    // Where both read the file they agree (texts compare NaN and -0.0 by their bits); only the
    // quick reader reads a prolog libplist finds fault with.
    if (quick && full) {
        fuzz::check(writeList(key, *quick) == writeList(key, *full), "the two readers differ");
    }
    fuzz::check(read.has_value() == (quick || full), "readList is neither reader");
    if (!read) return;
    const std::string written = writeList(key, *read);
    const auto again = readList<Dictionary>(written, key);
    fuzz::check(again && writeList(key, *again) == written, "what was read does not write back");
}

}  // namespace
}  // namespace voltaro

VOLTARO_FUZZ(bytes) {
    for (const char* key : {"history", "brandInfo", "samples"}) {
        checkReaders<NumberDictionary>(bytes, key);
        checkReaders<TextDictionary>(bytes, key);
    }
}
