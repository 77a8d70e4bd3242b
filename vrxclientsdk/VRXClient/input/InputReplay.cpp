#include "vrxclientsdk/VRXClient/input/InputReplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/byte_order.h"
#include "vrxclientsdk/VRXClient/input/KeyCodeTable.h"

using platform::DisplayRect;
using platform::KeyInput;
using platform::MouseInput;

namespace {

// Keyboard record: time (8 bytes), type u16 at 8, code u16 at 10, value i32
// at 12, little-endian.
constexpr size_t kKeyRecordSize = 16;
constexpr uint16_t kTypeKey = 1;
// Mouse record: buttons, dx, dy (upward positive), wheel.
constexpr size_t kMouseRecordSize = 4;
constexpr uint8_t kButtonLeft = 0x01;
constexpr uint8_t kButtonRight = 0x02;
constexpr uint8_t kButtonMiddle = 0x04;
constexpr uint8_t kButtonValid = 0x08;  // set on every valid record
// Text record: a 16-byte header, the count of code units in its first u16.
constexpr size_t kTextHeaderSize = 16;
// One wheel notch.
constexpr int kWheelDelta = 120;
// A wheel step count is a signed 4-bit value: at most 8 notches a record.
constexpr int kMinWheelSteps = -8;
constexpr int kMaxWheelSteps = 7;

uint16_t U16LE(const std::string& r, size_t at) {
    return platform::GetU16LE(r.data() + at);
}

int32_t I32LE(const std::string& r, size_t at) {
    return static_cast<int32_t>(platform::GetU32LE(r.data() + at));
}

// The receiver's coordinates are rounded by adding one half and truncating
// toward zero (not by flooring): the two differ only for negative sums.
int RoundHalfUpTruncate(int64_t sum) {
    return static_cast<int>(std::trunc(static_cast<double>(sum) + 0.5));
}

}  // namespace

InputReplay::InputReplay(std::shared_ptr<platform::InputInjector> injector)
    : m_Injector(std::move(injector)) {}

std::shared_ptr<InputReplay> InputReplay::Shared() {
    static const std::shared_ptr<InputReplay> shared =
        std::make_shared<InputReplay>(platform::InputInjector::Create());
    return shared;
}

bool InputReplay::MapToAbsolute(const DisplayRect& reference, const DisplayRect& target, int a,
                                int b, int* x, int* y) {
    if (reference.width <= 0 || reference.height <= 0) {
        return false;
    }
    // 64-bit: a display offset of 32768 pixels times 65536 no longer fits 32
    // bits; each division still truncates as the 32-bit one would.
    const int64_t sx = (int64_t{target.x - reference.x} * 65536) / reference.width +
                       (int64_t{target.width} * a) / reference.width;
    const int64_t sy = (int64_t{target.y - reference.y} * 65536) / reference.height +
                       (int64_t{target.height} * b) / reference.height;
    *x = RoundHalfUpTruncate(sx);
    *y = RoundHalfUpTruncate(sy);
    return true;
}

int InputReplay::WheelData(uint8_t wheel) {
    int steps;
    if (wheel <= 15) {
        // The low nibble as the receiver sends it: a signed 4-bit count.
        steps = wheel < 8 ? wheel : wheel - 16;
    } else {
        // A wider value is read as a signed byte and clamped to the counts
        // a nibble can carry.
        steps = std::clamp<int>(static_cast<int8_t>(wheel), kMinWheelSteps, kMaxWheelSteps);
    }
    // One notch is 120; the receiver's sign is the reverse of ours.
    return -kWheelDelta * steps;
}

DisplayRect InputReplay::ComputeDesktopBounds() {
    int left = 0, top = 0, right = 0, bottom = 0;
    DisplayRect d;
    for (int index = 1; m_Injector->GetDesktopConfig(index, &d); ++index) {
        left = std::min(left, d.x);
        top = std::min(top, d.y);
        right = std::max(right, d.x + d.width - 1);
        bottom = std::max(bottom, d.y + d.height - 1);
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

void InputReplay::SelectInputDisplay(int screen) {
    if (!m_Injector) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_Lock);
    m_PreviousButtons = 0;
    DisplayRect display;
    if (screen > 0 && m_Injector->GetDesktopConfig(screen, &display) && display.width != 0 &&
        display.height != 0) {
        m_DisplayRect = display;
        m_DesktopBounds = ComputeDesktopBounds();
        m_SelectedDisplay = screen;
        return;
    }
    // No such display: the primary desktop.
    DisplayRect primary;
    m_Injector->GetDesktopConfig(0, &primary);
    m_DisplayRect = {0, 0, primary.width, primary.height};
    m_SelectedDisplay = -1;
}

void InputReplay::SetViewport(const DisplayRect& viewport) {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Viewport = viewport;
}

void InputReplay::SendMouseMoveAbsolute(uint16_t x, uint16_t y) {
    if (!m_Injector) {
        return;
    }
    MouseInput input;
    {
        std::lock_guard<std::mutex> guard(m_Lock);
        const bool viewport = m_Viewport.x >= 0;
        if (m_SelectedDisplay < 0) {
            input.flags = platform::kMouseMove | platform::kMouseAbsolute;
            input.dx = x;
            input.dy = y;
            if (viewport && m_DisplayRect.width <= 0) {
                // No projection start chose a display yet: the primary one.
                DisplayRect primary;
                m_Injector->GetDesktopConfig(0, &primary);
                m_DisplayRect = {0, 0, primary.width, primary.height};
            }
            if (viewport && !MapToAbsolute(m_DisplayRect, m_Viewport, x, y, &input.dx, &input.dy)) {
                return;
            }
        } else {
            input.flags =
                platform::kMouseMove | platform::kMouseAbsolute | platform::kMouseVirtualDesk;
            DisplayRect target = m_DisplayRect;
            if (viewport) {
                target = {m_DisplayRect.x + m_Viewport.x, m_DisplayRect.y + m_Viewport.y,
                          m_Viewport.width, m_Viewport.height};
            }
            if (!MapToAbsolute(m_DesktopBounds, target, x, y, &input.dx, &input.dy)) {
                return;
            }
        }
    }
    m_Injector->SendMouse(input);
}

bool InputReplay::ParseKeyRecord(const std::string& record, KeyRecord* out) {
    if (record.size() < kKeyRecordSize) {
        return false;
    }
    out->timeZero = I32LE(record, 0) == 0 && I32LE(record, 4) == 0;
    out->type = U16LE(record, 8);
    out->code = U16LE(record, 10);
    out->value = I32LE(record, 12);
    return true;
}

void InputReplay::InjectKeyEvent(const std::string& record) {
    KeyRecord key;
    if (!m_Injector || !ParseKeyRecord(record, &key) || key.type != kTypeKey) {
        return;
    }
    const uint16_t code = key.code;
    const int32_t value = key.value;
    const uint16_t e = code < keycodes::kTableSize ? keycodes::kKeyCodeTable[code] : code;
    KeyInput input;
    input.scan = e;
    if (e >= keycodes::kVirtualKey) {
        input.virtualKey = e & 0xFF;
    } else if (e >= keycodes::kExtendedScan) {
        input.scan = e & 0xFF;
        input.flags = platform::kKeyScanCode | platform::kKeyExtended;
    } else {
        input.flags = platform::kKeyScanCode;
    }
    // Any value but 0 presses: an auto-repeat (2) presses again.
    if (value == 0) {
        input.flags |= platform::kKeyUp;
    }
    m_Injector->SendKey(input);
}

void InputReplay::InjectMouseEvent(const std::string& record) {
    if (!m_Injector || record.size() < kMouseRecordSize) {
        return;
    }
    const uint8_t buttons = static_cast<uint8_t>(record[0]);
    if (!(buttons & kButtonValid)) {
        return;
    }
    MouseInput input;
    input.dx = static_cast<int8_t>(record[1]);
    input.dy = -static_cast<int8_t>(record[2]);
    input.flags = platform::kMouseMove;
    std::lock_guard<std::mutex> guard(m_Lock);
    const uint8_t changed = buttons ^ m_PreviousButtons;
    const struct {
        uint8_t bit;
        uint32_t down, up;
    } map[] = {{kButtonLeft, platform::kMouseLeftDown, platform::kMouseLeftUp},
               {kButtonRight, platform::kMouseRightDown, platform::kMouseRightUp},
               {kButtonMiddle, platform::kMouseMiddleDown, platform::kMouseMiddleUp}};
    for (const auto& m : map) {
        if (changed & m.bit) {
            input.flags |= (buttons & m.bit) ? m.down : m.up;
        }
    }
    if (const uint8_t wheel = static_cast<uint8_t>(record[3]); wheel != 0) {
        input.flags |= platform::kMouseWheel;
        input.wheel = WheelData(wheel);
    }
    m_Injector->SendMouse(input);
    m_PreviousButtons = buttons;
}

void InputReplay::SendUnicodeString(const std::string& record) {
    if (!m_Injector || record.size() < kTextHeaderSize) {
        return;
    }
    uint16_t count = 0;
    std::memcpy(&count, record.data(), sizeof count);  // host order
    // The count is the receiver's word; the code units are what arrived.
    const size_t units = std::min<size_t>(count, (record.size() - kTextHeaderSize) / 2);
    for (size_t i = 0; i < units; ++i) {
        char32_t c = U16LE(record, kTextHeaderSize + 2 * i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            const char32_t low = U16LE(record, kTextHeaderSize + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        // A surrogate left alone is no character; the injector drops it.
        m_Injector->TypeCharacter(c);
    }
}

void InputReplay::StartTouch(int screen) {
    if (m_Injector) {
        m_Injector->StartTouch(screen);
    }
}

void InputReplay::SetFingerInfo(int id, int x, int y, int state) {
    if (m_Injector) {
        m_Injector->SetFingerInfo(static_cast<uint8_t>(id), static_cast<uint16_t>(x),
                                  static_cast<uint16_t>(y), static_cast<uint8_t>(state));
    }
}

void InputReplay::StopTouch() {
    if (m_Injector) {
        m_Injector->StopTouch();
    }
}

bool InputReplay::ReadLockKeys(platform::LockKeyStates* states) {
    return m_Injector && m_Injector->GetLockKeyStates(states);
}
