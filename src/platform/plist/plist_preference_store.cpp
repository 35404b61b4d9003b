#include "platform/plist/plist_preference_store.h"

#include <cstdlib>

#include "platform/paths.h"
#include "platform/plist/file_guard.h"
#include "platform/plist/plist_document.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "preferences.plist";
constexpr const char* kLockName = "preferences.lock";

// The stored root dictionary, or nullptr with `content` telling why.
PlistPtr readRoot(const fs::path& file, FileContent& content) {
    std::string bytes;
    switch (readWholeFile(file, bytes)) {
        case ReadStatus::Missing:
            content = FileContent::Missing;
            return nullptr;
        case ReadStatus::Failed:
            content = FileContent::Unreadable;
            return nullptr;
        case ReadStatus::Ok:
            break;
    }
    PlistPtr root = parseXmlPlist(bytes);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        content = FileContent::Unreadable;
        return nullptr;
    }
    content = FileContent::Readable;
    return root;
}

}  // namespace

PlistPreferenceStore::PlistPreferenceStore(fs::path directory) : directory_(std::move(directory)) {}

fs::path PlistPreferenceStore::directory() const {
    return directory_.empty() ? Paths::configDirectory() : directory_;
}

fs::path PlistPreferenceStore::filePath() const {
    const fs::path dir = directory();
    return dir.empty() ? fs::path() : dir / kFileName;
}

void PlistPreferenceStore::withValue(std::string_view key,
                                     const std::function<void(void*)>& use) const {
    const fs::path file = filePath();
    FileContent content = FileContent::Unknown;
    PlistPtr root = file.empty() ? nullptr : readRoot(file, content);
    use(root ? plist_dict_get_item(root.get(), std::string(key).c_str()) : nullptr);
}

bool PlistPreferenceStore::modify(const std::function<void(void*)>& change) {
    const fs::path dir = directory();
    if (!Paths::ensureDirectory(dir)) return false;
    FileLock lock(dir / kLockName);
    if (!lock.held()) return false;

    const fs::path file = dir / kFileName;
    FileContent content = FileContent::Unknown;
    PlistPtr root = readRoot(file, content);
    if (!root) root.reset(plist_new_dict());
    change(root.get());

    const std::string xml = plistToXml(root.get());
    if (xml.empty()) return false;
    if (content == FileContent::Unreadable && !moveAside(file)) return false;
    return replaceFileAtomically(file, xml);
}

int64_t PlistPreferenceStore::integerForKey(std::string_view key) const {
    int64_t result = 0;
    withValue(key, [&](void* value) {
        if (value == nullptr || plist_get_node_type(value) != PLIST_UINT) return;
        uint64_t raw = 0;
        plist_get_uint_val(value, &raw);
        result = static_cast<int64_t>(raw);  // stored with two's complement, written signed
    });
    return result;
}

bool PlistPreferenceStore::setInteger(std::string_view key, int64_t value) {
    return modify([&](void* root) {
        plist_dict_set_item(root, std::string(key).c_str(),
                            plist_new_uint(static_cast<uint64_t>(value)));
    });
}

std::optional<std::vector<std::string>> PlistPreferenceStore::dataArrayForKey(
    std::string_view key) const {
    std::optional<std::vector<std::string>> result;
    withValue(key, [&](void* value) {
        if (value == nullptr || plist_get_node_type(value) != PLIST_ARRAY) return;
        std::vector<std::string> items;
        const uint32_t count = plist_array_get_size(value);
        for (uint32_t i = 0; i < count; ++i) {
            const plist_t item = plist_array_get_item(value, i);
            if (item == nullptr || plist_get_node_type(item) != PLIST_DATA) return;
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(item, &bytes, &length);
            items.emplace_back(bytes != nullptr ? bytes : "", bytes != nullptr ? length : 0);
            std::free(bytes);
        }
        result = std::move(items);
    });
    return result;
}

bool PlistPreferenceStore::setDataArray(std::string_view key,
                                        const std::vector<std::string>& items) {
    return modify([&](void* root) {
        plist_t array = plist_new_array();
        for (const std::string& item : items) {
            plist_array_append_item(array, plist_new_data(item.data(), item.size()));
        }
        plist_dict_set_item(root, std::string(key).c_str(), array);
    });
}

std::optional<double> PlistPreferenceStore::numberForKey(std::string_view key) const {
    bool real = false;
    double result = 0;
    withValue(key, [&](void* value) {
        if (value == nullptr || plist_get_node_type(value) != PLIST_REAL) return;
        plist_get_real_val(value, &result);
        real = true;
    });
    if (real) return result;
    return PreferenceStore::numberForKey(key);
}

std::optional<std::string> PlistPreferenceStore::stringForKey(std::string_view key) const {
    std::optional<std::string> result;
    withValue(key, [&](void* value) { result = plistText(value); });
    return result;
}

bool PlistPreferenceStore::setString(std::string_view key, std::string_view value) {
    return modify([&](void* root) {
        plist_dict_set_item(root, std::string(key).c_str(),
                            plist_new_string(std::string(value).c_str()));
    });
}

bool PlistPreferenceStore::removeObject(std::string_view key) {
    return modify([&](void* root) {
        const std::string name(key);
        if (plist_dict_get_item(root, name.c_str()) != nullptr) {
            plist_dict_remove_item(root, name.c_str());
        }
    });
}

void PlistPreferenceStore::exclusively(const std::function<void()>& work) {
    const fs::path dir = directory();
    if (!Paths::ensureDirectory(dir)) {
        work();  // each write then fails on its own
        return;
    }
    FileLock lock(dir / kLockName);
    work();
}

PreferenceStore& standardPreferences() {
    static PlistPreferenceStore store;
    return store;
}

}  // namespace voltaro
