// MediaPlayback: a local video or audio file streamed to the receivers the
// user has checked in the receiver list: the file's checks, play, pause,
// stop, mute, repeat, volume, seek and the one-second progress of the knob
// (194 pixels over the file's duration).
//
// The checked rows come through CheckedReceivers (the list view's projector
// rows); the main page offers no media buttons, so the window's own
// controls, if it has any, call these operations.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/features/media_probe.h"

namespace pemuapp {

class FeatureHost;

inline constexpr float kSliderWidth = 194.0f;
inline constexpr float kSliderTickLimit = 188.0f;
inline constexpr uint32_t kCmdToggleRepeat = 2011;

// The checked projector rows of the receiver list. Each operation acts on
// every checked row whose receiver is connected and returns how many rows
// it reached.
class CheckedReceivers {
public:
    virtual ~CheckedReceivers() = default;
    virtual int CheckedCount() = 0;
    virtual int StopPlayImage() = 0;
    virtual int PlayVideoFile(const std::string& path) = 0;
    virtual int PlayAudioFile(const std::string& path) = 0;
    virtual int PauseVideoFile() = 0;
    virtual int ResumeVideoFile() = 0;
    virtual int StopVideoFile() = 0;
    virtual int SeekVideoFile(int seconds) = 0;
    virtual int MuteUnmute() = 0;
    virtual int SetRepeat(bool on) = 0;
    virtual int SetVolume(int level) = 0;
};

class MediaPlayback {
public:
    using ProbeFactory = std::function<std::unique_ptr<MediaFacts>()>;

    // `probes` makes a probe per chosen file (null: the library is absent).
    MediaPlayback(FeatureHost& host, CheckedReceivers& rows, ProbeFactory probes);

    // The checks of a file the user chose; `path` when it may be played,
    // empty when it is refused ("Unsupported file format!" shown, except
    // for "m4t", which is refused silently).
    std::string ChooseMediaFile(const std::string& path);
    // 1 to 4 checked rows; otherwise the warning and false.
    bool CheckReceiverSelection();
    bool PlayMediaFile(const std::string& path);
    // The one-second progress step (timer 168).
    void Tick();
    bool TogglePauseMedia();
    bool StopMedia();
    void ToggleMediaMute();
    void ToggleMediaRepeat();
    void SetMediaVolume(int level);
    // The knob let go at `x` pixels: seek to x × duration / 194 seconds.
    void SeekMediaFile(float x);
    // The knob dragged to `x` while a file plays.
    void OnSliderMoved(float x);
    float GetSliderPosition() const;

    int Duration() const { return m_duration; }
    bool AudioFile() const { return m_audioFile; }
    bool TickArmed() const { return m_tickArmed; }
    bool Playing() const { return m_playing; }
    bool Paused() const { return m_paused; }
    bool Muted() const { return m_muted; }
    bool Repeat() const { return m_repeat; }

private:
    bool MediaPlaying();
    std::string Refuse();

    FeatureHost& m_host;
    CheckedReceivers& m_rows;
    ProbeFactory m_probes;
    int m_duration = 0;  // whole seconds
    bool m_audioFile = false;
    float m_position = 0.0f;
    bool m_progressRunning = false;
    bool m_tickArmed = false;
    bool m_playing = false;
    bool m_paused = false;
    bool m_muted = false;
    bool m_repeat = false;
    int m_volume = 0;
};

}  // namespace pemuapp
