// SPDX-License-Identifier: GPL-3.0-or-later
// Records a PulseAudio source (a sink's monitor, as a rule) as raw s16le
// 44100 Hz stereo on stdout, and logs after each read when the frames read
// so far were heard:
//
//   monotonic_ns frames_read_so_far record_latency_us
//
// For a monitor, the record latency the server reports leaves out what the
// sink holds ahead of its clock, so the frame at the read position was
// heard at monotonic_ns - record_latency_us (negative while the sink still
// holds it): the sink's own buffer does not blur the time. On a sink of
// hundreds of ms the latency strays by tens of ms, more after rewinds;
// bench_commands takes it from settled play only.
//
// The fragment is large and the stream does not ask the server to adjust
// latencies, so recording does not pull the sink's latency down to its own
// and the sink runs as the player set it. --adjust-latency restores the
// pull, for checking the timing against a short recording latency.
#include <pulse/pulseaudio.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

struct Recording {
    FILE *log = nullptr;
    uint64_t framesRead = 0;
    bool failed = false;
};

int64_t monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool writeAll(const void *data, size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = write(STDOUT_FILENO, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

void onReadable(pa_stream *stream, size_t, void *userdata)
{
    auto *rec = static_cast<Recording *>(userdata);
    while (pa_stream_readable_size(stream) > 0) {
        const void *data = nullptr;
        size_t size = 0;
        if (pa_stream_peek(stream, &data, &size) < 0) {
            rec->failed = true;
            return;
        }
        if (size == 0)
            break;
        // A hole in the server's queue is time that passed unrecorded:
        // writing it as silence keeps the frame count a clock.
        if (data ? !writeAll(data, size) : !writeAll(std::string(size, '\0').data(), size)) {
            rec->failed = true;
            return;
        }
        pa_stream_drop(stream);
        rec->framesRead += size / 4;
        // Interpolated from the last timing answer: asking for a fresh one
        // at each read makes the latency stray further on a long sink.
        pa_usec_t latency = 0;
        int negative = 0;
        if (rec->log && pa_stream_get_latency(stream, &latency, &negative) == 0) {
            std::fprintf(rec->log, "%lld %llu %s%llu\n", (long long)monotonicNs(),
                         (unsigned long long)rec->framesRead, negative ? "-" : "",
                         (unsigned long long)latency);
            std::fflush(rec->log);
        }
    }
}

int usage()
{
    std::fprintf(stderr, "usage: record_monitor [--fragment-ms N] [--adjust-latency] [--log FILE] SOURCE\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int fragmentMs = 2000;
    bool adjust = false;
    const char *logPath = nullptr;
    const char *source = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--fragment-ms" && i + 1 < argc)
            fragmentMs = std::atoi(argv[++i]);
        else if (arg == "--adjust-latency")
            adjust = true;
        else if (arg == "--log" && i + 1 < argc)
            logPath = argv[++i];
        else if (arg[0] != '-' && !source)
            source = argv[i];
        else
            return usage();
    }
    if (!source || fragmentMs <= 0)
        return usage();

    Recording rec;
    if (logPath && !(rec.log = std::fopen(logPath, "w"))) {
        std::perror(logPath);
        return 1;
    }
    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), "record_monitor");
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        std::fprintf(stderr, "record_monitor: %s\n", pa_strerror(pa_context_errno(context)));
        return 1;
    }
    pa_stream *stream = nullptr;
    for (;;) {
        if (pa_mainloop_iterate(loop, 1, nullptr) < 0)
            return 1;
        const pa_context_state_t state = pa_context_get_state(context);
        if (!PA_CONTEXT_IS_GOOD(state)) {
            std::fprintf(stderr, "record_monitor: %s\n", pa_strerror(pa_context_errno(context)));
            return 1;
        }
        if (state != PA_CONTEXT_READY)
            continue;
        if (!stream) {
            const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
            stream = pa_stream_new(context, "monitor recording", &format, nullptr);
            pa_stream_set_read_callback(stream, onReadable, &rec);
            pa_buffer_attr attr;
            std::memset(&attr, 0xff, sizeof attr);  // the server's defaults but for the fragment
            attr.fragsize = uint32_t(pa_usec_to_bytes(pa_usec_t(fragmentMs) * 1000, &format));
            auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
            if (adjust)
                flags = pa_stream_flags_t(flags | PA_STREAM_ADJUST_LATENCY);
            if (pa_stream_connect_record(stream, source, &attr, flags) < 0)
                break;
        }
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) || rec.failed)
            break;
    }
    std::fprintf(stderr, "record_monitor: %s\n",
                 rec.failed ? "stdout closed" : pa_strerror(pa_context_errno(context)));
    return 1;
}
