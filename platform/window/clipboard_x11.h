// The CLIPBOARD selection of an X display: the X11 backend's clipboard text.
//
// Copying makes an unmapped window of ours the owner of CLIPBOARD; other
// programs then ask it for the text (UTF8_STRING, STRING, TEXT, TARGETS) and
// the backend's event loop hands their requests to HandleEvent. Pasting
// asks the owner to convert the selection into a property of our window and
// waits for its answer, but never longer than the wait bound: a hung owner
// costs the user interface that much and then reads as "no text". Text
// larger than kMaxClipboardBytes (or sent in pieces, INCR) is refused with a
// log line, in both directions.
//
// THREADING: user-interface thread only, like the backend that owns it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct _XDisplay;
union _XEvent;

namespace platform {

// The largest clipboard text taken or given, in bytes.
inline constexpr size_t kMaxClipboardBytes = 1u << 20;

class ClipboardX11 {
public:
    // `display` is borrowed and must outlive the clipboard.
    explicit ClipboardX11(_XDisplay* display);
    ~ClipboardX11();
    ClipboardX11(const ClipboardX11&) = delete;
    ClipboardX11& operator=(const ClipboardX11&) = delete;

    // Becomes the owner of CLIPBOARD with `text` (UTF-8). `time` is the
    // server time of the user's action that copied (0: the current time).
    void SetText(const std::string& text, unsigned long time);

    // The clipboard's text: ours when we own it, else the owner's answer
    // within the wait bound. nullopt: no owner, no text, no answer in time,
    // or too much text.
    std::optional<std::string> Text(unsigned long time);

    // Serves a selection request for our text or notes the loss of the
    // selection. True when the event was the clipboard's.
    bool HandleEvent(_XEvent& event);

    // How long Text() waits for an owner (1000 ms unless changed).
    void SetWaitBoundForTest(int ms) { m_waitMs = ms; }

private:
    struct Atoms;

    // Asks the owner for `target` and waits for its answer; the text as
    // received (the property's bytes), or nullopt. *refused is set when the
    // owner answered that it cannot give this target.
    std::optional<std::string> Convert(unsigned long target, unsigned long time, int64_t deadlineMs,
                                       bool* refused);
    bool WaitForNotify(int64_t deadlineMs, _XEvent* notify);
    std::optional<std::string> ReadProperty(unsigned long expectedType);
    void Serve(_XEvent& event);

    _XDisplay* m_display;
    unsigned long m_window = 0;
    std::unique_ptr<Atoms> m_atoms;
    std::string m_text;
    bool m_owning = false;
    int m_waitMs = 1000;
};

}  // namespace platform
