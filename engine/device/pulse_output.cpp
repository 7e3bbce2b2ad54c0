#include "pulse_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace {
uint32_t bytesFor(int ms) { return uint32_t(kSampleRate * ms / 1000 * kBytesPerFrame); }
}

std::unique_ptr<PulseOutput> PulseOutput::connect()
{
    pa_sample_spec format {};
    format.format = PA_SAMPLE_S16LE;
    format.rate = kSampleRate;
    format.channels = 2;
    pa_buffer_attr attr {};
    attr.maxlength = uint32_t(-1);
    attr.tlength = bytesFor(kTargetLatencyMs);
    attr.prebuf = bytesFor(kStartThresholdMs);
    attr.minreq = bytesFor(kRequestMs);
    attr.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, VELOR_PRODUCT_NAME, PA_STREAM_PLAYBACK, nullptr,
                                      "CD audio", &format, nullptr, &attr, &error);
    if (!stream)
        return nullptr;
    return std::unique_ptr<PulseOutput>(new PulseOutput(stream));
}

PulseOutput::~PulseOutput() { pa_simple_free(m_stream); }

bool PulseOutput::write(const char *pcm, qint64 bytes)
{
    int error = 0;
    return pa_simple_write(m_stream, pcm, size_t(bytes), &error) >= 0;
}

qint64 PulseOutput::bufferedFrames()
{
    int error = 0;
    const pa_usec_t usec = pa_simple_get_latency(m_stream, &error);
    if (usec == pa_usec_t(-1))
        return 0;
    return qint64(usec * kSampleRate / 1000000);
}

void PulseOutput::discard()
{
    int error = 0;
    pa_simple_flush(m_stream, &error);
}

void PulseOutput::drain()
{
    int error = 0;
    pa_simple_drain(m_stream, &error);
}
