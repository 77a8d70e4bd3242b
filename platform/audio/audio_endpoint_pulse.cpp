// The default audio output through the PulseAudio client library: one short
// connection per call, driven by a private main loop with a deadline.
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "platform/audio/audio_endpoint.h"

namespace platform {
namespace {

using Deadline = std::chrono::steady_clock::time_point;

constexpr const char* kDefaultSink = "@DEFAULT_SINK@";

struct MainLoopFree {
    void operator()(pa_mainloop* m) const { pa_mainloop_free(m); }
};
struct ContextEnd {
    void operator()(pa_context* c) const {
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};

struct SinkState {
    bool done = false;
    bool found = false;
    bool muted = false;
    pa_cvolume volume{};
};

// One connection to the sound server for the length of one call.
class PulseCall {
public:
    PulseCall()
        : m_deadline(std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(kAudioCallTimeoutMs)) {
        m_loop.reset(pa_mainloop_new());
        if (!m_loop) {
            return;
        }
        m_context.reset(pa_context_new(pa_mainloop_get_api(m_loop.get()), "Pemu"));
        // No autospawn: a call never starts a sound server of its own.
        if (!m_context ||
            pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            m_context.reset();
            return;
        }
        m_ready = RunUntil([this] {
                      const pa_context_state_t s = pa_context_get_state(m_context.get());
                      return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
                  }) &&
                  pa_context_get_state(m_context.get()) == PA_CONTEXT_READY;
    }
    // The context goes before its main loop.
    ~PulseCall() { m_context.reset(); }

    bool Ready() const { return m_ready; }

    bool ReadSink(SinkState* state) {
        auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
            auto* s = static_cast<SinkState*>(data);
            if (eol != 0) {
                s->done = true;
                return;
            }
            if (info) {
                s->found = true;
                s->muted = info->mute != 0;
                s->volume = info->volume;
            }
        };
        return Wait(pa_context_get_sink_info_by_name(m_context.get(), kDefaultSink, callback,
                                                     state)) &&
               state->found;
    }

    bool SetMute(bool muted) {
        int ok = 0;
        return Wait(pa_context_set_sink_mute_by_name(m_context.get(), kDefaultSink, muted ? 1 : 0,
                                                     &Success, &ok)) &&
               ok;
    }

    bool SetVolume(const pa_cvolume& volume) {
        int ok = 0;
        return Wait(pa_context_set_sink_volume_by_name(m_context.get(), kDefaultSink, &volume,
                                                       &Success, &ok)) &&
               ok;
    }

private:
    static void Success(pa_context*, int success, void* data) {
        *static_cast<int*>(data) = success;
    }

    // Runs the loop until `done` or the deadline.
    template <typename Done>
    bool RunUntil(Done done) {
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                m_deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            if (pa_mainloop_prepare(m_loop.get(), static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(m_loop.get()) < 0 || pa_mainloop_dispatch(m_loop.get()) < 0) {
                return false;
            }
        }
        return true;
    }

    // Waits for an operation to end; false when it fails or times out.
    bool Wait(pa_operation* op) {
        if (!op) {
            return false;
        }
        const bool ended =
            RunUntil([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; });
        if (!ended) {
            pa_operation_cancel(op);
        }
        const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
        pa_operation_unref(op);
        return ended && done;
    }

    Deadline m_deadline;
    std::unique_ptr<pa_mainloop, MainLoopFree> m_loop;
    std::unique_ptr<pa_context, ContextEnd> m_context;
    bool m_ready = false;
};

class AudioEndpointPulse final : public AudioEndpoint {
public:
    bool HasDefaultOutput() override {
        PulseCall call;
        SinkState sink;
        return call.Ready() && call.ReadSink(&sink);
    }
    bool GetMute(bool* muted) override {
        PulseCall call;
        SinkState sink;
        if (!call.Ready() || !call.ReadSink(&sink)) {
            return false;
        }
        *muted = sink.muted;
        return true;
    }
    bool SetMute(bool muted) override {
        PulseCall call;
        return call.Ready() && call.SetMute(muted);
    }
    bool GetVolume(float* scalar) override {
        PulseCall call;
        SinkState sink;
        if (!call.Ready() || !call.ReadSink(&sink) || sink.volume.channels == 0) {
            return false;
        }
        *scalar = std::min(1.0f, static_cast<float>(pa_cvolume_avg(&sink.volume)) /
                                     static_cast<float>(PA_VOLUME_NORM));
        return true;
    }
    bool SetVolume(float scalar) override {
        PulseCall call;
        SinkState sink;
        // The sink's own channel count: a stereo sink gets two values.
        if (!call.Ready() || !call.ReadSink(&sink) || sink.volume.channels == 0) {
            return false;
        }
        const float clamped = std::clamp(scalar, 0.0f, 1.0f);
        pa_cvolume volume{};
        pa_cvolume_set(
            &volume, sink.volume.channels,
            static_cast<pa_volume_t>(clamped * static_cast<float>(PA_VOLUME_NORM) + 0.5f));
        return call.SetVolume(volume);
    }
};

}  // namespace

std::unique_ptr<AudioEndpoint> AudioEndpoint::Create() {
    return std::make_unique<AudioEndpointPulse>();
}

}  // namespace platform
