// A slider: Trackbar, horizontal or vertical (the minimum at the top).
//
// The position moves within the range by dragging the thumb, by a click
// on the channel (a page toward the click; a page is a fifth of the range,
// at least 1), by the arrows (one step: Left and Up toward the minimum),
// by Page Up and Page Down, and by Home and End. SetPos moves it silently
// (clamped to the range). Ticks show every tick frequency along the
// channel when they are on.
//
// Notices, param2 = the new position: kTbLineUp, kTbLineDown, kTbPageUp,
// kTbPageDown, kTbTop, kTbBottom when a key or a channel click moved it;
// kTbThumbTrack while a drag moves it and kTbThumbPosition when the drag
// ends; kTbEndTrack when the key or the button is released.
//
// THREADING: user-interface thread only.
#pragma once

#include "platform/controls/control.h"
#include "platform/controls/trackbar_geometry.h"

namespace platform {

class Trackbar : public Control {
public:
    Trackbar() : Control(ControlKind::kTrackbar) {}

    void SetVertical(bool vertical);
    bool IsVertical() const { return m_vertical; }
    // The range; the position is pulled into it (silently).
    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_min; }
    int Maximum() const { return m_max; }
    void SetTickFrequency(int frequency);
    void SetTicks(bool shown);
    void SetPos(int position);
    int Pos() const { return m_pos; }
    // A fifth of the range, at least 1.
    int PageSize() const;

    void Paint(Painter& painter, const Rect& bounds) override;
    int64_t OnMessage(WindowId self, const Message& msg) override;

protected:
    void Configure(WindowOptions& options) const override;

private:
    TrackbarGeometry Geometry() const;
    // Moves to `position` (clamped) and tells the dialog with `code` when
    // it changed.
    void MoveTo(int position, int64_t code);
    bool OnKey(Key key);
    int Along(Point p) const { return m_vertical ? p.y : p.x; }

    bool m_vertical = false;
    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
    int m_tickFrequency = 1;
    bool m_ticks = false;
    bool m_dragging = false;
    bool m_paging = false;  // a channel press waiting for its release
    int m_grab = 0;         // pointer minus thumb centre, along the channel
    bool m_keyMoved = false;
};

}  // namespace platform
