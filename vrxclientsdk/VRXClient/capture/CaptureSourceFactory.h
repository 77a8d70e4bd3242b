// Creates the capture object for a capture pool record: the picture-file
// source when the record names a picture, else the X11 screen capturer.
//
// The pool installs it with FrawlPool::SetCaptureFactory. Any thread.
#pragma once

#include <memory>
#include <string>

#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/capture/CaptureClientRecord.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

// `logger` goes to the picture-file source (may be null; must outlive the
// source). `display` is the X display for the screen capturer (empty: the
// DISPLAY variable). Never null: creating a source can't fail, opening can.
std::unique_ptr<CFrameBufferBase> CreateCaptureSource(const CaptureClientRecord& record,
                                                      Logger* logger,
                                                      const std::string& display = {});
