// The encoder behind the screen stream: the ffmpeg program, capturing a
// rectangle of the X display with x11grab and writing it as ASF (WMV2 video)
// into a pipe that this program reads.
//
// Started by absolute path; stopped, and reaped, with the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/child_process.h"

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class ScreenEncoder {
public:
    // Starts capturing `rect` of `display` (":N"). nullptr when ffmpeg
    // cannot be started; the reason goes to *error.
    static std::unique_ptr<ScreenEncoder> Start(const std::string& display, const ScreenRect& rect,
                                                std::string* error);
    ~ScreenEncoder();
    ScreenEncoder(const ScreenEncoder&) = delete;
    ScreenEncoder& operator=(const ScreenEncoder&) = delete;

    // The read end of the ASF pipe (non-blocking).
    int OutputFd() const { return m_output; }

private:
    ScreenEncoder(std::unique_ptr<platform::ChildProcess> process, int output)
        : m_process(std::move(process)), m_output(output) {}

    std::unique_ptr<platform::ChildProcess> m_process;
    int m_output;
};
