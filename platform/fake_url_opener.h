// A UrlOpener for tests: records every target it is asked to open, and can
// be told to fail as a desktop without an opener would. It applies the same
// argument check as the real opener, so a refused target is not recorded.
#pragma once

#include <string>
#include <vector>

#include "platform/url_opener.h"

namespace platform {

class FakeUrlOpener final : public UrlOpener {
public:
    bool Open(const std::string& target) override {
        if (!m_works || !IsSafeOpenerArgument(target)) {
            return false;
        }
        m_opened.push_back(target);
        return true;
    }

    // False: every Open fails, as when the opener cannot be started.
    void SetWorks(bool works) { m_works = works; }
    const std::vector<std::string>& Opened() const { return m_opened; }

private:
    std::vector<std::string> m_opened;
    bool m_works = true;
};

}  // namespace platform
