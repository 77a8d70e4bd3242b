// SenderSettings: every value of the settings file that the sender reads at
// start, with the defaults of a file that lacks the key.
//
// Plain data, filled by SettingsFile::Load and kept by the main dialog.
#pragma once

#include <string>

namespace pemuapp {

// Log levels of the LogLevel key.
inline constexpr int kLogLevelInfo = 600;

// ResolutionMode names: "Large" 1, "Middle" 2, any other text 3 ("Small").
inline constexpr int kResolutionLarge = 1;
inline constexpr int kResolutionMiddle = 2;
inline constexpr int kResolutionSmall = 3;

// CodecType names: "H264" 7, "JPEG" 4, any other text 0 (automatic).
inline constexpr int kCodecAuto = 0;
inline constexpr int kCodecJpeg = 4;
inline constexpr int kCodecH264 = 7;

// The JPEG quality of "Normal"; "Best" is 85.
inline constexpr int kNormalJpegQuality = 65;

struct SenderSettings {
    bool autoWifi = true;
    bool enableZamp = true;
    std::string loginCode;
    bool firstTimeStartApplication = true;
    bool autoPowerManager = true;
    int rebootCountdown = 90;
    int audioRefreshFreq = 360;
    int audioRefreshSec = 500;
    bool enableAsc = true;
    bool showVacMessage = true;
    bool startFirst = true;
    std::string filterPrefixWord;
    std::string logFile;
    bool logAppend = true;
    int logLevel = kLogLevelInfo;
    int tvExpandWidth = 0;
    int tvExpandHeight = 0;
    int jpegQuality = kNormalJpegQuality;
    std::string languageId = "English";
    int maxFps = 30;
    int volume = 80;
    bool turnOffAudio = false;
    bool turnOffVsync = false;
    bool airProofQuestion = false;
    int resolutionMode = kResolutionMiddle;
    int cursorSize = 1;
    int codecType = kCodecAuto;
    bool showResolutionConfirm = true;
    bool changeResolution = false;

    // Derived values the main dialog keeps beside them.
    bool JpegQualityChanged() const { return jpegQuality != kNormalJpegQuality; }
    bool LibraryLogWanted() const { return !logFile.empty(); }
};

}  // namespace pemuapp
