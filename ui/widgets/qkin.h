// CQKin: the base of every skinned widget.
//
// A widget is a borderless child window (WindowLayer::kWidget) whose handler
// is the widget itself. It never paints on the window layer's request:
// DrawToBackBuffer draws it into its dialog's back buffer, and the dialog
// (or a widget whose look changed at once) copies the buffer to the screen
// through the WidgetHost.
//
// Widgets form a tree: a row inside a list, a part inside a scrollbar. The
// widget whose top-level flag is set is a direct child of the dialog; it
// reports events to the dialog's dispatcher, every other widget to its
// parent (OnChildEvent). Drawing climbs to the nearest top-level widget:
// its host gives the back buffer, and the drawing position is the sum of
// the left and top edges up to and including it. Without a host nothing is
// drawn and nothing is sent.
//
// Creating: construct, fill the fields (id, name, rectangle, frame count,
// visible flag, texts), give the host (SetOwner), parent and top-level flag,
// then one Create* operation makes the window. The window's parent is the
// creation parent widget's window, or the host's window when there is none.
// The class-name text and the owner class-name text are kept as data.
//
// Ownership: the creator (dialog or parent widget) owns a widget through a
// WidgetPtr. Letting one go destroys its window at once and frees the
// object only once the window layer can no longer call it, so a widget
// deleted while its own handler is on the stack is never touched after it
// is freed. A widget with a live window is never deleted any other way. A widget's raw parent
// pointer is its owner and outlives it; widgets that are not each other's owners refer to each
// other by window (FromWindow).
//
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/draw/surface.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_options.h"
#include "ui/widgets/image_drawing.h"

namespace platform {
class WindowManager;
}

namespace ui {

class CQKin;
class CommonDialogSide;
class MainDialogSide;
class SkinImages;
class WidgetHost;

// Destroys the widget's window now and frees the widget after the window
// layer's pending releases.
struct WidgetDeleter {
    void operator()(CQKin* widget) const;
};
template <class T = CQKin>
using WidgetPtr = std::unique_ptr<T, WidgetDeleter>;

template <class T, class... Args>
WidgetPtr<T> MakeWidget(Args&&... args) {
    return WidgetPtr<T>(new T(std::forward<Args>(args)...));
}

class CQKin : public platform::WindowHandler, public CQKImageDrawing {
public:
    CQKin() : CQKin("CQKin") {}
    ~CQKin() override;
    CQKin(const CQKin&) = delete;
    CQKin& operator=(const CQKin&) = delete;

    // The widget whose window this is, or null (also for a dead window).
    static CQKin* FromWindow(platform::WindowId window);

    // --- Fields the creator fills ------------------------------------------
    const std::string& ClassNameText() const { return m_classText; }
    uint32_t ControlId() const { return m_id; }
    void SetControlId(uint32_t id) { m_id = id; }
    const std::string& ElementName() const { return m_name; }
    void SetElementName(std::string name) { m_name = std::move(name); }

    // The host (borrowed; it outlives the widget) and the owner class-name
    // text ("CQKinMainDlg", "CQKCommonDlg"), kept as data. The creation
    // parent becomes the host's window.
    void SetOwner(WidgetHost* host, std::string ownerClassText);
    WidgetHost* Owner() const { return m_host; }
    const std::string& OwnerClassText() const { return m_ownerClassText; }

    CQKin* Parent() const { return m_parent; }
    void SetParent(CQKin* parent) { m_parent = parent; }
    // The widget whose window is the parent window; null: the host's window.
    CQKin* CreationParent() const { return m_creationParent; }
    void SetCreationParent(CQKin* parent) { m_creationParent = parent; }
    bool IsTopLevel() const { return m_topLevel; }
    void SetTopLevel(bool topLevel) { m_topLevel = topLevel; }
    // Set by the list view and the scrollbar just before they report to the main dialog.
    bool SecondFlag() const { return m_secondFlag; }
    void SetSecondFlag(bool on) { m_secondFlag = on; }

    const std::string& TooltipText() const { return m_tooltip; }
    void SetTooltipText(std::string text) { m_tooltip = std::move(text); }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string text) { m_caption = std::move(text); }
    const std::string& SkinText() const { return m_skinText; }
    void SetSkinText(std::string text) { m_skinText = std::move(text); }
    const std::string& FontFamily() const { return m_fontFamily; }
    void SetFontFamily(std::string family) { m_fontFamily = std::move(family); }

    // In the parent's client coordinates (the dialog's for a top-level
    // widget). Setting it moves a live window too.
    platform::Rect GetRect() const { return m_rect; }
    void SetRect(const platform::Rect& rect);

    int RowIndex() const { return m_rowIndex; }
    void SetRowIndex(int index) { m_rowIndex = index; }
    uint32_t MouseState() const { return m_mouseState; }
    void SetMouseState(uint32_t state) { m_mouseState = state; }
    int FrameCount() const { return m_frameCount; }
    void SetFrameCount(int frames) { m_frameCount = frames; }
    uint32_t ImageId() const { return m_imageId; }
    void SetImageId(uint32_t id) { m_imageId = id; }
    int TextSize() const { return m_textSize; }
    void SetTextSize(int pixels) { m_textSize = pixels; }
    int StyleValue() const { return m_style; }
    void SetStyleValue(int style) { m_style = style; }
    // The window is shown when it is made with the flag set, hidden otherwise;
    // most widgets draw only while it is set.
    bool VisibleFlag() const { return m_visible; }
    void SetVisibleFlag(bool visible) { m_visible = visible; }

    // --- Window ------------------------------------------------------------
    // Loads PNG resource `pngId` into the PNG holder (the PNG flag is set
    // when that worked), then makes the window. False when the window could
    // not be made; a missing PNG still makes the widget.
    bool CreateWidgetWithPng(int pngId);
    // Sets the image from bitmap resource `bitmapId` (0: none), then makes the window.
    bool CreateWidgetWithBitmap(int bitmapId);
    // Makes the window without a picture.
    bool CreateWidget();
    // Loads another PNG resource into the holder; the PNG flag stays as it is.
    bool ChangePngImage(int pngId);
    // Bitmap resource `id` from the host's skin (see CQKImageDrawing).
    int LoadBitmapResource(int id);
    using CQKImageDrawing::LoadBitmapResource;

    platform::WindowId Window() const { return m_window; }
    void ShowWidgetWindow(bool visible);
    // Set before creation: the window takes no pointer input, what lies
    // below it gets the input (pictures laid over a widget that handles it).
    void SetInputTransparent(bool transparent) { m_inputTransparent = transparent; }

    // --- Drawing and events --------------------------------------------------
    // Draws frame 0 of the picture, unkeyed, when there is an image (a PNG
    // alone draws nothing here). 0.
    virtual int DrawToBackBuffer();
    // A child reports `code`; the base does nothing. 0.
    virtual int OnChildEvent(int code, CQKin* child);
    // A scroll position changed; the base does nothing. 0.
    virtual int OnScrollNotify(int code, CQKin* sender);

    // The nearest widget with the top-level flag, this one included; null
    // when the chain ends without one.
    const CQKin* TopLevelWidget() const;
    // The host given to this widget, else its parent's.
    WidgetHost* Host() const;
    // The host of the nearest top-level widget: the one it draws and reports through.
    WidgetHost* DrawingHost() const;
    platform::Surface* BackBuffer() const;
    platform::Point DrawingPosition() const;
    // The rectangle at the drawing position.
    platform::Rect DrawingRect() const;
    // The drawing rectangle cut to every ancestor's, up to the top-level widget.
    platform::Rect VisibleArea() const;
    SkinImages* Skin() const;
    MainDialogSide* MainSide() const;
    CommonDialogSide* CommonSide() const;

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

protected:
    explicit CQKin(std::string classNameText);

    // Message hooks; the defaults do what the base widget does.
    virtual int64_t OnLButtonDown(platform::Point p);
    virtual int64_t OnLButtonUp(platform::Point p);
    virtual int64_t OnLButtonDblClk(platform::Point p);
    virtual int64_t OnMouseMove(platform::Point p);
    virtual int64_t OnMouseHover(platform::Point p);
    virtual int64_t OnMouseLeave();
    virtual int64_t OnTimer(uint32_t timerId);
    virtual platform::CursorShape WidgetCursor() const { return platform::CursorShape::kArrow; }

    // Sends `flags` from this widget to the drawing host's dispatcher.
    void DispatchToOwner(uint32_t flags);
    // Sends `flags` from this widget to the main dialog's DoEvent only.
    void SendToMainDialog(uint32_t flags);
    // Posts a left-button message to `window` at `point`, as the dialog
    // would get it from the display.
    void PostButtonMessage(platform::WindowId window, platform::MessageKind kind,
                           platform::Point point) const;
    platform::WindowId CreationParentWindow() const;
    // The clock time of the message being handled (the window layer's clock).
    uint64_t MessageTime() const { return m_messageTime; }

    bool HasCapture() const;
    void CaptureMouse();
    static void ReleaseMouse();
    // Arms one hover (after 1 ms at rest) and one leave notice. True when armed.
    bool TrackHoverAndLeave();

    // Marks a draw in progress; a draw that finds one running is dropped.
    class PaintScope {
    public:
        explicit PaintScope(bool& guard) : m_guard(guard), m_entered(guard) {
            if (m_entered) {
                m_guard = false;
            }
        }
        ~PaintScope() {
            if (m_entered) {
                m_guard = true;
            }
        }
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;
        bool Entered() const { return m_entered; }

    private:
        bool& m_guard;
        bool m_entered;
    };

private:
    friend struct WidgetDeleter;
    bool MakeWindow();
    void DestroyWindow();

    std::string m_classText;
    uint32_t m_id = 0;
    std::string m_name;
    WidgetHost* m_host = nullptr;
    std::string m_ownerClassText;
    CQKin* m_parent = nullptr;
    CQKin* m_creationParent = nullptr;
    bool m_topLevel = false;
    bool m_secondFlag = false;
    std::string m_tooltip;
    std::string m_caption;
    std::string m_skinText;
    std::string m_fontFamily;
    platform::Rect m_rect;
    int m_rowIndex = 0;
    uint32_t m_mouseState = 0;
    int m_frameCount = 1;
    uint32_t m_imageId = 0;
    int m_textSize = 12;
    int m_style = 0;
    bool m_visible = false;
    bool m_inputTransparent = false;
    platform::WindowId m_window;
    uint64_t m_messageTime = 0;
};

}  // namespace ui
