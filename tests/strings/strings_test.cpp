#include "platform/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/strings/embedded_catalogues.h"
#include "platform/strings/mo_catalogue.h"
#include "support/scoped_env.h"

namespace voltaro {
namespace {

using strings::MoCatalogue;
using Bytes = std::vector<unsigned char>;
using Entries = std::vector<std::pair<std::string, std::string>>;

// A .mo image as msgfmt lays it out: header, key table, text table, then the strings.
Bytes moImage(const Entries& entries) {
    Bytes image;
    const auto put = [&](std::size_t value) {
        for (int shift : {0, 8, 16, 24}) {
            image.push_back(static_cast<unsigned char>(value >> shift));
        }
    };
    std::vector<std::string> strings;  // the keys, then the texts
    for (const auto& entry : entries) strings.push_back(entry.first);
    for (const auto& entry : entries) strings.push_back(entry.second);
    const std::size_t header[] = {0x950412de, 0, entries.size(), 28, 28 + 8 * entries.size(), 0, 0};
    for (const std::size_t word : header) put(word);
    std::size_t offset = 28 + 8 * strings.size();
    for (const std::string& s : strings) {
        put(s.size());
        put(offset);
        offset += s.size() + 1;
    }
    for (const std::string& s : strings)
        image.insert(image.end(), s.c_str(), s.c_str() + s.size() + 1);
    return image;
}

void setWord(Bytes& image, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) image[at + i] = static_cast<unsigned char>(value >> 8 * i);
}

const Entries kSample = {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                         {"key", "text"},
                         {std::string("apple\0apples", 12), std::string("Apfel\0Äpfel", 12)},
                         {"untranslated", ""},
                         {"key", "later duplicate"}};

TEST(MoCatalogue, FindsTheTextsOfItsKeys) {
    const auto catalogue = MoCatalogue::parse(moImage(kSample));
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->find("key"), "text");
    EXPECT_EQ(catalogue->find("apple"), "Apfel");
    EXPECT_FALSE(catalogue->find(""));  // the header is no translation
    EXPECT_FALSE(catalogue->find("untranslated"));
    EXPECT_EQ(catalogue->entries().size(), 2u);
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

// The locale variables unset for each test, and put back afterwards.
class Strings : public ::testing::Test {
protected:
    ~Strings() override { setLanguage(""); }

    // Sets LANGUAGE, LC_ALL, LC_MESSAGES and LANG in that order; nullptr leaves one unset.
    static std::string languageFrom(std::vector<const char*> values) {
        const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        }
        setLanguage("");
        return currentLanguage();
    }

    testing::ScopedEnv languageList{"LANGUAGE", std::nullopt};
    testing::ScopedEnv lcAll{"LC_ALL", std::nullopt};
    testing::ScopedEnv lcMessages{"LC_MESSAGES", std::nullopt};
    testing::ScopedEnv lang{"LANG", std::nullopt};
};

// Checked in each catalogue itself: the lookup would hide a gap behind English.
TEST_F(Strings, EveryLanguageHasATextForEveryEnglishKey) {
    std::map<std::string, MoCatalogue> catalogues;
    for (const auto& embedded : strings::embeddedCatalogues()) {
        catalogues.emplace(embedded.language, MoCatalogue::parse(embedded.image).value());
    }
    const MoCatalogue::Entries& english = catalogues.at("en").entries();
    ASSERT_GT(english.size(), 80u);  // every text the program shows
    const std::pair<const char*, const char*> flags[] = {
        {"en", "1"}, {"zh_CN", "2"}, {"zh_TW", "3"}, {"ja", "4"}};
    for (const auto& [language, flag] : flags) {
        for (const auto& entry : english) {
            const std::string_view text = catalogues.at(language).find(entry.first).value_or("");
            EXPECT_NE(text, "") << language << " lacks " << entry.first;
        }
        setLanguage(language);
        EXPECT_EQ(currentLanguage(), language);
        EXPECT_EQ(localized("languageFlag"), flag);
    }
}

TEST_F(Strings, LanguageIsChosenAsGettextChoosesIt) {
    EXPECT_EQ(languageFrom({nullptr, nullptr, nullptr, nullptr}), "en");
    EXPECT_EQ(languageFrom({nullptr, nullptr, nullptr, "zh_HK.UTF-8"}), "zh_TW");
    EXPECT_EQ(languageFrom({"zh-Hans-HK", nullptr, nullptr, "en_US.UTF-8"}), "zh_CN");
    EXPECT_EQ(languageFrom({nullptr, nullptr, nullptr, "zh"}), "zh_CN");
    EXPECT_EQ(languageFrom({nullptr, nullptr, nullptr, "ja_JP.eucJP"}), "ja");
    EXPECT_EQ(languageFrom({"fr:de::ja:zh_CN", "zh_TW", nullptr, nullptr}), "ja");
    // LANGUAGE wins over every locale variable, a language we have or not.
    EXPECT_EQ(languageFrom({"ja", "zh_TW.UTF-8", "zh_CN", "zh_CN"}), "ja");
    EXPECT_EQ(languageFrom({"fr", nullptr, nullptr, "zh_TW.UTF-8"}), "en");
    // The first locale variable that is set decides, even for a language we lack.
    EXPECT_EQ(languageFrom({"", "de_DE.UTF-8", "ja_JP.UTF-8", "zh_CN"}), "en");
    EXPECT_EQ(languageFrom({nullptr, "", "ja_JP.UTF-8", "zh_CN"}), "ja");
    EXPECT_EQ(languageFrom({nullptr, "C.UTF-8", nullptr, "ja_JP"}), "en");
    // Under the C or POSIX locale, or none at all, LANGUAGE is not looked at.
    EXPECT_EQ(languageFrom({"ja", nullptr, nullptr, "C"}), "en");
    EXPECT_EQ(languageFrom({"ja", "POSIX", nullptr, "de_DE"}), "en");
    EXPECT_EQ(languageFrom({"ja", nullptr, nullptr, nullptr}), "en");
}

}  // namespace
}  // namespace voltaro
