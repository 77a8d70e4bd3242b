// QkRdpProvider: the client facade that replays on the PC the input a
// receiver sends back while it shows the PC's screen (touch, keys, mouse,
// absolute pointer positions, text), and keeps the receiver told of the PC's
// lock keys during whole-screen projection.
//
// It derives virtually from VRXClient; SenderServer derives from it and the
// application's client class from that. The replay goes through InputReplay
// (shared by every client of the process), the lock keys through LockKeySync.
// There is no side bar on this desktop: side-bar events change nothing.
//
// THREADING: the input callbacks run on the command channel's dispatcher
// thread; the other operations as the facade's; the lock-key timer on a
// thread of its own, stopped before the client goes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/input/InputReplay.h"
#include "vrxclientsdk/VRXClient/input/LockKeySync.h"

class QkRdpProvider : public virtual VRXClient {
public:
    // Replays through the process's shared InputReplay.
    QkRdpProvider();
    // Replays through `replay` (tests give one over a fake injector).
    explicit QkRdpProvider(std::shared_ptr<InputReplay> replay);
    // Stops the lock-key timer, gives up the lock-key channel, then shuts
    // the facade down.
    ~QkRdpProvider() override;

    // Sets the part of the display that the receiver's absolute positions
    // span (x < 0: the whole display). While projecting, a position that
    // came less than 1.5 s ago is applied again.
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

    // True while the lock-key timer runs.
    bool LockKeyTimerRunningForTest() { return m_LockKeys.TimerRunning(); }

private:
    std::shared_ptr<InputReplay> m_Replay;
    LockKeySync m_LockKeys;
    std::atomic<uint16_t> m_LastX{0};
    std::atomic<uint16_t> m_LastY{0};
    std::atomic<uint64_t> m_LastPositionMs{0};
    std::atomic<bool> m_HasPosition{false};
};
