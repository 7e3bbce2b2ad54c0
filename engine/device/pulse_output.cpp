#include "pulse_output.h"

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include <chrono>

namespace {

uint32_t bytesFor(int ms) { return uint32_t(kSampleRate * ms / 1000 * kBytesPerFrame); }

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
            pa_buffer_attr attr {};
            attr.maxlength = uint32_t(-1);
            attr.tlength = bytesFor(kTargetLatencyMs);
            attr.prebuf = bytesFor(kStartThresholdMs);
            attr.minreq = bytesFor(kRequestMs);
            attr.fragsize = uint32_t(-1);
            // Without latency adjustment the buffer asked for is the whole
            // of it and the server keeps tlength - 2 * minreq of it in the
            // sink: the sink wakes half as often as when the server splits
            // the latency. A flush or cork still takes effect at once, the
            // server rewinds what the sink holds.
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
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
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

void PulseOutput::onRequest(pa_stream *, size_t, void *self) { static_cast<PulseOutput *>(self)->wake(); }

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

bool PulseOutput::write(const char *pcm, qint64 bytes)
{
    LoopLock lock(m_loop);
    if (!isGood())
        return false;
    const int64_t offset = -m_seekBackBytes;
    m_seekBackBytes = 0;
    return pa_stream_write(m_stream, pcm, size_t(bytes), nullptr, offset, PA_SEEK_RELATIVE) == 0;
}

qint64 PulseOutput::writableFrames()
{
    LoopLock lock(m_loop);
    if (!isGood())
        return 0;
    const size_t bytes = pa_stream_writable_size(m_stream);
    if (bytes == size_t(-1))
        return 0;
    return qint64(bytes) / kBytesPerFrame + m_seekBackBytes / kBytesPerFrame;
}

qint64 PulseOutput::bufferedFrames()
{
    LoopLock lock(m_loop);
    pa_usec_t usec = 0;
    int negative = 0;
    if (!isGood() || pa_stream_get_latency(m_stream, &usec, &negative) < 0 || negative)
        return 0;
    return qint64(usec * kSampleRate / 1000000) - m_seekBackBytes / kBytesPerFrame;
}

void PulseOutput::discard()
{
    LoopLock lock(m_loop);
    m_seekBackBytes = 0;
    if (!isGood())
        return;
    if (pa_operation *op = pa_stream_flush(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
    // The latency known until now describes the stream before the flush.
    if (pa_operation *op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
}

// The next write moves back over the dropped frames and the server
// overwrites them; the writer fills at least as much at once.
void PulseOutput::dropNewest(qint64 frames)
{
    LoopLock lock(m_loop);
    m_seekBackBytes += frames * kBytesPerFrame;
}

void PulseOutput::hold(bool held)
{
    LoopLock lock(m_loop);
    if (held == m_held || !isGood())
        return;
    m_held = held;
    if (pa_operation *op = pa_stream_cork(m_stream, held ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
    if (pa_operation *op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
}
