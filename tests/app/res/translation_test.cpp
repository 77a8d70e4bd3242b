// Translation through the real gettext of the C library, with the catalogs
// the build compiled into the skin folder.
#include <gtest/gtest.h>
#include <libintl.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/res/pseudo_translation.h"
#include "app/res/resource_text_file.h"
#include "app/res/string_table.h"

extern "C" int _nl_msg_cat_cntr;

namespace appres {
namespace {

constexpr char kDomain[] = "VRX";
const char* const kLanguageCodes[] = {"zh_TW", "zh_CN", "pt_BR", "ko_KO", "ja_JA", "es_ES",
                                      "de_DE", "fr_FR", "it_IT", "ru_RU", "en_US"};

std::string ReadSource(const std::string& name) {
    std::string text;
    std::string reason;
    EXPECT_TRUE(ResourceTextFile::ReadFile(PEMU_RES_SOURCE_DIR "/" + name, &text, &reason))
        << reason;
    return text;
}

// Every text the catalogs may translate: the string table and the captions.
std::set<std::string> KnownTexts() {
    std::set<std::string> known;
    for (const StringTable::Entry& e : StringTable::Entries()) {
        known.insert(e.text);
    }
    std::vector<std::string> captions;
    std::string reason;
    EXPECT_TRUE(ResourceTextFile::ParseTextList(ReadSource("captions.txt"), &captions, &reason))
        << reason;
    known.insert(captions.begin(), captions.end());
    return known;
}

// Binds the domain as the program does (catalogs under the skin folder's
// Language/locale, UTF-8) and picks the catalog with LANGUAGE, which gettext
// honours once the messages locale is not plain "C".
class TranslationTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("LANGUAGE")) {
            m_oldLanguage = old;
            m_hadLanguage = true;
        }
        ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
        ASSERT_NE(bindtextdomain(kDomain, PEMU_SKIN_DIR "/Language/locale"), nullptr);
        ASSERT_NE(bind_textdomain_codeset(kDomain, "UTF-8"), nullptr);
        ASSERT_NE(textdomain(kDomain), nullptr);
    }
    void TearDown() override {
        if (m_hadLanguage) {
            setenv("LANGUAGE", m_oldLanguage.c_str(), 1);
        } else {
            unsetenv("LANGUAGE");
        }
        std::setlocale(LC_ALL, "C");
    }

    static std::string Translate(const char* language, const std::string& text) {
        setenv("LANGUAGE", language, 1);
        // gettext keeps the translations it found; this counter, as the
        // gettext manual says, tells it that the language changed.
        ++_nl_msg_cat_cntr;
        return dgettext(kDomain, text.c_str());
    }

private:
    std::string m_oldLanguage;
    bool m_hadLanguage = false;
};

TEST_F(TranslationTest, PseudoLocaleTranslatesEveryText) {
    const std::set<std::string> known = KnownTexts();
    ASSERT_GT(known.size(), 150u);
    for (const std::string& text : known) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Translate(kPseudoLocale, text), PseudoTranslate(text));
    }
    // A text the catalogs do not know comes back as it is.
    EXPECT_EQ(Translate(kPseudoLocale, "No such text"), "No such text");
}

TEST_F(TranslationTest, StringTableTextRoundTripsThroughThePseudoLocale) {
    const std::string english(StringTable::Find(65260));
    ASSERT_EQ(english, "%s Key:");
    const std::string pseudo = Translate(kPseudoLocale, english);
    EXPECT_EQ(pseudo, "⟦%s Kéy:⟧");
    char formatted[64];
    std::snprintf(formatted, sizeof formatted, pseudo.c_str(), "WPA2");
    EXPECT_STREQ(formatted, "⟦WPA2 Kéy:⟧");
}

// Each language catalog names its own code for the text "en" (the first-start
// language choice reads it) and translates what it has.
TEST_F(TranslationTest, EachLanguageCatalogNamesItsCode) {
    struct Row {
        const char* code;
        const char* cancel;
    };
    const Row rows[] = {
        {"zh_TW", "取消"},      {"zh_CN", "取消"},       {"pt_BR", "Cancelar"},
        {"ko_KO", "취소"},      {"ja_JA", "キャンセル"}, {"es_ES", "Cancelar"},
        {"de_DE", "Abbrechen"}, {"fr_FR", "Annuler"},    {"it_IT", "Annulla"},
        {"ru_RU", "Отмена"},    {"en_US", "Cancel"},
    };
    ASSERT_EQ(std::size(rows), std::size(kLanguageCodes));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(Translate(row.code, "en"), row.code);
        EXPECT_EQ(Translate(row.code, "Cancel"), row.cancel);
        // Texts without a translation stay English.
        EXPECT_EQ(Translate(row.code, "Auto Reconnecting"), "Auto Reconnecting");
    }
}

// A catalog entry whose message id is no text of the program would never be
// used: every id in the language sources is a known text (or "en").
TEST(CatalogSourceTest, TranslatesOnlyTextsOfTheProgram) {
    const std::set<std::string> known = KnownTexts();
    for (const char* code : kLanguageCodes) {
        SCOPED_TRACE(code);
        const std::string po = ReadSource(std::string("po/") + code + ".po");
        ASSERT_FALSE(po.empty());
        size_t pos = 0;
        int ids = 0;
        while ((pos = po.find("\nmsgid \"", pos)) != std::string::npos) {
            pos += 8;
            const size_t end = po.find("\"\n", pos);
            ASSERT_NE(end, std::string::npos);
            const std::string id = po.substr(pos, end - pos);
            if (!id.empty() && id != "en") {
                EXPECT_TRUE(known.count(id)) << "unknown message id \"" << id << "\"";
            }
            ++ids;
        }
        EXPECT_GE(ids, 2);
    }
}

TEST(PseudoTranslationTest, KeepsFormatsAndLineBreaks) {
    struct Row {
        const char* english;
        const char* pseudo;
    };
    const Row rows[] = {
        {"Info", "⟦Ínfó⟧"},
        {"%s Key:", "⟦%s Kéy:⟧"},
        {"changed to %dx%d in", "⟦chángéd tó %dx%d ín⟧"},
        {"100%% done\nnext", "⟦100%% dóné\nnéxt⟧"},
        {"%-4i units", "⟦%-4i úníts⟧"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.english);
        EXPECT_EQ(PseudoTranslate(row.english), row.pseudo);
    }
}

}  // namespace
}  // namespace appres
