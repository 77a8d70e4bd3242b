// InputReplay: turns the input records a receiver sends back (keys, relative
// mouse, absolute positions, typed text, touch) into events of the local
// desktop through a platform::InputInjector.
//
// It keeps the replay's display state: the display the absolute positions
// refer to (chosen at each projection start), the desktop bounds, the
// optional viewport and the previous mouse-button byte. The product shares
// one instance across all client objects (Shared()); tests make their own
// over a FakeInputInjector. It knows nothing of the command channel.
//
// THREADING: records arrive on the command channel's dispatcher thread,
// display selection and the viewport on the caller's; a lock guards the
// state. The injector serialises its own calls.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/input/input_injector.h"

class InputReplay {
public:
    // The fields of a keyboard record.
    struct KeyRecord {
        bool timeZero = false;  // both time fields are 0
        uint16_t type = 0;      // 1 key, 3 absolute axis, 0x11 lock-key state
        uint16_t code = 0;
        int32_t value = 0;
    };
    // False when the record is shorter than its 16 bytes.
    static bool ParseKeyRecord(const std::string& record, KeyRecord* out);

    // `injector` may be null: then nothing is replayed.
    explicit InputReplay(std::shared_ptr<platform::InputInjector> injector);

    // The process's replay over the X display named by DISPLAY (made at the
    // first call).
    static std::shared_ptr<InputReplay> Shared();

    bool CanInject() const { return m_Injector != nullptr; }

    // At each projection start: the display of capture screen `screen`
    // (0: the primary desktop) becomes the target of absolute positions.
    void SelectInputDisplay(int screen);
    // The part of the display that the positions span; x < 0: none.
    void SetViewport(const platform::DisplayRect& viewport);

    // An absolute position, 0..65535 each way across the target.
    void SendMouseMoveAbsolute(uint16_t x, uint16_t y);
    // A keyboard record (type 1 keys; others ignored). Needs 16 bytes.
    void InjectKeyEvent(const std::string& record);
    // A mouse record: buttons, motion and wheel. Needs 4 bytes.
    void InjectMouseEvent(const std::string& record);
    // A text record: the count of UTF-16 code units, bounded by the bytes
    // that arrived, and the text at offset 16.
    void SendUnicodeString(const std::string& record);

    void StartTouch(int screen);
    void SetFingerInfo(int id, int x, int y, int state);
    void StopTouch();

    // False when the injector cannot read the lock keys.
    bool ReadLockKeys(platform::LockKeyStates* states);

    // Maps a receiver position (a, b), 0..65535 across `target`, to
    // absolute coordinates across `reference`. False when the reference
    // has no size.
    static bool MapToAbsolute(const platform::DisplayRect& reference,
                              const platform::DisplayRect& target, int a, int b, int* x, int* y);
    // The wheel data of a receiver's wheel byte (0: none).
    static int WheelData(uint8_t wheel);

private:
    platform::DisplayRect ComputeDesktopBounds();

    std::shared_ptr<platform::InputInjector> m_Injector;
    std::mutex m_Lock;  // guards the display state
    int m_SelectedDisplay = -1;
    platform::DisplayRect m_Viewport{-1, -1, -1, -1};
    platform::DisplayRect m_DesktopBounds;
    platform::DisplayRect m_DisplayRect;
    uint8_t m_PreviousButtons = 0;
};
