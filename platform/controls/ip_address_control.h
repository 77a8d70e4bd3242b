// An IPv4 address entry: IpAddressControl.
//
// One control (not four child windows) with four number fields separated
// by dots; typing follows IpFields (digits only, moving on after three
// digits or '.', above 255 becomes 255, Backspace crossing back). A click
// puts the caret into the field under it. The address is four bytes, the
// first field the most significant; Clear empties every field (the entry
// then reads 0.0.0.0 and IsBlank holds). A disabled entry is grey and
// takes no input.
//
// A dialog may derive from it to add its own handling of a click (calling
// IpAddressControl::OnMessage for the default).
//
// Colours: text, text background and fill from the dialog; white by default.
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>

#include "platform/controls/control.h"
#include "platform/controls/ip_fields.h"

namespace platform {

class IpAddressControl : public Control {
public:
    IpAddressControl() : Control(ControlKind::kIpAddress) {}

    void SetAddress(uint32_t address);
    uint32_t Address() const { return m_fields.Address(); }
    void Clear();
    bool IsBlank() const { return m_fields.IsBlank(); }
    // "a.b.c.d", empty fields as 0.
    std::string Text() const override { return m_fields.Text(); }
    const IpFields& Fields() const { return m_fields; }

    void SetBorder(bool border);

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;

private:
    void Apply(const IpFields::Result& result);
    // The field boxes inside `inner`.
    Rect FieldBox(const Rect& inner, int index) const;

    IpFields m_fields;
    bool m_border = true;
};

}  // namespace platform
