// The translator over the catalogs the build made: binding by folder,
// choosing a language by code, the empty text, and the notice to windows.
#include "app/res/translator.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/res/language_table.h"

namespace appres {
namespace {

class TranslatorTest : public testing::Test {
protected:
    void TearDown() override { Translator::ResetForTest(); }
};

TEST_F(TranslatorTest, UnboundEverythingIsItsOwnTranslation) {
    EXPECT_FALSE(Translator::IsBound());
    Translator::SelectLanguage("ko_KO");
    EXPECT_EQ(Translator::Translate("Cancel"), "Cancel");
    EXPECT_EQ(Translator::Translate(std::wstring_view(L"Cancel")), L"Cancel");
    EXPECT_EQ(Translator::LoadString(65291), "Info");
    EXPECT_EQ(Translator::LoadString(1), "");  // no such string
    EXPECT_FALSE(Translator::Bind(""));
    EXPECT_FALSE(Translator::IsBound());
}

TEST_F(TranslatorTest, BoundToTheSkinFolderAndChosenByCode) {
    ASSERT_TRUE(Translator::Bind(PEMU_SKIN_DIR));
    EXPECT_EQ(Translator::CatalogFolder(), std::string(PEMU_SKIN_DIR) + "/Language/locale");
    struct Row {
        const char* code;
        const char* en;  // the catalog's own code
        const char* info;
        const wchar_t* cancel;
    } rows[] = {
        {"ko_KO", "ko_KO", "정보", L"취소"},
        {"de_DE", "de_DE", "Info", L"Abbrechen"},
        {"en_US", "en_US", "Info", L"Cancel"},
        {"en_GB", "en", "Info", L"Cancel"},  // no catalog: the English texts
        {"", "en", "Info", L"Cancel"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        Translator::SelectLanguage(r.code);
        EXPECT_EQ(Translator::LanguageCode(), r.code);
        EXPECT_EQ(Translator::Translate("en"), r.en);
        EXPECT_EQ(Translator::LoadString(65291), r.info);
        EXPECT_EQ(Translator::Translate(std::wstring_view(L"Cancel")), r.cancel);
        // The empty text is never looked up: gettext would give the header.
        EXPECT_EQ(Translator::Translate(""), "");
        EXPECT_EQ(Translator::Translate(std::wstring_view(L"")), L"");
    }
}

TEST_F(TranslatorTest, SubscribersHearEachChangeUntilTheyGo) {
    ASSERT_TRUE(Translator::Bind(PEMU_SKIN_DIR));
    Translator::SelectLanguage("en_US");
    std::vector<std::string> heard;
    auto first = Translator::OnLanguageChanged([&] { heard.push_back("first"); });
    auto second = std::make_unique<Translator::Subscription>();
    // The first listener ends the second one's subscription mid-notice.
    auto killer = Translator::OnLanguageChanged([&] {
        heard.push_back("killer");
        second.reset();
    });
    *second = Translator::OnLanguageChanged([&] { heard.push_back("second"); });

    const uint64_t generation = Translator::LanguageGeneration();
    Translator::SelectLanguage("en_US");  // no change, no notice
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(Translator::LanguageGeneration(), generation);

    Translator::SelectLanguage("ko_KO");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "killer"}));
    EXPECT_EQ(Translator::LanguageGeneration(), generation + 1);

    heard.clear();
    first.Reset();
    killer.Reset();
    Translator::SelectLanguage("fr_FR");
    EXPECT_TRUE(heard.empty());
}

TEST(LanguageTableTest, NamesCodesAndLocales) {
    struct Code {
        const char* code;
        const char* name;
    } codes[] = {
        {"ko_KO", "Korean"},  {"zh_TW", "Chinese, Tranditional"},
        {"en_US", "English"}, {"en_GB", "English"},  // not in the table
        {"", "English"},      {"ko_KR", "English"},
    };
    for (const Code& c : codes) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(LanguageNameForCode(c.code), c.name);
    }
    struct Name {
        const char* name;
        const char* code;
    } names[] = {
        {"Korean", "ko_KO"},
        {"Chinese, Tranditional", "zh_TW"},
        {"Chinese, Traditional", "en_US"},  // spelt right: not a stored name
        {"korean", "en_US"},
        {"", "en_US"},
    };
    for (const Name& n : names) {
        SCOPED_TRACE(n.name);
        EXPECT_EQ(LanguageCodeForName(n.name), n.code);
    }
    struct Locale {
        const char* locale;
        const char* code;
    } locales[] = {
        {"ko_KR.UTF-8", "ko_KO"},
        {"ja_JP.UTF-8", "ja_JA"},
        {"de_AT@euro", "de_DE"},
        {"pt_PT", "pt_BR"},
        {"pt", "pt_BR"},
        {"zh_TW.UTF-8", "zh_TW"},
        {"zh_HK", "zh_TW"},
        {"zh_CN.GB18030", "zh_CN"},
        {"zh_SG", "zh_CN"},
        {"en_GB.UTF-8", "en_US"},
        {"ru_UA", "ru_RU"},
        {"nl_NL.UTF-8", ""},
        {"C.UTF-8", ""},
        {"POSIX", ""},
        {"", ""},
    };
    for (const Locale& l : locales) {
        SCOPED_TRACE(l.locale);
        EXPECT_EQ(LanguageCodeForLocale(l.locale), l.code);
    }
}

}  // namespace
}  // namespace appres
