// The main window's own drawing beneath its pages: the frame, the state of
// the connection and the receivers found. The pages draw over it.
#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "platform/draw/painter.h"
#include "platform/draw/surface.h"

namespace pemuapp {
namespace {

constexpr platform::Argb kBackground{0xFF1A6BBCu};
constexpr platform::Argb kBand{0xFF12497Fu};
constexpr platform::Argb kWhite{0xFFFFFFFFu};

platform::TextStyle Style(int pixels, int weight) {
    platform::TextStyle s;
    s.family = "DejaVu Sans";
    s.pixelSize = pixels;
    s.weight = weight;
    s.singleLine = true;
    s.ellipsis = true;
    s.vertical = platform::TextAlign::kCenter;
    return s;
}

}  // namespace

void CQKinMainDlg::Paint() {
    const std::optional<platform::Rect> rect = m_wm.GetRect(Window());
    if (!rect || rect->Width() <= 0 || rect->Height() <= 0) {
        return;
    }
    const int w = rect->Width(), h = rect->Height();
    auto surface = platform::Surface::Create(w, h);
    if (!surface) {
        return;
    }
    {
        platform::Painter p(*surface);
        p.FillRect(platform::Rect{0, 0, w, h}, kBackground);
        p.FillRect(platform::Rect{0, 0, w, 36}, kBand);
        p.DrawText("Quorvane Sender", platform::Rect{14, 0, w - 14, 36}, Style(16, 700), kWhite);
        std::string state;
        const int status = m_client ? m_client->GetStatus() : kVrxDisconnected;
        if (status == kVrxDisconnected) {
            state = "Looking for receivers";
        } else if (status >= kVrxProjecting && status <= kVrxMediaPaused) {
            state = "Projecting to " + m_client->receiverName;
        } else {
            state = "Connected to " + (m_client->receiverName.empty()
                                           ? DottedAddress(m_client->GetPeerAddress())
                                           : m_client->receiverName);
        }
        p.DrawText(state, platform::Rect{14, 44, w - 14, 70}, Style(14, 600), kWhite);
        int y = 80;
        for (const ReceiverRow& row : m_receivers) {
            if (y + 22 > h) {
                break;
            }
            p.DrawText(row.name + "   " + row.address, platform::Rect{24, y, w - 14, y + 22},
                       Style(12, 400), kWhite);
            y += 24;
        }
        if (m_receivers.empty()) {
            p.DrawText("No receiver found yet", platform::Rect{24, y, w - 14, y + 22},
                       Style(12, 400), kWhite);
        }
    }
    m_wm.Present(Window(), *surface, platform::Rect{0, 0, w, h});
}

}  // namespace pemuapp
