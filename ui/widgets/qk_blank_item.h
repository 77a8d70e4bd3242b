// CQKBlankItem: a device row of a CQKListView, showing one device name.
//
// 526 x 27, filled white, or the program's blue with a white caption when
// it is the list's selection; its one child is the device-name text (id
// 30207, grey, 15 px, vertically centred, cut with an ellipsis). Made by
// CQKListView::AddBlankItem.
// THREADING: user-interface thread only.
#pragma once

#include <string>

#include "ui/widgets/list_row.h"

namespace ui {

class CQKText;

class CQKBlankItem : public ListRow {
public:
    static constexpr int kWidth = 526;
    static constexpr int kHeight = 27;
    static constexpr uint32_t kBackgroundBitmap = 5230;

    CQKBlankItem();

    // Makes the row's window and its device-name text. False when the
    // row's window could not be made.
    bool CreateChildren(std::string deviceName);
    CQKText* DeviceNameText() const { return m_text; }

    // Nothing for a hidden row; else the fill, then the children. 0.
    int DrawToBackBuffer() override;
    // A child's press or double click becomes the row's, reported to the list. 0.
    int OnChildEvent(int code, CQKin* child) override;

private:
    CQKText* m_text = nullptr;
};

}  // namespace ui
