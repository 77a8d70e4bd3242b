#include "app/res/translator.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "app/res/string_table.h"
#include "platform/wide_text.h"

// gettext keeps the translations it found; this counter of the C library, as
// the gettext manual says, tells it that the language has changed.
extern "C" int _nl_msg_cat_cntr;

namespace appres {
namespace {

struct State {
    std::mutex lock;  // guards the listeners; the rest is UI-thread state
    bool bound = false;
    std::string folder;
    std::string code;
    uint64_t generation = 0;
    uint64_t nextId = 1;
    std::map<uint64_t, std::function<void()>> listeners;
};

State& Shared() {
    static State state;
    return state;
}

}  // namespace

bool Translator::Bind(const std::string& skinFolder) {
    State& s = Shared();
    if (skinFolder.empty()) {
        return false;
    }
    const std::string folder = skinFolder + "/Language/locale";
    // LANGUAGE is honoured only when the messages locale is not plain "C".
    if (!std::setlocale(LC_ALL, "C.UTF-8")) {
        return false;
    }
    if (!bindtextdomain(kDomain, folder.c_str()) || !bind_textdomain_codeset(kDomain, "UTF-8") ||
        !textdomain(kDomain)) {
        return false;
    }
    s.bound = true;
    s.folder = folder;
    return true;
}

bool Translator::IsBound() {
    return Shared().bound;
}

std::string Translator::CatalogFolder() {
    return Shared().folder;
}

void Translator::SelectLanguage(const std::string& code) {
    State& s = Shared();
    if (code == s.code && s.generation != 0) {
        return;
    }
    s.code = code;
    if (code.empty()) {
        ::unsetenv("LANGUAGE");
    } else {
        ::setenv("LANGUAGE", code.c_str(), 1);
    }
    ++_nl_msg_cat_cntr;
    ++s.generation;
    std::vector<uint64_t> ids;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        for (const auto& [id, listener] : s.listeners) {
            ids.push_back(id);
        }
    }
    for (uint64_t id : ids) {
        std::function<void()> listener;
        {
            std::lock_guard<std::mutex> guard(s.lock);
            auto it = s.listeners.find(id);
            if (it == s.listeners.end()) {
                continue;  // removed by an earlier listener
            }
            listener = it->second;
        }
        listener();
    }
}

std::string Translator::LanguageCode() {
    return Shared().code;
}

uint64_t Translator::LanguageGeneration() {
    return Shared().generation;
}

std::string Translator::Translate(std::string_view text) {
    if (text.empty() || !Shared().bound) {
        return std::string(text);
    }
    const std::string key(text);
    return dgettext(kDomain, key.c_str());
}

std::wstring Translator::Translate(std::wstring_view text) {
    if (text.empty() || !Shared().bound) {
        return std::wstring(text);
    }
    return platform::Utf8ToWide(Translate(platform::WideToUtf8(text)));
}

std::string Translator::LoadString(uint32_t id) {
    return Translate(StringTable::Find(id));
}

std::wstring Translator::LoadStringW(uint32_t id) {
    return platform::Utf8ToWide(LoadString(id));
}

Translator::Subscription& Translator::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Reset();
        m_id = other.m_id;
        other.m_id = 0;
    }
    return *this;
}

void Translator::Subscription::Reset() {
    if (m_id != 0) {
        State& s = Shared();
        std::lock_guard<std::mutex> guard(s.lock);
        s.listeners.erase(m_id);
        m_id = 0;
    }
}

Translator::Subscription Translator::OnLanguageChanged(std::function<void()> listener) {
    State& s = Shared();
    std::lock_guard<std::mutex> guard(s.lock);
    const uint64_t id = s.nextId++;
    s.listeners.emplace(id, std::move(listener));
    return Subscription(id);
}

void Translator::ResetForTest() {
    State& s = Shared();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.listeners.clear();
    }
    s.bound = false;
    s.folder.clear();
    s.code.clear();
    s.generation = 0;
    ::unsetenv("LANGUAGE");
    ++_nl_msg_cat_cntr;
}

}  // namespace appres
