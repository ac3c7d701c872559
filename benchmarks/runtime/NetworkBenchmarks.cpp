// Figures of the runtime as a whole: latency over loopback, behaviour under
// clock drift, CPU per second of audio, and the quality of rate conversion.
// Each runs once and reports its figures as counters.

#include "ChildProcess.h"
#include "RateConverter.h"
#include "RuntimeTestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <numeric>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

using namespace std::chrono;

namespace
{
    int64_t nowTimestamp()
    {
        return duration_cast<duration<int64_t, std::ratio<1, 10000000>>> (system_clock::now().time_since_epoch()).count();
    }

    double percentile (std::vector<double> values, double p)
    {
        if (values.empty())
            return 0.0;

        std::sort (values.begin(), values.end());
        return values[(size_t) (p * (double) (values.size() - 1))];
    }

    /** The URL the finders list for a source, once they list it. */
    std::string urlOf (const std::string& ndiName)
    {
        rt::Library library;
        NDIlib_find_create_t settings { true, nullptr, nullptr };
        auto* finder = NDIlib_find_create_v3 (&settings, nullptr);
        std::string url;

        for (int i = 0; i < 100 && url.empty(); ++i)
        {
            library.table->find_wait_for_sources (finder, 100);
            uint32_t count = 0;
            const auto* sources = NDIlib_find_get_current_sources_v2 (finder, &count);

            for (uint32_t s = 0; s < count; ++s)
                if (ndiName == sources[s].p_ndi_name)
                    url = sources[s].p_url_address;
        }

        library.table->find_destroy (finder);
        return url;
    }

    /** Captures block samples at 48 kHz in real time from capture for a while. */
    template <typename Callback>
    void captureInRealTime (rt::Capture& capture, int block, duration<double> length, Callback&& onFrame)
    {
        const auto start = steady_clock::now();

        for (int i = 1; steady_clock::now() - start < length; ++i)
        {
            NDIlib_audio_frame_v3_t frame {};
            NDIlib_framesync_capture_audio_v2 (capture.frameSync, &frame, 48000, 0, block);
            onFrame (frame);
            capture.library.table->framesync_free_audio_v2 (capture.frameSync, &frame);
            std::this_thread::sleep_until (start + duration_cast<steady_clock::duration> (duration<double> (i * block / 48000.0)));
        }
    }
}

//==============================================================================
// From the sender tool's send call (the production time of a sample, carried
// in the stream) to the capture that returns it as its first sample, over TCP
// on loopback; the sender in another process, sending 2 ms blocks.
static void latencyOverLoopback (benchmark::State& state)
{
    const int block = (int) state.range (0);
    const auto name = rt::uniqueName ("Latency");
    rt::ChildProcess sender ({ rt::senderTool(), "--name", name, "--rate", "48000", "--channels", "2" });
    std::string line;
    sender.readLine (line, 20s);

    rt::Capture capture (rt::ndiNameFor (name));
    std::vector<double> latencies;

    for (auto _ : state)
    {
        captureInRealTime (capture, block, 3s, [] (const auto&) {});    // connect and settle

        captureInRealTime (capture, block, 10s, [&] (const NDIlib_audio_frame_v3_t& frame)
        {
            if (frame.timestamp != 0)
                latencies.push_back ((double) (nowTimestamp() - frame.timestamp) / 10000.0);
        });
    }

    const auto stats = capture.stats();
    state.counters["mean_ms"] = latencies.empty() ? 0.0 : std::accumulate (latencies.begin(), latencies.end(), 0.0) / (double) latencies.size();
    state.counters["p50_ms"] = percentile (latencies, 0.5);
    state.counters["p99_ms"] = percentile (latencies, 0.99);
    state.counters["max_ms"] = percentile (latencies, 1.0);
    state.counters["target_ms"] = stats.target_latency_ms;
    state.counters["underruns"] = (double) stats.underruns;
    state.SetLabel ("capture blocks of " + std::to_string (block) + " at 48 kHz");
}

BENCHMARK (latencyOverLoopback)->ArgName ("block")->Arg (64)->Arg (256)->Iterations (1)->Unit (benchmark::kMillisecond);

//==============================================================================
// Drift on a simulated link (virtual time): the sender's clock off by the
// given ppm. Settling: the time after which the lowest level of each second
// stays within 0.25 ms of the target (the loop holds the least level). Band:
// the lowest and highest level after each capture from then on.
static void driftBandAndSettling (benchmark::State& state)
{
    rt::LinkSettings settings;
    settings.sourceRate = (int) state.range (0);
    settings.outputRate = (int) state.range (1);
    settings.senderPpm = (double) state.range (2);
    settings.sendBlock = settings.sourceRate / 500;
    settings.captureBlock = 512;

    std::vector<std::pair<double, double>> levels;      // time, level after capture
    double target = 0.0;

    for (auto _ : state)
    {
        rt::SimulatedLink link (rt::uniqueName ("Drift"), settings, rt::Tone (440.0, { 0.5f, 0.5f }));
        link.run (120.0, [&] (double time, const auto&) { levels.emplace_back (time, link.stats().buffered_ms); });
        target = link.stats().target_latency_ms;
        state.counters["underruns"] = (double) link.stats().underruns;
        state.counters["overflows"] = (double) link.stats().overflows;
        state.counters["trim_ppm"] = (link.stats().rate_adjustment - 1.0) * 1e6;
    }

    // The lowest level of each second, and the last second where it was off.
    const size_t perSecond = (size_t) (settings.outputRate / settings.captureBlock);
    double settledAt = 0.0;

    for (size_t start = 0; start + perSecond <= levels.size(); start += perSecond)
    {
        double lowest = 1e9;

        for (size_t i = start; i < start + perSecond; ++i)
            lowest = std::min (lowest, levels[i].second);

        if (std::abs (lowest - target) > 0.25)
            settledAt = levels[start + perSecond - 1].first;
    }

    double low = 1e9, high = -1e9;

    for (const auto& [time, level] : levels)
        if (time > settledAt)
        {
            low = std::min (low, level);
            high = std::max (high, level);
        }

    state.counters["target_ms"] = target;
    state.counters["settled_after_s"] = settledAt;
    state.counters["band_low_ms"] = low;
    state.counters["band_high_ms"] = high;
}

BENCHMARK (driftBandAndSettling)
    ->ArgNames ({ "in", "out", "ppm" })
    ->Args ({ 48000, 48000, 1000 })->Args ({ 48000, 48000, -1000 })
    ->Args ({ 44100, 48000, 1000 })->Args ({ 44100, 48000, -1000 })
    ->Args ({ 96000, 44100, 1000 })->Args ({ 96000, 44100, -1000 })
    ->Iterations (1)->Unit (benchmark::kMillisecond);

//==============================================================================
// Drift in real time: the sender tool in another process with its clock off by
// the given ppm, 44.1 kHz into captures of 512 at 48 kHz over loopback. Reports
// the trim the control loop has learnt (it should approach -ppm), and the level
// band and underruns over the last 30 of 75 seconds.
static void driftOverLoopback (benchmark::State& state)
{
    const auto ppm = std::to_string (state.range (0));
    const auto name = rt::uniqueName ("Drifting");
    rt::ChildProcess sender ({ rt::senderTool(), "--name", name, "--rate", "44100", "--ppm", ppm });
    std::string line;
    sender.readLine (line, 20s);

    rt::Capture capture (rt::ndiNameFor (name));
    double low = 1e9, high = -1e9;
    uint64_t underrunsBefore = 0;

    for (auto _ : state)
    {
        captureInRealTime (capture, 512, 45s, [] (const auto&) {});
        underrunsBefore = capture.stats().underruns;

        captureInRealTime (capture, 512, 30s, [&] (const auto&)
        {
            const double level = capture.stats().buffered_ms;
            low = std::min (low, level);
            high = std::max (high, level);
        });
    }

    const auto stats = capture.stats();
    state.counters["trim_ppm"] = (stats.rate_adjustment - 1.0) * 1e6;
    state.counters["band_low_ms"] = low;
    state.counters["band_high_ms"] = high;
    state.counters["target_ms"] = stats.target_latency_ms;
    state.counters["underruns_settled"] = (double) (stats.underruns - underrunsBefore);
    state.counters["underruns_settling"] = (double) underrunsBefore;
}

BENCHMARK (driftOverLoopback)->ArgName ("ppm")->Arg (1000)->Arg (-1000)->Iterations (1)->Unit (benchmark::kMillisecond);

//==============================================================================
// CPU time of this process (all its threads: sending, TCP serving, receiving,
// capturing, and the runtime's services) per second of audio, sender and
// receiver in one process joined over TCP on loopback: 2 ms blocks at 44.1 kHz
// sent, blocks of 512 at 48 kHz captured, in real time.
static void cpuPerSecondOfAudio (benchmark::State& state)
{
    const int channels = (int) state.range (0);
    rt::Sender sender (rt::uniqueName ("Cpu"));

    // A receiver given the sender's URL goes over TCP, not through the process.
    rt::Library library;
    NDIlib_recv_create_v3_t receiverSettings {};
    const auto url = urlOf (sender.ndiName());
    receiverSettings.source_to_connect_to.p_ndi_name = "by URL";
    receiverSettings.source_to_connect_to.p_url_address = url.c_str();
    auto* receiver = NDIlib_recv_create_v4 (&receiverSettings, nullptr);
    auto* frameSync = library.table->framesync_create (receiver);

    std::atomic<bool> sending { true };
    std::thread sendThread ([&]
    {
        // One second of audio made in advance and sent again and again, so
        // that making it costs nothing in the loop.
        std::vector<float> second;

        for (const auto& channel : rt::Tone (1000.0, std::vector<float> ((size_t) channels, 0.25f)).next (44100, 44100))
            second.insert (second.end(), channel.begin(), channel.end());

        const auto start = steady_clock::now();

        for (int i = 1; sending; ++i)
        {
            const int offset = (i * 88) % (44100 - 88);
            NDIrt_send_audio (sender.instance, second.data() + offset, 44100, channels, 88, 44100 * (int) sizeof (float));
            std::this_thread::sleep_until (start + duration_cast<steady_clock::duration> (duration<double> (i * 88 / 44100.0)));
        }
    });

    const auto cpuSeconds = []
    {
        rusage usage {};
        getrusage (RUSAGE_SELF, &usage);
        return (double) usage.ru_utime.tv_sec + (double) usage.ru_stime.tv_sec
             + ((double) usage.ru_utime.tv_usec + (double) usage.ru_stime.tv_usec) / 1e6;
    };

    double cpu = 0.0, audio = 0.0;
    uint64_t underruns = 0;

    for (auto _ : state)
    {
        std::this_thread::sleep_for (1s);
        const double before = cpuSeconds();
        const auto start = steady_clock::now();

        for (int i = 1; steady_clock::now() - start < 4s; ++i)
        {
            NDIlib_audio_frame_v3_t frame {};
            NDIlib_framesync_capture_audio_v2 (frameSync, &frame, 48000, 0, 512);
            library.table->framesync_free_audio_v2 (frameSync, &frame);
            std::this_thread::sleep_until (start + duration_cast<steady_clock::duration> (duration<double> (i * 512 / 48000.0)));
        }

        cpu = cpuSeconds() - before;
        audio = duration<double> (steady_clock::now() - start).count();
        NDIrt_framesync_stats_t stats {};
        NDIrt_framesync_get_stats (frameSync, &stats);
        underruns = stats.underruns;
    }

    sending = false;
    sendThread.join();
    NDIlib_framesync_destroy (frameSync);
    library.table->recv_destroy (receiver);

    state.counters["cpu_ms_per_audio_s"] = 1000.0 * cpu / audio;
    state.counters["cpu_percent"] = 100.0 * cpu / audio;
    state.counters["underruns"] = (double) underruns;
}

BENCHMARK (cpuPerSecondOfAudio)->ArgName ("channels")->Arg (2)->Arg (8)->Arg (64)->Iterations (1)->Unit (benchmark::kMillisecond);

//==============================================================================
// Everything but a 1 kHz tone after conversion from 44.1 kHz to 48 kHz, in dB
// below the tone: the converter alone at its fixed ratio, and the whole
// synchroniser on a simulated link (whose control loop trims the ratio).
static void conversionResidual (benchmark::State& state)
{
    std::vector<float> converted, synchronised;

    for (auto _ : state)
    {
        ndirt::RateConverter converter;
        converter.setup (44100, 48000, 1);
        ndirt::SampleQueue queue;
        queue.reset (1, 44100);
        rt::Tone tone (1000.0, { 0.5f });

        while (converted.size() < 48000 + 4800)
        {
            while (queue.size() < 1024)
                queue.pushPlanar (tone.next (256, 44100).front().data(), 256, 256);

            std::vector<float> out (512);
            converter.process (queue, out.data(), 512);
            converted.insert (converted.end(), out.begin(), out.end());
        }

        converted.erase (converted.begin(), converted.begin() + 4800);

        rt::LinkSettings settings;
        settings.sourceRate = 44100;
        settings.sendBlock = 88;
        settings.captureBlock = 512;
        rt::SimulatedLink link (rt::uniqueName ("Residual"), settings, rt::Tone (1000.0, { 0.5f }));
        link.run (30.0);
        link.run (1.0, [&] (double, const auto& channels) { synchronised.insert (synchronised.end(), channels[0].begin(), channels[0].end()); });
    }

    state.counters["converter_dB"] = rt::residualDb (converted, 1000.0, 48000);
    state.counters["synchroniser_dB"] = rt::residualDb (synchronised, 1000.0, 48000);
}

BENCHMARK (conversionResidual)->Iterations (1)->Unit (benchmark::kMillisecond);
