// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulse_output.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>
#include <pulse/volume.h>

#include <chrono>
#include <cmath>
#include <vector>

namespace {

uint32_t bytesFor(int ms) { return uint32_t(kSampleRate * ms / 1000 * kBytesPerFrame); }

// Silence kept queued while no sound is: the stream never runs dry, for a
// server ends a stream's underrun by rewinding its sink, and a sink's
// monitor loses what follows such a rewind. After this long the stream is
// corked instead, so that the sink can go to sleep.
constexpr qint64 kIdleSilenceFrames = qint64(kSampleRate) * 10;

// Holds libpulse's lock for one call; the loop's own thread never waits on
// the server, so taking it is quick even when the server has stopped.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop *loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

constexpr int kTickMs = 50;

void rearm(pa_mainloop_api *api, pa_time_event *event)
{
    timeval when {};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(kTickMs) * 1000);
    api->time_restart(event, &when);
}

} // namespace

std::unique_ptr<PulseOutput> PulseOutput::connect(const std::function<bool()> &cancelled)
{
    std::unique_ptr<PulseOutput> output(new PulseOutput);
    if (!output->open(cancelled))
        return nullptr;
    return output;
}

bool PulseOutput::open(const std::function<bool()> &cancelled)
{
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return false;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), VELOR_PRODUCT_NAME);
    if (!m_context)
        return false;
    pa_context_set_state_callback(m_context, [](pa_context *, void *self) { onStateChange(self); }, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    if (pa_threaded_mainloop_start(m_loop) < 0)
        return false;
    return waitUntilReady(cancelled);
}

// Waits for the context and then the stream, looking up every tick whether
// to give up, so that a server which accepts the connection but never
// answers costs at most the time-out.
bool PulseOutput::waitUntilReady(const std::function<bool()> &cancelled)
{
    LoopLock lock(m_loop);
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(m_loop);
    timeval first {};
    pa_gettimeofday(&first);
    pa_time_event *tick = api->time_new(
        api, &first, [](pa_mainloop_api *a, pa_time_event *e, const timeval *, void *self) {
            rearm(a, e);
            onTick(self);
        },
        this);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    bool ready = false;
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (!PA_CONTEXT_IS_GOOD(state))
            break;
        if (state == PA_CONTEXT_READY && !m_stream) {
            pa_sample_spec format {};
            format.format = PA_SAMPLE_S16LE;
            format.rate = kSampleRate;
            format.channels = 2;
            m_stream = pa_stream_new(m_context, "CD audio", &format, nullptr);
            if (!m_stream)
                break;
            pa_stream_set_state_callback(m_stream, [](pa_stream *, void *self) { onStateChange(self); }, this);
            pa_stream_set_write_callback(m_stream, &PulseOutput::onRequest, this);
            pa_stream_set_latency_update_callback(m_stream, &PulseOutput::onTimed, this);
            pa_buffer_attr attr {};
            attr.maxlength = uint32_t(-1);
            attr.tlength = bytesFor(kTargetLatencyMs);
            attr.prebuf = bytesFor(kStartThresholdMs);
            attr.minreq = bytesFor(kRequestMs);
            attr.fragsize = uint32_t(-1);
            // Without latency adjustment the buffer asked for is the whole
            // of it and the server asks the sink for a latency of
            // tlength - 2 * minreq.
            const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
            if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
                break;
        }
        if (m_stream) {
            const pa_stream_state_t streamState = pa_stream_get_state(m_stream);
            if (!PA_STREAM_IS_GOOD(streamState))
                break;
            if (streamState == PA_STREAM_READY) {
                ready = true;
                break;
            }
        }
        if (cancelled() || std::chrono::steady_clock::now() > deadline)
            break;
        pa_threaded_mainloop_wait(m_loop);
    }
    api->time_free(tick);
    return ready;
}

PulseOutput::~PulseOutput()
{
    if (m_loop)
        pa_threaded_mainloop_stop(m_loop);
    // With the loop stopped nothing else touches the objects; nothing below
    // waits for the server.
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_set_latency_update_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_loop)
        pa_threaded_mainloop_free(m_loop);
}

void PulseOutput::onStateChange(void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    pa_threaded_mainloop_signal(output->m_loop, 0);
    output->wake();
}

void PulseOutput::onRequest(pa_stream *, size_t, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    output->keepIdleStreamFed();
    output->wake();
}

// A replacing write is placed once the server's timing counts it: the
// write index turns valid only with an update of the timing, which comes
// through here.
void PulseOutput::onTimed(pa_stream *, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    output->learnWriteIndex();
    if (output->m_held)
        output->wake();
}

void PulseOutput::onTick(void *self) { pa_threaded_mainloop_signal(static_cast<PulseOutput *>(self)->m_loop, 0); }

void PulseOutput::wake()
{
    if (m_wakeup)
        m_wakeup();
}

void PulseOutput::setWakeup(std::function<void()> wakeup)
{
    LoopLock lock(m_loop);
    m_wakeup = std::move(wakeup);
}

bool PulseOutput::isGood() const
{
    return PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) && pa_stream_get_state(m_stream) == PA_STREAM_READY;
}

bool PulseOutput::failed()
{
    LoopLock lock(m_loop);
    return !isGood();
}

// Writes silence or sound; false when the stream is gone. A replacing
// write goes where the server reads now, over what the stream held.
bool PulseOutput::writeLocked(const char *pcm, qint64 bytes, bool replacing, bool audio)
{
    const int64_t offset = replacing ? 0 : -m_seekBackBytes;
    m_seekBackBytes = 0;
    const pa_seek_mode_t seek = replacing ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE;
    if (pa_stream_write(m_stream, pcm, size_t(bytes), nullptr, offset, seek) != 0)
        return false;
    const qint64 frames = bytes / kBytesPerFrame;
    if (replacing)
        m_ledger.replaced(frames, audio);
    else
        m_ledger.appended(frames, audio);
    return true;
}

void PulseOutput::writeSilence(qint64 frames, bool replacing)
{
    const std::vector<char> silence(size_t(frames * kBytesPerFrame), 0);
    writeLocked(silence.data(), qint64(silence.size()), replacing, false);
}

bool PulseOutput::write(const char *pcm, qint64 bytes)
{
    LoopLock lock(m_loop);
    if (!isGood())
        return false;
    const bool replacing = m_idle;
    m_idle = false;
    if (!writeLocked(pcm, bytes, replacing, true))
        return false;
    if (m_corked)
        cork(false);
    return true;
}

// While nothing sounds, silence fills whatever room the server asks for,
// until the stream has been idle long enough to cork it.
void PulseOutput::keepIdleStreamFed()
{
    if (!m_idle || m_corked || !isGood())
        return;
    if (m_idleFrames >= kIdleSilenceFrames) {
        cork(true);
        return;
    }
    const size_t room = pa_stream_writable_size(m_stream);
    if (room == 0 || room == size_t(-1))
        return;
    const qint64 frames = qint64(room) / kBytesPerFrame;
    m_idleFrames += frames;
    writeSilence(frames, false);
}

// What the sink has not played of the stream is replaced by silence, at
// once: no rewind, so the sink plays out at most its own short latency of
// the old sound. The next sound replaces that silence where the server
// then reads.
void PulseOutput::silenceFromNow()
{
    m_idle = true;
    m_idleFrames = 0;
    m_seekBackBytes = 0;
    writeSilence(bytesFor(kTargetLatencyMs) / kBytesPerFrame, true);
}

void PulseOutput::learnWriteIndex()
{
    const pa_timing_info *timing = pa_stream_get_timing_info(m_stream);
    if (timing && !timing->write_index_corrupt)
        m_ledger.timed(timing->write_index / kBytesPerFrame);
}

// Sound that replaces silence need not wait for the server to ask: it goes
// where the server reads, whatever the stream holds.
qint64 PulseOutput::writableFrames()
{
    LoopLock lock(m_loop);
    if (!isGood())
        return 0;
    if (m_idle)
        return bytesFor(kTargetLatencyMs) / kBytesPerFrame;
    const size_t bytes = pa_stream_writable_size(m_stream);
    if (bytes == size_t(-1))
        return 0;
    return qint64(bytes) / kBytesPerFrame + m_seekBackBytes / kBytesPerFrame;
}

// The stream's time is the index of the frame being heard.
qint64 PulseOutput::bufferedFrames()
{
    LoopLock lock(m_loop);
    if (!isGood())
        return 0;
    if (m_held) {
        const qint64 cutOff = m_ledger.audioCutOff();
        return cutOff >= 0 ? cutOff : m_ledger.audioFrames();
    }
    pa_usec_t usec = 0;
    if (pa_stream_get_time(m_stream, &usec) < 0)
        return m_ledger.audioFrames();
    return m_ledger.audioUnheard(qint64(usec * kSampleRate / 1000000));
}

// The timing the server last sent says whether it plays the stream; while
// it does not, newer timing is asked for, so that the start is seen soon.
bool PulseOutput::clockRunning()
{
    LoopLock lock(m_loop);
    if (!isGood())
        return true;
    const pa_timing_info *timing = pa_stream_get_timing_info(m_stream);
    if (timing && timing->playing)
        return true;
    if (pa_operation *op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
    return false;
}

void PulseOutput::discard()
{
    LoopLock lock(m_loop);
    if (isGood())
        silenceFromNow();
}

// The next write moves back over the dropped frames and the server
// overwrites them; the writer fills at least as much at once.
void PulseOutput::dropNewest(qint64 frames)
{
    LoopLock lock(m_loop);
    m_seekBackBytes += frames * kBytesPerFrame;
    m_ledger.tookBack(frames);
}

// A hold is silence from now on, like a drop, but what was cut off stays
// known: the frame where the sound stopped is where it goes on.
void PulseOutput::hold(bool held)
{
    LoopLock lock(m_loop);
    if (held == m_held || !isGood())
        return;
    m_held = held;
    if (held)
        silenceFromNow();
}

bool PulseOutput::holdSettled()
{
    LoopLock lock(m_loop);
    if (!m_held || !isGood())
        return true;
    return m_ledger.audioCutOff() >= 0;
}

void PulseOutput::setVolume(double volume)
{
    AudioOutput::setVolume(volume);
    LoopLock lock(m_loop);
    if (!isGood())
        return;
    pa_cvolume channels {};
    pa_cvolume_set(&channels, pa_stream_get_sample_spec(m_stream)->channels,
                   pa_volume_t(std::lround(volume * PA_VOLUME_NORM)));
    if (pa_operation *op = pa_context_set_sink_input_volume(m_context, pa_stream_get_index(m_stream), &channels,
                                                            nullptr, nullptr))
        pa_operation_unref(op);
}

// The mixer tells of every change to any stream; only this stream's
// volume is asked for and passed on, and only when it moved.
void PulseOutput::setVolumeListener(std::function<void(double)> listener)
{
    LoopLock lock(m_loop);
    m_volumeListener = std::move(listener);
    if (!isGood())
        return;
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context *, pa_subscription_event_type_t event, uint32_t index, void *self) {
            if ((event & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_CHANGE)
                static_cast<PulseOutput *>(self)->onStreamChanged(index);
        },
        this);
    if (pa_operation *op = pa_context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr))
        pa_operation_unref(op);
    askStreamVolume();
}

void PulseOutput::askStreamVolume()
{
    const auto onInfo = [](pa_context *, const pa_sink_input_info *info, int last, void *self) {
        if (!last && info && info->has_volume)
            static_cast<PulseOutput *>(self)->onVolumeSeen(double(pa_cvolume_avg(&info->volume)) / PA_VOLUME_NORM);
    };
    if (pa_operation *op = pa_context_get_sink_input_info(m_context, pa_stream_get_index(m_stream), onInfo, this))
        pa_operation_unref(op);
}

void PulseOutput::onStreamChanged(uint32_t index)
{
    if (isGood() && index == pa_stream_get_index(m_stream))
        askStreamVolume();
}

void PulseOutput::onVolumeSeen(double volume)
{
    if (volume == m_mixerVolume)
        return;
    m_mixerVolume = volume;
    if (m_volumeListener)
        m_volumeListener(volume);
}

// Corking only while idle: the next sound uncorks, and the server then
// rewinds its sink to play it at once.
void PulseOutput::cork(bool corked)
{
    m_corked = corked;
    if (pa_operation *op = pa_stream_cork(m_stream, corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
}
