// QkRdpProvider: the client facade that replays on the PC the input a
// receiver sends back while it shows the PC's screen (touch, keys, mouse,
// absolute pointer positions, text, the side bar), and keeps the receiver
// told of the PC's lock keys during whole-screen projection.
//
// It derives virtually from VRXClient; SenderServer derives from it and the
// application's client class from that. The replay itself is not part of
// this build yet: the input callbacks only run the facade's defaults, and
// SetViewport fails with a clear code.
//
// THREADING: the input callbacks run on the command channel's dispatcher
// thread; the other operations as the facade's.
#pragma once

#include "vrxclientsdk/VRXClient/VRXClient.h"

class QkRdpProvider : public virtual VRXClient {
public:
    QkRdpProvider();
    // Shuts the facade down first (see VRXClient::Shutdown).
    ~QkRdpProvider() override;

    // Sets the part of the display that the receiver's absolute positions
    // span.
    virtual void SetViewport(int x, int y, int w, int h);

    int Login(uint32_t ipv4, const char* name, const char* password) override;
    int StartPlayImage(uint8_t mode) override;
    int StopPlayImage() override;
    int PausePlayImage() override;
    void Logout() override;

    void OnKeyboardCommand(const ByteString& record) override;
    void OnMouseCommand(const ByteString& record) override;
    void OnPointerPosition(uint16_t x, uint16_t y) override;
    void OnTouchEvent(int id, int x, int y, int state) override;
    void OnSidebar(uint8_t value) override;
    void OnStringInput(const ByteString& record) override;
};
