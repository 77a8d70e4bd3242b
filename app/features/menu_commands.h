// MenuCommands: the main window's menu commands that change a projection
// setting. One table maps each command id to its handler; a handler sets
// the setting, writes its key, hands the value to the client and, when the
// screen is being projected, stops and restarts the projection so that the
// receiver sees the change at once. A restart that fails leaves the window
// idle and shows the client's error.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pemuapp {

class FeatureHost;

// The settings key text of a codec type (4 JPEG, 7 H.264, else auto).
const char* CodecKeyText(int type);

class MenuCommands {
public:
    // Reads the current values from the host's settings.
    explicit MenuCommands(FeatureHost& host);

    // Runs the handler of `id`; false when the table has none.
    bool OnCommand(uint32_t id);

    void SetCursorSize(int size);
    void SetCodecType(int type);
    void ApplyResolutionMode();

    int ResolutionMode() const { return m_resolutionMode; }
    int CursorSize() const { return m_cursorSize; }
    int CodecType() const { return m_codecType; }
    bool Speedy() const { return m_speedy; }
    bool UiHidden() const { return m_uiHidden; }
    bool AdvancedCapture() const { return m_advancedCapture; }
    bool Extend() const { return m_extend; }

private:
    struct Entry {
        uint32_t id;
        void (MenuCommands::*handler)(uint32_t id);
    };
    static const Entry kTable[];

    bool Projecting();
    // The restart step: stop, `apply`, start again at the same mode.
    void RestartIfProjecting(const std::function<void()>& apply = {});
    bool StartAgain(uint8_t mode);
    bool Ask(int type, uint32_t titleId, uint32_t textId);
    void WriteFlag(const char* key, bool value);
    void SetAdvancedCapture(bool on);
    // The latency question (while AirProofQuestion holds); its box's tick
    // ends the asking.
    void ShowAirProofQuestion();

    void OnReceiverWebPage(uint32_t id);
    void OnAutoPowerManager(uint32_t id);
    void OnHideUi(uint32_t id);
    void OnEnableAsc(uint32_t id);
    void OnVersionItem(uint32_t id);
    void OnJpegQuality(uint32_t id);
    void OnMirror(uint32_t id);
    void OnExtend(uint32_t id);
    void OnAutoWifi(uint32_t id);
    void OnTvExpand(uint32_t id);
    void OnResolutionMode(uint32_t id);
    void OnCursorSize(uint32_t id);
    void OnToggleSpeedy(uint32_t id);
    void OnCodec(uint32_t id);
    void OnSpeedyMode(uint32_t id);

    FeatureHost& m_host;
    int m_resolutionMode;
    int m_jpegQuality;
    int m_cursorSize;
    int m_codecType;
    int m_tvWidth;
    int m_tvHeight;
    bool m_autoWifi;
    bool m_ownPowerScheme;
    bool m_advancedCapture;
    bool m_uiHidden;
    bool m_speedy;
    bool m_extend;
    bool m_airProofQuestion;
};

}  // namespace pemuapp
