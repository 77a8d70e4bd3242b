// The interface language: LANG in the registry file, the first-start choice
// from the user's locale and the catalog's "en" answer, and the menu's
// choice taking effect at once.
#include "app/settings/ui_language.h"

#include <gtest/gtest.h>

#include "app/res/translator.h"
#include "app/settings/registry_store.h"
#include "app/settings/settings_file.h"
#include "tests/support/TempDir.h"

namespace pemuapp {
namespace {

class UiLanguageTest : public testing::Test {
protected:
    void SetUp() override {
        paths = SenderPaths::Under(dir.File("config"), dir.File("data"));
        registry = std::make_unique<RegistryStore>(paths.registryFile);
        settings = std::make_unique<SettingsFile>(paths, nullptr);
    }
    void TearDown() override { appres::Translator::ResetForTest(); }

    std::optional<std::string> Lang() { return registry->GetValue(kEnvironmentKey, "LANG"); }

    testsupport::TempDir dir;
    SenderPaths paths;
    std::unique_ptr<RegistryStore> registry;
    std::unique_ptr<SettingsFile> settings;
};

TEST_F(UiLanguageTest, LangFromTheRegistryFile) {
    UiLanguage language(registry.get(), settings.get(), nullptr);
    language.SetName("German");
    EXPECT_FALSE(language.ReadLanguageFromEnvironment());  // none kept yet
    EXPECT_EQ(language.Name(), "German");
    struct Row {
        const char* lang;
        const char* name;
    } rows[] = {{"ko_KO", "Korean"},
                {"en_GB", "English"},
                {"", "English"},
                {"zh_TW", "Chinese, Tranditional"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.lang);
        ASSERT_TRUE(registry->SetValue(kEnvironmentKey, "LANG", r.lang));
        EXPECT_TRUE(language.ReadLanguageFromEnvironment());
        EXPECT_EQ(language.Name(), r.name);
    }
    // Key paths and value names ignore case, as the registry's do.
    ASSERT_TRUE(registry->SetValue("HKEY_CURRENT_USER\\SOFTWARE\\KIRSO", "HaveMixer", "true"));
    EXPECT_EQ(registry->GetValue("hkey_current_user\\software\\kirso", "havemixer"), "true");
}

TEST_F(UiLanguageTest, FirstStartTakesTheLocaleWhenItsCatalogAnswers) {
    struct Row {
        bool bound;
        const char* locale;
        const char* name;
        const char* lang;
    } rows[] = {
        {true, "ko_KR.UTF-8", "Korean", "ko_KO"},
        {true, "de_CH.UTF-8", "German", "de_DE"},
        {true, "nl_NL.UTF-8", "English", "en_US"},  // no such catalog
        {true, "C.UTF-8", "English", "en_US"},
        {false, "ko_KR.UTF-8", "English", "en_US"},  // nothing bound: "en" stays "en"
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.locale) + (r.bound ? " bound" : " unbound"));
        appres::Translator::ResetForTest();
        if (r.bound) {
            ASSERT_TRUE(appres::Translator::Bind(PEMU_SKIN_DIR));
        }
        UiLanguage language(registry.get(), settings.get(), nullptr);
        EXPECT_EQ(language.SelectLanguage(r.locale), r.name);
        EXPECT_EQ(language.Name(), r.name);
        EXPECT_EQ(settings->ReadSetting("LanguageID"), r.name);
        EXPECT_EQ(Lang(), r.lang);
        EXPECT_EQ(appres::Translator::LanguageCode(), r.lang);
    }
}

TEST_F(UiLanguageTest, TheMenusChoiceSwitchesTheCatalogAtOnce) {
    ASSERT_TRUE(appres::Translator::Bind(PEMU_SKIN_DIR));
    UiLanguage language(registry.get(), settings.get(), nullptr);
    language.Activate();
    int notices = 0;
    auto subscription = appres::Translator::OnLanguageChanged([&] { ++notices; });
    language.ApplyLanguageName("Korean");
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(appres::Translator::Translate("Cancel"), "취소");
    EXPECT_EQ(Lang(), "ko_KO");
    // The correct spelling is no stored name: English.
    language.ApplyLanguageName("Chinese, Traditional");
    EXPECT_EQ(Lang(), "en_US");
    EXPECT_EQ(appres::Translator::Translate("Cancel"), "Cancel");
    EXPECT_EQ(notices, 2);
}

TEST(UserLocaleNameTest, LcAllThenLcMessagesThenLang) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(names[i]);
        had[i] = v != nullptr;
        saved[i] = v ? v : "";
    }
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::setenv("LC_MESSAGES", "", 1);
    ::unsetenv("LC_ALL");
    EXPECT_EQ(UserLocaleName(), "de_DE.UTF-8");
    ::setenv("LC_MESSAGES", "ko_KR.UTF-8", 1);
    EXPECT_EQ(UserLocaleName(), "ko_KR.UTF-8");
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    EXPECT_EQ(UserLocaleName(), "ja_JP.UTF-8");
    for (int i = 0; i < 3; ++i) {
        if (had[i]) {
            ::setenv(names[i], saved[i].c_str(), 1);
        } else {
            ::unsetenv(names[i]);
        }
    }
}

}  // namespace
}  // namespace pemuapp
