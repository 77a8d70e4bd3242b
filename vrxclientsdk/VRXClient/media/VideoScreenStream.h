// Turns a rectangle of the sender's screen into a video stream that the
// receiver plays from "mmsh://%03d.%03d.%03d.%03d:%d".
//
// It encodes nothing itself: it drives the encoder front end "wmencom" when
// that module is found (it never is on this system), else the helper program
// K7RMx64 from the program's own folder, started by absolute path as a child
// of this process, stopped with SIGTERM and always reaped.
//
// THREADING: called under the facade's operation lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/child_process.h"
#include "platform/dynload.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/media/WmEncApi.h"

class VideoScreenStream : public QKErrorHandler {
public:
    // The helper program's file name.
    static constexpr char kHelperName[] = "K7RMx64";

    // Chooses the mode: the encoder module when it loads, else program mode
    // when K7RMx64 is an executable file in the program's folder.
    VideoScreenStream();
    // The same with the helper looked up in `helperFolder` only.
    explicit VideoScreenStream(const std::string& helperFolder);
    // Stop(), then the encoder module is freed.
    ~VideoScreenStream() override;

    // Stops a running stream, then serves the rectangle on `port`
    // (1024..65535). In program mode it returns once K7RMx64 listens on the
    // port (or after 5 s of waiting, with 0). Codes: -6527001 "Process" when
    // the program cannot be started, -6528406 when it ends at once, when
    // StartWMEncEx fails or for a port out of range, -6528405 when the module
    // lacks StartWMEncEx, -6528401 when neither is installed.
    virtual int Start(int x, int y, int width, int height, uint16_t port, uint8_t a, uint8_t b);

    // Stops the stream: SIGTERM to our own K7RMx64 child, which is killed
    // after a grace period and reaped in any case; or StopWMEnc. 0, or
    // -6528403 when the module lacks StopWMEnc.
    virtual int Stop();

    // True between a successful Start and Stop (also when the program ended
    // by itself since).
    virtual bool IsRunning();

    bool IsProgramMode() const { return m_bProgramMode; }
    const std::string& HelperPath() const { return m_HelperPath; }

    // Test hook: how long Start waits for K7RMx64 to listen.
    void SetReadyTimeoutForTest(uint32_t ms) { m_ReadyTimeoutMs = ms; }

private:
    int StartProgram(int x, int y, int width, int height, uint16_t port, uint8_t a, uint8_t b);

    std::unique_ptr<platform::DynamicLibrary> m_pEncoderLibrary;
    StartWMEncExFn m_pfnStartWMEncEx = nullptr;
    StopWMEncFn m_pfnStopWMEnc = nullptr;
    std::atomic<bool> m_bRunning{false};
    bool m_bProgramMode = false;
    std::string m_HelperPath;  // absolute; set in program mode
    std::unique_ptr<platform::ChildProcess> m_pProcess;
    uint32_t m_ReadyTimeoutMs = 5000;
};
