// The frame synchroniser's capture: time per call of 512 samples, with and
// without rate conversion, for several channel counts.

#include "RuntimeTestSupport.h"

#include <benchmark/benchmark.h>

namespace
{
    /** Args: source rate, output rate, channels. Each iteration sends the
        source's share of 512 output samples (untimed) and captures 512. */
    void captureOf512 (benchmark::State& state)
    {
        const int sourceRate = (int) state.range (0);
        const int outputRate = (int) state.range (1);
        const int channels = (int) state.range (2);
        const int block = 512;

        rt::Sender sender (rt::uniqueName ("Benchmark"));
        rt::Capture capture (sender.ndiName());
        rt::Tone tone (1000.0, std::vector<float> ((size_t) channels, 0.5f));

        long long sent = 0, captured = 0;

        for (auto _ : state)
        {
            state.PauseTiming();

            while (sent * outputRate < (captured + block) * (long long) sourceRate + sourceRate / 100LL * outputRate)
            {
                sender.send (tone.next (sourceRate / 1000, sourceRate), sourceRate);
                sent += sourceRate / 1000;
            }

            state.ResumeTiming();

            NDIlib_audio_frame_v3_t frame {};
            NDIlib_framesync_capture_audio_v2 (capture.frameSync, &frame, outputRate, 0, block);
            benchmark::DoNotOptimize (frame.p_data);
            capture.library.table->framesync_free_audio_v2 (capture.frameSync, &frame);
            captured += block;
        }

        state.counters["underruns"] = (double) capture.stats().underruns;
        state.SetLabel (std::to_string (sourceRate) + " Hz -> " + std::to_string (outputRate) + " Hz, "
                        + std::to_string (channels) + " channels");
    }
}

BENCHMARK (captureOf512)
    ->ArgNames ({ "in", "out", "channels" })
    ->Args ({ 48000, 48000, 2 })
    ->Args ({ 44100, 48000, 2 })
    ->Args ({ 96000, 44100, 2 })
    ->Args ({ 48000, 48000, 8 })
    ->Args ({ 44100, 48000, 8 })
    ->Args ({ 48000, 48000, 64 })
    ->Args ({ 44100, 48000, 64 })
    ->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
