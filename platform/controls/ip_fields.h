// The four number fields of an IPv4 address entry and what typing does to
// them, without a window.
//
// Each field holds up to three digits. Typing a digit into a full field at
// its end goes on in the next field; the third digit of a field moves on by
// itself, and so does '.' typed after digits (in an empty field it does
// nothing, so that "192.168" typed whole fills two fields). A number above 255 becomes 255 (and
// rings the bell). Backspace at the start of a field crosses back to the end of the previous one;
// Left and Right cross fields at their edges. Entering a field by typing or crossing selects it
// whole, so that typing replaces it. A field left behind shows its number without leading zeros.
// Anything else typed is refused (the bell).
//
// The address: four bytes, the first field the most significant. Empty
// fields count as 0; a blank entry (all empty) reads 0.0.0.0.
// Plain value, any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace platform {

class IpFields {
public:
    static constexpr int kFields = 4;

    // What a keystroke did: changed a field, and/or refused input or
    // clamped a number (the entry then rings the bell).
    struct Result {
        bool changed = false;
        bool bell = false;
    };

    Result Type(char32_t c);
    Result Backspace();
    Result Delete();
    void Left();
    void Right();
    void Home();
    void End();
    // Puts the caret into field `index` (at its end, the field not selected).
    void Focus(int index);

    void SetAddress(uint32_t address);
    uint32_t Address() const;
    // Every field empty.
    void Clear();
    bool IsBlank() const;
    // "a.b.c.d", empty fields as 0.
    std::string Text() const;

    const std::string& Field(int index) const { return m_fields[static_cast<size_t>(index)]; }
    int Current() const { return m_current; }
    size_t Caret() const { return m_caret; }
    bool Selected() const { return m_selected; }

private:
    // Moves into field `index`, selecting it whole.
    void Enter(int index);
    void Normalise(int index);
    void Leave(int to, size_t caret);
    // A field selected whole is emptied by the first key that edits it;
    // true when it was.
    bool DropSelectedField();

    std::array<std::string, kFields> m_fields;
    int m_current = 0;
    size_t m_caret = 0;
    bool m_selected = false;
};

}  // namespace platform
