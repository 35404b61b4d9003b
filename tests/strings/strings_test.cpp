#include "platform/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/strings/embedded_catalogues.h"
#include "platform/strings/mo_catalogue.h"

namespace voltaro {
namespace {

using strings::MoCatalogue;
using Bytes = std::vector<unsigned char>;
using Entries = std::vector<std::pair<std::string, std::string>>;

// A .mo image as msgfmt lays it out: header, key table, text table, then the strings.
Bytes moImage(const Entries& entries, bool bigEndian = false) {
    Bytes image;
    const auto put = [&](std::size_t value) {
        for (int i = 0; i < 4; ++i) {
            const int shift = bigEndian ? 24 - 8 * i : 8 * i;
            image.push_back(static_cast<unsigned char>(value >> shift));
        }
    };
    const std::size_t tables = 28;
    put(0x950412de), put(0), put(entries.size()), put(tables), put(tables + 8 * entries.size());
    put(0), put(0);
    std::size_t offset = tables + 16 * entries.size();
    for (const bool keys : {true, false}) {
        for (const auto& [key, text] : entries) {
            put((keys ? key : text).size()), put(offset);
            offset += (keys ? key : text).size() + 1;
        }
    }
    for (const bool keys : {true, false}) {
        for (const auto& [key, text] : entries) {
            const std::string& s = keys ? key : text;
            image.insert(image.end(), s.begin(), s.end());
            image.push_back(0);
        }
    }
    return image;
}

void setWord(Bytes& image, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) image[at + i] = static_cast<unsigned char>(value >> 8 * i);
}

bool contains(const Bytes& image, const std::string& text) {
    Bytes terminated(text.begin(), text.end());
    terminated.push_back(0);
    return std::search(image.begin(), image.end(), terminated.begin(), terminated.end()) !=
           image.end();
}

const Entries kSample = {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                         {"key", "text"},
                         {std::string("apple\0apples", 12), std::string("Apfel\0Äpfel", 12)},
                         {"untranslated", ""},
                         {"key", "later duplicate"}};

TEST(MoCatalogue, ReadsEitherByteOrder) {
    for (const bool bigEndian : {false, true}) {
        const auto catalogue = MoCatalogue::parse(moImage(kSample, bigEndian));
        ASSERT_TRUE(catalogue) << "big endian " << bigEndian;
        EXPECT_EQ(catalogue->find("key"), "text");
        EXPECT_EQ(catalogue->find("apple"), "Apfel");
        EXPECT_FALSE(catalogue->find(""));  // the header is no translation
        EXPECT_FALSE(catalogue->find("untranslated"));
        EXPECT_EQ(catalogue->entries().size(), 2u);
    }
}

TEST(MoCatalogue, RejectsTruncatedAndMalformedImages) {
    const Bytes image = moImage({{"k", std::string(200, 'x')}});
    for (std::size_t length = 0; length < image.size(); ++length) {
        EXPECT_FALSE(MoCatalogue::parse(std::span(image.data(), length))) << length;
    }
    const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> faults = {
        {"magic", [](Bytes& b) { b[0] ^= 0xff; }},
        {"revision", [](Bytes& b) { setWord(b, 4, 0x20000); }},
        {"count", [](Bytes& b) { setWord(b, 8, 0xffffffff); }},
        {"table offset", [](Bytes& b) { setWord(b, 16, static_cast<std::uint32_t>(b.size())); }},
        // 0xfffffff0 + 61 wraps in 32 bits to the key's terminating NUL at 45.
        {"wrapping string end", [](Bytes& b) { setWord(b, 28, 61), setWord(b, 32, 0xfffffff0); }},
        {"unterminated string", [](Bytes& b) { b.back() = 'x'; }},
        {"shared string", [](Bytes& b) { std::copy_n(b.begin() + 36, 8, b.begin() + 28); }},
    };
    for (const auto& [name, fault] : faults) {
        Bytes broken = image;
        fault(broken);
        std::string error;
        EXPECT_FALSE(MoCatalogue::parse(broken, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

TEST(MoCatalogue, DamagedImagesNeverYieldBytesFromOutside) {
    const Bytes image = moImage(kSample);
    std::mt19937 random(7);
    int rejected = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = image;
        for (int i = 0; i < 3; ++i) damaged[random() % damaged.size()] = random() % 256;
        const auto catalogue = MoCatalogue::parse(damaged);
        if (!catalogue) {
            ++rejected;
            continue;
        }
        for (const auto& [key, text] : catalogue->entries()) {
            EXPECT_TRUE(contains(damaged, key) && contains(damaged, text)) << round;
        }
    }
    EXPECT_GT(rejected, 0);
}

TEST(Translate, FallsBackToEnglishThenToTheKey) {
    strings::CatalogueSet set;
    set.emplace("en", *MoCatalogue::parse(moImage({{"a", "A"}, {"b", "B"}})));
    set.emplace("ja", *MoCatalogue::parse(moImage({{"a", "あ"}})));
    EXPECT_EQ(strings::translate(set, "ja", "a"), "あ");
    EXPECT_EQ(strings::translate(set, "ja", "b"), "B");
    EXPECT_EQ(strings::translate(set, "zh_CN", "a"), "A");
    EXPECT_EQ(strings::translate(set, "ja", "c"), "c");
}

// Clears the locale variables for each test and puts them back afterwards.
class Strings : public ::testing::Test {
protected:
    static constexpr const char* kVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        }
        setLanguage("");
    }
    // Sets the four variables in the order of kVariables; nullptr leaves one unset.
    static std::string languageFrom(std::vector<const char*> values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] ? setenv(kVariables[i], values[i], 1) : unsetenv(kVariables[i]);
        }
        setLanguage("");
        return currentLanguage();
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(Strings, EveryLanguageHasATextForEveryKey) {
    // clang-format off
    const char* keys[] = {
        "errorTitle", "errorMessage", "connectMessageLeft", "connectMessageRight",
        "connectMessageInit", "fullyCharged", "startMessageInit", "unknown", "Wireless",
        "Wall Charger", "Power Bank", "Car Charger", "languageFlag", "typeLabelTextWatt",
        "typeLabelTextAmp", "notComplete", "notNumber", "over100", "over10000", "removeAlertTitle",
        "removeAlertMessage", "raterAlertTitle", "raterAlertMessage", "Yes", "No", "OK"};
    // clang-format on
    const std::pair<const char*, const char*> flags[] = {
        {"en", "1"}, {"zh_CN", "2"}, {"zh_TW", "3"}, {"ja", "4"}};
    const auto embedded = strings::embeddedCatalogues();
    for (const auto& [language, flag] : flags) {
        const auto found = std::find_if(embedded.begin(), embedded.end(),
                                        [&](const auto& e) { return e.language == language; });
        ASSERT_NE(found, embedded.end()) << language;
        const auto catalogue = MoCatalogue::parse(found->image);
        ASSERT_TRUE(catalogue) << language;
        setLanguage(language);
        EXPECT_EQ(currentLanguage(), language);
        EXPECT_EQ(localized("languageFlag"), flag);
        for (const char* key : keys) {
            // Checked in the catalogue itself: the lookup would hide a gap behind English.
            const auto text = catalogue->find(key);
            EXPECT_TRUE(text && !text->empty()) << language << " lacks " << key;
            EXPECT_EQ(localized(key), text.value_or(key)) << language << " " << key;
        }
        EXPECT_EQ(localized("noSuchKey"), "noSuchKey");
        EXPECT_EQ(localized(""), "");
    }
}

TEST_F(Strings, LanguageIsChosenAsGettextChoosesIt) {
    using V = std::vector<const char*>;
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, nullptr}), "en");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "zh_CN.UTF-8"}), "zh_CN");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "zh_HK.UTF-8"}), "zh_TW");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "zh_TW"}), "zh_TW");
    EXPECT_EQ(languageFrom(V{"zh_Hant", nullptr, nullptr, "en_US.UTF-8"}), "zh_TW");
    EXPECT_EQ(languageFrom(V{"zh-Hans-HK", nullptr, nullptr, "en_US.UTF-8"}), "zh_CN");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "zh_SG"}), "zh_CN");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "zh"}), "zh_CN");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "ja_JP.eucJP"}), "ja");
    EXPECT_EQ(languageFrom(V{"fr:de::ja:zh_CN", "zh_TW", nullptr, nullptr}), "ja");
    // LANGUAGE wins over every locale variable, a language we have or not.
    EXPECT_EQ(languageFrom(V{"ja", "zh_TW.UTF-8", "zh_CN", "zh_CN"}), "ja");
    EXPECT_EQ(languageFrom(V{"zh_TW:ja", nullptr, "ja_JP.UTF-8", nullptr}), "zh_TW");
    EXPECT_EQ(languageFrom(V{"fr", nullptr, nullptr, "zh_TW.UTF-8"}), "en");
    // The first locale variable that is set decides, even for a language we lack.
    EXPECT_EQ(languageFrom(V{"", "de_DE.UTF-8", "ja_JP.UTF-8", "zh_CN"}), "en");
    EXPECT_EQ(languageFrom(V{nullptr, "", "ja_JP.UTF-8", "zh_CN"}), "ja");
    EXPECT_EQ(languageFrom(V{nullptr, "C.UTF-8", nullptr, "ja_JP"}), "en");
    EXPECT_EQ(languageFrom(V{nullptr, "POSIX", nullptr, "ja_JP"}), "en");
    EXPECT_EQ(languageFrom(V{nullptr, "en_GB", nullptr, "ja_JP"}), "en");
    EXPECT_EQ(languageFrom(V{nullptr, nullptr, nullptr, "fr_FR.UTF-8"}), "en");
    // Under the C or POSIX locale, or none at all, LANGUAGE is not looked at.
    EXPECT_EQ(languageFrom(V{"ja", nullptr, nullptr, "C"}), "en");
    EXPECT_EQ(languageFrom(V{"ja", "POSIX", nullptr, "de_DE"}), "en");
    EXPECT_EQ(languageFrom(V{"ja", nullptr, nullptr, nullptr}), "en");
    // The language flag follows the same choice.
    languageFrom(V{"zh_TW", "ja_JP.UTF-8", nullptr, nullptr});
    EXPECT_EQ(localized("languageFlag"), "3");
}

TEST_F(Strings, ChoiceHoldsUntilTheNextSetLanguage) {
    EXPECT_EQ(languageFrom({nullptr, nullptr, nullptr, "ja_JP.UTF-8"}), "ja");
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(currentLanguage(), "ja");
    setLanguage("zh_HK.UTF-8");
    EXPECT_EQ(currentLanguage(), "zh_TW");
    EXPECT_EQ(localized("languageFlag"), "3");
    setLanguage("fr");  // no catalogue: the environment decides
    EXPECT_EQ(currentLanguage(), "zh_CN");
    setenv("LANG", "en_US", 1);
    setLanguage("");
    EXPECT_EQ(currentLanguage(), "en");
}

}  // namespace
}  // namespace voltaro
