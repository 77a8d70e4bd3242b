#include "platform/controls/ip_fields.h"

#include <algorithm>

namespace platform {
namespace {

constexpr size_t kDigits = 3;

int Value(const std::string& field) {
    return field.empty() ? 0 : std::stoi(field);
}

}  // namespace

void IpFields::Normalise(int index) {
    std::string& f = m_fields[static_cast<size_t>(index)];
    if (!f.empty()) {
        f = std::to_string(Value(f));
    }
}

void IpFields::Leave(int to, size_t caret) {
    if (to != m_current) {
        Normalise(m_current);
    }
    m_current = to;
    m_caret = std::min(caret, m_fields[static_cast<size_t>(to)].size());
    m_selected = false;
}

void IpFields::Enter(int index) {
    Leave(index, m_fields[static_cast<size_t>(index)].size());
    m_selected = !m_fields[static_cast<size_t>(index)].empty();
}

void IpFields::Focus(int index) {
    if (index >= 0 && index < kFields) {
        Leave(index, m_fields[static_cast<size_t>(index)].size());
    }
}

bool IpFields::DropSelectedField() {
    if (!m_selected) {
        return false;
    }
    m_fields[static_cast<size_t>(m_current)].clear();
    m_caret = 0;
    m_selected = false;
    return true;
}

IpFields::Result IpFields::Type(char32_t c) {
    if (c == U'.') {
        // In an empty field (the one three digits just moved to) a dot
        // means nothing: typing "192.168" must not skip a field.
        if (m_fields[static_cast<size_t>(m_current)].empty()) {
            return {};
        }
        if (m_current + 1 >= kFields) {
            return {false, true};
        }
        Enter(m_current + 1);
        return {};
    }
    if (c < U'0' || c > U'9') {
        return {false, true};
    }
    DropSelectedField();
    std::string* f = &m_fields[static_cast<size_t>(m_current)];
    if (f->size() >= kDigits) {
        if (m_caret < f->size() || m_current + 1 >= kFields) {
            return {false, true};
        }
        Enter(m_current + 1);  // a full field: the digit starts the next one
        f = &m_fields[static_cast<size_t>(m_current)];
        f->clear();
        m_caret = 0;
        m_selected = false;
    }
    f->insert(m_caret, 1, static_cast<char>(c));
    ++m_caret;
    Result result{true, false};
    if (Value(*f) > 255) {
        *f = "255";
        m_caret = f->size();
        result.bell = true;
    }
    if (f->size() == kDigits && m_caret == kDigits && m_current + 1 < kFields) {
        Enter(m_current + 1);
    }
    return result;
}

IpFields::Result IpFields::Backspace() {
    if (DropSelectedField()) {
        return {true, false};
    }
    std::string& f = m_fields[static_cast<size_t>(m_current)];
    if (m_caret > 0) {
        f.erase(m_caret - 1, 1);
        --m_caret;
        return {true, false};
    }
    if (m_current > 0) {
        Leave(m_current - 1, kDigits);
    }
    return {};
}

IpFields::Result IpFields::Delete() {
    if (DropSelectedField()) {
        return {true, false};
    }
    std::string& f = m_fields[static_cast<size_t>(m_current)];
    if (m_caret < f.size()) {
        f.erase(m_caret, 1);
        return {true, false};
    }
    return {};
}

void IpFields::Left() {
    if (m_selected) {
        Leave(m_current, 0);
    } else if (m_caret > 0) {
        --m_caret;
    } else if (m_current > 0) {
        Leave(m_current - 1, kDigits);
    }
}

void IpFields::Right() {
    size_t size = m_fields[static_cast<size_t>(m_current)].size();
    if (m_selected) {
        Leave(m_current, size);
    } else if (m_caret < size) {
        ++m_caret;
    } else if (m_current + 1 < kFields) {
        Leave(m_current + 1, 0);
    }
}

void IpFields::Home() {
    Leave(0, 0);
}

void IpFields::End() {
    Leave(kFields - 1, kDigits);
}

void IpFields::SetAddress(uint32_t address) {
    for (int i = 0; i < kFields; ++i) {
        m_fields[static_cast<size_t>(i)] = std::to_string((address >> (24 - 8 * i)) & 0xFF);
    }
    m_current = 0;
    m_caret = 0;
    m_selected = false;
}

uint32_t IpFields::Address() const {
    uint32_t address = 0;
    for (const std::string& f : m_fields) {
        address = (address << 8) | static_cast<uint32_t>(Value(f));
    }
    return address;
}

void IpFields::Clear() {
    for (std::string& f : m_fields) {
        f.clear();
    }
    m_current = 0;
    m_caret = 0;
    m_selected = false;
}

bool IpFields::IsBlank() const {
    for (const std::string& f : m_fields) {
        if (!f.empty()) {
            return false;
        }
    }
    return true;
}

std::string IpFields::Text() const {
    std::string text;
    for (int i = 0; i < kFields; ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(Value(m_fields[static_cast<size_t>(i)]));
    }
    return text;
}

}  // namespace platform
