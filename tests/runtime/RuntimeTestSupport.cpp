#include "RuntimeTestSupport.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <numeric>

#include <unistd.h>

namespace rt
{
    bool Sender::send (const std::vector<std::vector<float>>& channels, int sampleRate)
    {
        const int numSamples = (int) channels.front().size();
        std::vector<float> planar;

        for (const auto& channel : channels)
            planar.insert (planar.end(), channel.begin(), channel.end());

        return NDIrt_send_audio (instance, planar.data(), sampleRate, (int) channels.size(), numSamples,
                                 numSamples * (int) sizeof (float));
    }

    //==============================================================================
    Capture::Capture (const std::string& sourceName)
    {
        NDIlib_recv_create_v3_t settings {};
        settings.source_to_connect_to.p_ndi_name = sourceName.c_str();
        settings.color_format = NDIlib_recv_color_format_UYVY_BGRA;
        settings.bandwidth = NDIlib_recv_bandwidth_audio_only;
        settings.p_ndi_recv_name = "test receiver";

        receiver = NDIlib_recv_create_v4 (&settings, nullptr);
        frameSync = library.table->framesync_create (receiver);
    }

    Capture::~Capture()
    {
        NDIlib_framesync_destroy (frameSync);
        library.table->recv_destroy (receiver);
    }

    std::vector<std::vector<float>> Capture::capture (int sampleRate, int numSamples, NDIlib_audio_frame_v3_t* frameInfo)
    {
        NDIlib_audio_frame_v3_t frame {};
        NDIlib_framesync_capture_audio_v2 (frameSync, &frame, sampleRate, 0, numSamples);

        std::vector<std::vector<float>> channels;

        for (int c = 0; c < frame.no_channels && frame.p_data != nullptr; ++c)
        {
            const auto* data = reinterpret_cast<const float*> (frame.p_data + (size_t) c * (size_t) frame.channel_stride_in_bytes);
            channels.emplace_back (data, data + frame.no_samples);
        }

        if (frameInfo != nullptr)
            *frameInfo = frame;

        library.table->framesync_free_audio_v2 (frameSync, &frame);
        return channels;
    }

    NDIrt_framesync_stats_t Capture::stats() const
    {
        NDIrt_framesync_stats_t result {};
        NDIrt_framesync_get_stats (frameSync, &result);
        return result;
    }

    //==============================================================================
    std::vector<std::vector<float>> Tone::next (int numSamples, int sampleRate)
    {
        std::vector<std::vector<float>> channels (levels.size(), std::vector<float> ((size_t) numSamples));
        const double step = 2.0 * M_PI * hz / sampleRate;

        for (int i = 0; i < numSamples; ++i)
        {
            for (size_t c = 0; c < levels.size(); ++c)
                channels[c][(size_t) i] = levels[c] * (float) std::sin (phase);

            phase = std::fmod (phase + step, 2.0 * M_PI);
        }

        return channels;
    }

    //==============================================================================
    SimulatedLink::SimulatedLink (const std::string& name, LinkSettings settings, Tone toneToSend)
        : link (settings),
          tone (std::move (toneToSend)),
          sender (name),
          capture (sender.ndiName())
    {
        nextBlock = [this] { return tone.next (link.sendBlock, link.sourceRate); };
    }

    //==============================================================================
    void captureInRealTime (Capture& capture, std::chrono::duration<double> length,
                            const std::function<void (const std::vector<std::vector<float>>&)>& onBlock)
    {
        using namespace std::chrono;
        const auto start = steady_clock::now();

        for (int block = 0; steady_clock::now() - start < length; ++block)
        {
            onBlock (capture.capture (48000, 480));
            std::this_thread::sleep_until (start + block * milliseconds (10));
        }
    }

    std::pair<double, double> receivedTone (Capture& capture, std::chrono::duration<double> length)
    {
        std::vector<double> peaks, frequencies;

        captureInRealTime (capture, length, [&] (const auto& channels)
        {
            if (channels.empty())
                return;

            const double peak = *std::max_element (channels[0].begin(), channels[0].end());

            if (peak > 0.01)
            {
                peaks.push_back (peak);
                frequencies.push_back (measureFrequency (channels[0], 48000));
            }
        });

        const auto median = [] (std::vector<double> values)
        {
            if (values.empty())
                return 0.0;

            std::nth_element (values.begin(), values.begin() + (long) values.size() / 2, values.end());
            return values[values.size() / 2];
        };

        return { median (peaks), median (frequencies) };
    }

    //==============================================================================
    double rms (const std::vector<float>& signal)
    {
        if (signal.empty())
            return 0.0;

        const double sum = std::accumulate (signal.begin(), signal.end(), 0.0, [] (double a, float s) { return a + (double) s * s; });
        return std::sqrt (sum / (double) signal.size());
    }

    double measureFrequency (const std::vector<float>& signal, int sampleRate)
    {
        double first = -1.0, last = -1.0;
        int crossings = 0;

        for (size_t i = 1; i < signal.size(); ++i)
        {
            if (signal[i - 1] < 0.0f && signal[i] >= 0.0f)
            {
                const double at = (double) (i - 1) + signal[i - 1] / (double) (signal[i - 1] - signal[i]);

                if (first < 0.0)
                    first = at;
                else
                    ++crossings;

                last = at;
            }
        }

        return crossings == 0 ? 0.0 : crossings * (double) sampleRate / (last - first);
    }

    namespace
    {
        /** The energy left after fitting a sin + b cos + c at one frequency. */
        double fitResidualEnergy (const std::vector<float>& x, double frequency, int sampleRate, double& sineEnergy)
        {
            const double w = 2.0 * M_PI * frequency / sampleRate;
            double m[3][4] = {};

            for (size_t i = 0; i < x.size(); ++i)
            {
                const double basis[3] = { std::sin (w * (double) i), std::cos (w * (double) i), 1.0 };

                for (int r = 0; r < 3; ++r)
                {
                    for (int c = 0; c < 3; ++c)
                        m[r][c] += basis[r] * basis[c];

                    m[r][3] += basis[r] * x[i];
                }
            }

            // Gaussian elimination of the 3x3 normal equations.
            for (int p = 0; p < 3; ++p)
                for (int r = p + 1; r < 3; ++r)
                {
                    const double f = m[r][p] / m[p][p];

                    for (int c = p; c < 4; ++c)
                        m[r][c] -= f * m[p][c];
                }

            double k[3] = {};

            for (int r = 2; r >= 0; --r)
            {
                double s = m[r][3];

                for (int c = r + 1; c < 3; ++c)
                    s -= m[r][c] * k[c];

                k[r] = s / m[r][r];
            }

            double residual = 0.0;
            sineEnergy = 0.0;

            for (size_t i = 0; i < x.size(); ++i)
            {
                const double sine = k[0] * std::sin (w * (double) i) + k[1] * std::cos (w * (double) i);
                const double e = x[i] - sine - k[2];
                residual += e * e;
                sineEnergy += sine * sine;
            }

            return residual;
        }
    }

    double residualDb (const std::vector<float>& signal, double frequency, int sampleRate)
    {
        // The tone may come out a few ppm off while the control loop trims the
        // ratio: refine its frequency by a golden-section search first.
        double low = frequency * 0.999, high = frequency * 1.001, sineEnergy = 0.0;
        const double g = (std::sqrt (5.0) - 1.0) / 2.0;

        for (int i = 0; i < 60; ++i)
        {
            const double a = high - g * (high - low), b = low + g * (high - low);

            if (fitResidualEnergy (signal, a, sampleRate, sineEnergy) < fitResidualEnergy (signal, b, sampleRate, sineEnergy))
                high = b;
            else
                low = a;
        }

        const double residual = fitResidualEnergy (signal, (low + high) / 2.0, sampleRate, sineEnergy);
        return 10.0 * std::log10 (std::max (residual, 1e-30) / sineEnergy);
    }

    std::string hostName()
    {
        char name[256] = {};
        gethostname (name, sizeof (name) - 1);
        return name;
    }

    std::string ndiNameFor (const std::string& name)
    {
        return hostName() + " (" + name + ")";
    }

    std::string uniqueName (const std::string& stem)
    {
        // Test processes run side by side and see each other's sources.
        static std::atomic<int> counter { 0 };
        return stem + " " + std::to_string (getpid()) + "-" + std::to_string (++counter);
    }
}
