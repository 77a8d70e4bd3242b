// CQKScrollbar: the vertical skinned scrollbar of a CQKListView.
//
// Two arrow buttons, a track and a thumb of three pictures, built from the
// scrollbar's layout table (widget_layout_tables.h). It keeps its own copy
// of the list's first visible row and changes it by the arrows, by a press
// on the track above or below the thumb (one row), and by dragging the
// thumb; each change reports kEventListScrolled to the dialog (main: with
// the second flag set, and the scrollbar drawn and copied at once), which
// takes the row into the list and redraws both. It is shown exactly while
// the list has more rows than it shows.
//
// A thumb drag moves the thumb with the pointer and the rows one at a time;
// timer kDragTimerId, armed at the press and by every move, settles a thumb
// held beyond the track's end on the first or the last page, and is killed
// at the release. The pictures of the track and the thumb take no input:
// presses there reach the scrollbar.
//
// Ownership: the parts are the scrollbar's; the list is found by its window.
// Geometry: scrollbar_geometry.h.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/widgets/qkin.h"
#include "ui/widgets/scrollbar_geometry.h"

namespace ui {

class CQKListView;

class CQKScrollbar : public CQKin {
public:
    static constexpr uint32_t kDragTimerId = 10001;
    static constexpr uint32_t kDragTimerMs = 25;
    // The timer acts only this long after the last move.
    static constexpr uint64_t kDragSettleMs = 21;

    CQKScrollbar();

    void SetList(platform::WindowId listWindow) { m_list = listWindow; }
    CQKListView* List() const;

    // After the window exists: the thumb at the top, first visible 0, the
    // six parts built. False when a part's window could not be made.
    bool CreateChildren();

    int FirstVisible() const { return m_firstVisible; }
    void SetFirstVisible(int row) { m_firstVisible = row; }
    // One row down when a full page still follows: 1, else 0.
    int ScrollDown();

    ThumbSpan Thumb() const { return m_thumb; }
    CQKin* Part(uint32_t controlId) const;

    // Shows or hides itself by the list's rows, places the thumb and the
    // parts and draws them. -1 without a list, else 0.
    int DrawToBackBuffer() override;
    // An arrow button clicked: one row up or down; -1 while hidden or for code 0.
    int OnChildEvent(int code, CQKin* part) override;
    // Takes the list's first visible row and redraws. 0.
    int OnScrollNotify(int code, CQKin* list) override;

protected:
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;
    int64_t OnMouseMove(platform::Point p) override;
    int64_t OnTimer(uint32_t timerId) override;

private:
    int RowCount() const;
    int ShownRows() const;
    // Reports a change of the first visible row to the dialog.
    void TellDialog();
    void RedrawNow();
    void PlaceParts();
    void DrawThumb(platform::Surface& back, platform::Point at) const;
    void SetDragTimer(bool on);

    std::vector<WidgetPtr<CQKin>> m_parts;
    platform::WindowId m_list;
    int m_firstVisible = 0;
    ThumbSpan m_thumb{kTrackInset, 17};
    // A drag of the thumb: where it started; rows are counted from there.
    bool m_dragging = false;
    int m_referenceY = 0;
    ThumbSpan m_referenceThumb;
    int m_dragStartRow = 0;
    platform::Point m_lastPoint;
    uint64_t m_lastMoveMs = 0;
    bool m_trackPressed = false;
    bool m_paintGuard = true;
};

}  // namespace ui
