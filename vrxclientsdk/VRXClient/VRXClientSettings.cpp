// The facade's capture and projection settings (kept in ProjectionSettings,
// some forwarded to the image channel at once) and its capability tests.
#include <algorithm>

#include "vrxclientsdk/VRXClient/ProjectionRules.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

// ---------------------------------------------------------------------------
// capture settings

void VRXClient::SetCaptureParams(CaptureWindow window, bool alpha32, boost::logic::tribool cursor,
                                 int enlarge, boost::logic::tribool aspect, bool windowFlag,
                                 bool capLayer, int format16, bool scaler, int maxFrameTime,
                                 int maxFps, int jpegQuality, int screen, int coding, int deOverX,
                                 int deOverY, uint16_t preBufTime, double cursorScale,
                                 uint8_t demandScaler, int rotation, int queueOffset,
                                 int slidesPeriod) {
    SetWindowCapture(window, windowFlag);
    Set32BppAlpha(alpha32);
    SetCursorMode(cursor);
    SetEnlargeFactor(enlarge);
    SetAspectRatio(aspect);
    SetCapLayer(capLayer);
    Set16BitFormat(format16);
    SetImageScaler(scaler);
    SetMaxFrameTime(maxFrameTime);
    SetMaxFPS(maxFps);
    SetJpegQuality(jpegQuality);
    SetScreenCapture(screen);
    SetImageCoding(coding);
    SetDeOverscanOffset(deOverX, deOverY);
    SetPreBufTime(preBufTime);
    SetCursorScale(cursorScale);
    SetDemandScaler(demandScaler);
    SetRotation(rotation);
    SetIbQueueSizeOffset(queueOffset);
    SetWebSlidesPeriod(slidesPeriod);
}

void VRXClient::SetWindowCapture(CaptureWindow window, bool clientAreaOnly) {
    QK_LOGF(LOG_INFO, "SetWindowCapture %d %d", static_cast<int>(window), clientAreaOnly ? 1 : 0);
    m_Settings.SetWindow(window, clientAreaOnly);
}

void VRXClient::Set32BppAlpha(bool on) {
    QK_LOGF(LOG_INFO, "Set32BppAlpha %d", on ? 1 : 0);
    m_Settings.SetAlpha32(on);
}

void VRXClient::SetCursorMode(boost::logic::tribool mode) {
    QK_LOGF(LOG_INFO, "SetCursorMode %s", ProjectionSettings::TriboolText(mode));
    m_Settings.SetCursorMode(mode);
    if (GetStatus() == kVrxProjecting) {
        const bool draw = boost::logic::indeterminate(mode) ? !m_Cmd.HasFbf2Bit40() : bool(mode);
        m_IB.SetCursorMode(draw);
    }
}

void VRXClient::SetEnlargeFactor(int factor) {
    QK_LOGF(LOG_INFO, "SetEnlargeFactor %d", factor);
    m_Settings.SetEnlargeFactor(factor);
    m_EnlargeFactorF = static_cast<float>(m_Settings.EnlargeFactor());
}

void VRXClient::SetAspectRatio(boost::logic::tribool keep) {
    QK_LOGF(LOG_INFO, "SetAspectRatio %s", ProjectionSettings::TriboolText(keep));
    m_Settings.SetAspectRatio(keep);
}

void VRXClient::SetCapLayer(bool on) {
    QK_LOGF(LOG_INFO, "SetCapLayer %d", on ? 1 : 0);
    m_IB.SetCapLayer(on);
}

void VRXClient::Set16BitFormat(int format) {
    QK_LOGF(LOG_INFO, "Set16BitFormat %d", format);
    m_Settings.SetFormat16(format);
}

void VRXClient::SetImageScaler(bool on) {
    QK_LOGF(LOG_INFO, "SetImageScaler %d", on ? 1 : 0);
    m_Settings.SetImageScaler(on);
}

void VRXClient::SetMaxFrameTime(int ms) {
    QK_LOGF(LOG_INFO, "SetMaxFrameTime %d", ms);
    m_IB.SetMaxFrameTime(ms);
}

void VRXClient::SetMaxFPS(int fps) {
    QK_LOGF(LOG_INFO, "SetMaxFPS %d", fps);
    m_IB.SetMaxFPS(fps);
}

void VRXClient::SetJpegQuality(int quality) {
    QK_LOGF(LOG_INFO, "SetJpegQuality %d", quality);
    m_IB.SetJpegQuality(m_Settings.SetJpegQuality(quality));
}

void VRXClient::SetScreenCapture(int screen) {
    QK_LOGF(LOG_INFO, "SetScreenCapture %d", screen);
    m_Settings.SetScreen(screen);
}

void VRXClient::SetImageCoding(int coding) {
    QK_LOGF(LOG_INFO, "SetImageCoding %d", coding);
    m_Settings.SetImageCoding(coding);
}

void VRXClient::SetDeOverscanOffset(int x, int y) {
    QK_LOGF(LOG_INFO, "SetDeOverscanOffset %d %d", x, y);
    m_Settings.SetDeOverscanOffset(x, y);
}

void VRXClient::SetPreBufTime(uint16_t ms) {
    QK_LOGF(LOG_INFO, "SetPreBufTime %d", ms);
    m_Settings.SetPreBufTime(ms);
}

void VRXClient::SetCursorScale(double scale) {
    QK_LOGF(LOG_INFO, "SetCursorScale %0.2f", scale);
    m_IB.SetCursorScale(m_Settings.SetCursorScale(scale));
}

void VRXClient::SetDemandScaler(uint8_t scaler) {
    QK_LOGF(LOG_INFO, "SetDemandScaler %d", scaler);
    m_Settings.SetDemandScaler(scaler);
}

void VRXClient::SetRotation(int rotation) {
    QK_LOGF(LOG_INFO, "SetRotation %d", rotation);
    m_Settings.SetRotation(rotation);
}

void VRXClient::SetIbQueueSizeOffset(int offset) {
    QK_LOGF(LOG_INFO, "SetIbQueueSizeOffset %d", offset);
    m_IB.SetAckWindowExtra(offset);
}

void VRXClient::SetWebSlidesPeriod(int seconds) {
    QK_LOGF(LOG_INFO, "SetWebSlidesPeriod %d", seconds);
    m_IB.SetKeyFrameInterval(seconds);
}

// ---------------------------------------------------------------------------
// capability tests

bool VRXClient::HasFbfBit08NoFbf2Bit02() {
    return m_Cmd.HasFbfBit08NoFbf2Bit02();
}

bool VRXClient::HasFbfBit10() {
    return m_Cmd.HasFbfBit10();
}

bool VRXClient::HasFbfBit20() {
    return m_Cmd.HasFbfBit20();
}

bool VRXClient::IsH264Supported() {
    const std::vector<uint8_t> codings = GetCapRecord().codings;
    return std::find(codings.begin(), codings.end(), projection::kCodingH264) != codings.end();
}

bool VRXClient::IsJpegSupported() {
    const std::vector<uint8_t> codings = GetCapRecord().codings;
    return std::find(codings.begin(), codings.end(), projection::kCodingJpeg) != codings.end();
}

bool VRXClient::HasFbf2Bit08() {
    return m_Cmd.HasFbf2Bit08();
}
