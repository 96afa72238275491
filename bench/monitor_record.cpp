// orvane-monitor-record: records a sound server's source (the callouts' null sink's monitor)
// as raw signed 16-bit mono samples, with the stream's own timing beside them. After each read
// of 5 ms it writes a line "NS SAMPLES LATENCY_US" to TIMES: the wall clock's time when the read
// returned, how many samples have been read in all, and the stream's latency then as the
// server reports it (how long ago the next sample to be read reached the source). Each line
// thus places the recording on the wall clock: its first sample reached the source at
// NS - LATENCY_US - SAMPLES / RATE.
//
//   orvane-monitor-record SOURCE RATE RECORDING TIMES
//
// The server is the one PULSE_SERVER names. Runs until SIGINT or SIGTERM; exits 0 then, 1 when
// the server cannot be recorded, 2 for bad arguments.

#include <pulse/error.h>
#include <pulse/simple.h>

#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

volatile sig_atomic_t stopping = 0;

void onSignal(int) {
    stopping = 1;
}

std::int64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::atoi(argv[2]) < 1000) {
        std::fprintf(stderr, "usage: orvane-monitor-record SOURCE RATE RECORDING TIMES\n");
        return 2;
    }
    const int rate = std::atoi(argv[2]);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(rate), 1};
    // Small fragments, so that each read is as close to the source as the server allows.
    const std::size_t chunk = std::size_t(rate / 200); // 5 ms
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(-1);
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(chunk * sizeof(std::int16_t));
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "orvane-bench", PA_STREAM_RECORD, argv[1],
                                      "callouts' monitor", &format, nullptr, &attr, &error);
    if (!stream) {
        std::fprintf(stderr, "orvane-monitor-record: %s\n", pa_strerror(error));
        return 1;
    }
    FILE* recording = std::fopen(argv[3], "wb");
    FILE* times = std::fopen(argv[4], "w");
    if (!recording || !times) {
        std::perror("orvane-monitor-record");
        return 1;
    }
    std::vector<std::int16_t> samples(chunk);
    std::uint64_t total = 0;
    int status = 0;
    while (!stopping) {
        if (pa_simple_read(stream, samples.data(), chunk * sizeof(std::int16_t), &error) < 0) {
            if (stopping)
                break;
            std::fprintf(stderr, "orvane-monitor-record: %s\n", pa_strerror(error));
            status = 1;
            break;
        }
        const std::int64_t at = nowNs();
        const pa_usec_t latency = pa_simple_get_latency(stream, &error);
        total += chunk;
        std::fwrite(samples.data(), sizeof(std::int16_t), chunk, recording);
        if (latency != pa_usec_t(-1))
            std::fprintf(times, "%lld %llu %llu\n", static_cast<long long>(at),
                         static_cast<unsigned long long>(total),
                         static_cast<unsigned long long>(latency));
    }
    std::fclose(recording);
    std::fclose(times);
    pa_simple_free(stream);
    return status;
}
