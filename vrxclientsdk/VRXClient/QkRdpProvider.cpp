#include "vrxclientsdk/VRXClient/QkRdpProvider.h"

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

QkRdpProvider::QkRdpProvider() = default;

QkRdpProvider::~QkRdpProvider() {
    Shutdown();
}

void QkRdpProvider::SetViewport(int x, int y, int w, int h) {
    QK_LOGF(LOG_INFO, "SetViewport %d %d %d %d", x, y, w, h);
    NotAvailable("SetViewport", __FILE__, __LINE__);
}

int QkRdpProvider::Login(uint32_t ipv4, const char* name, const char* password) {
    LoginImpl(0, ipv4, name, password);
    return GetErrorCode();
}

int QkRdpProvider::StartPlayImage(uint8_t mode) {
    VRXClient::StartPlayImage(mode);
    return GetErrorCode();
}

int QkRdpProvider::StopPlayImage() {
    return VRXClient::StopPlayImage();
}

int QkRdpProvider::PausePlayImage() {
    return VRXClient::PausePlayImage();
}

void QkRdpProvider::Logout() {
    VRXClient::Logout();
}

void QkRdpProvider::OnKeyboardCommand(const ByteString& record) {
    VRXClient::OnKeyboardCommand(record);
}

void QkRdpProvider::OnMouseCommand(const ByteString& record) {
    VRXClient::OnMouseCommand(record);
}

void QkRdpProvider::OnPointerPosition(uint16_t, uint16_t) {}

void QkRdpProvider::OnTouchEvent(int id, int x, int y, int state) {
    VRXClient::OnTouchEvent(id, x, y, state);
}

void QkRdpProvider::OnSidebar(uint8_t) {}

void QkRdpProvider::OnStringInput(const ByteString& record) {
    VRXClient::OnStringInput(record);
}
