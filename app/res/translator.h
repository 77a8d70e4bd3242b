// Translator: the user-interface texts in the chosen language, through
// gettext with the program's catalogs (text domain "VRX").
//
// The catalogs lie under "<skin folder>/Language/locale/<code>/LC_MESSAGES/
// VRX.mo". Bind() names that folder to gettext directly: nothing changes the
// working folder. A language is chosen by its catalog code (SelectLanguage):
// the process runs with the C.UTF-8 locale and LANGUAGE set to the code, so
// that the choice is the program's own and never depends on, or changes, the
// system's locale settings.
//
// Texts are looked up by their English text, which is also the string
// table's text. An empty text is never looked up (gettext would answer with
// the catalog's header); before Bind() every text is its own translation.
//
// Windows that show texts re-read them when the language changes: they keep
// a Subscription (OnLanguageChanged) and redraw in its callback, or compare
// LanguageGeneration() with the value of their last drawing.
//
// Not the language policy (first start, settings, the menu's choice): that
// is the sender's UiLanguage, built on this.
//
// THREADING: user-interface thread only. gettext reads LANGUAGE at every
// lookup, so a change of language must not race a lookup on another thread;
// workers hand English texts or string ids to the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace appres {

class Translator {
public:
    static constexpr const char* kDomain = "VRX";

    // Binds the text domain to "<skinFolder>/Language/locale" with UTF-8
    // output and switches the process to the C.UTF-8 locale. False (and
    // nothing bound) when the folder is empty or gettext refuses it.
    static bool Bind(const std::string& skinFolder);
    static bool IsBound();
    // The catalog folder that Bind() named; empty before.
    static std::string CatalogFolder();

    // Selects the catalog of `code` ("ko_KO"; empty: the English texts) and
    // notifies the subscribers. Choosing the language in force again
    // notifies nobody.
    static void SelectLanguage(const std::string& code);
    static std::string LanguageCode();
    // Counts the language changes; a window compares it with the value it
    // last drew with.
    static uint64_t LanguageGeneration();

    // The translation of `text`; `text` itself when it is empty, when
    // nothing is bound, or when the catalog has no entry.
    static std::string Translate(std::string_view text);
    static std::wstring Translate(std::wstring_view text);
    // The string table's text `id`, translated; empty for an unknown id.
    static std::string LoadString(uint32_t id);
    static std::wstring LoadStringW(uint32_t id);

    // Calls `listener` after every change of language until the returned
    // object is destroyed (or reset). A listener removed during a
    // notification is not called afterwards.
    class Subscription {
    public:
        Subscription() = default;
        ~Subscription() { Reset(); }
        Subscription(Subscription&& other) noexcept : m_id(other.m_id) { other.m_id = 0; }
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        void Reset();

    private:
        friend class Translator;
        explicit Subscription(uint64_t id) : m_id(id) {}
        uint64_t m_id = 0;
    };
    [[nodiscard]] static Subscription OnLanguageChanged(std::function<void()> listener);

    // Unbinds, forgets the language and drops every listener (tests).
    static void ResetForTest();
};

}  // namespace appres
