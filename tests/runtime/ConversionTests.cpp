// Rate conversion, latency and clock drift of the frame synchroniser, on a
// simulated link: sends and captures interleaved on a virtual clock.

#include "RuntimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
    std::string describe (const rt::LinkSettings& s)
    {
        return std::to_string (s.sourceRate) + " Hz -> " + std::to_string (s.outputRate) + " Hz, "
             + std::to_string (s.senderPpm) + " ppm";
    }

    /** Runs a link and keeps the last `seconds` of each captured channel. */
    std::vector<std::vector<float>> captureTail (rt::SimulatedLink& link, double settle, double seconds)
    {
        link.run (settle);
        std::vector<std::vector<float>> kept;

        link.run (seconds, [&] (double, const std::vector<std::vector<float>>& channels)
        {
            kept.resize (channels.size());

            for (size_t c = 0; c < channels.size(); ++c)
                kept[c].insert (kept[c].end(), channels[c].begin(), channels[c].end());
        });

        return kept;
    }
}

//==============================================================================
class RateConversion : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P (RateConversion, KeepsFrequencyAndLevelOfATone)
{
    rt::LinkSettings settings;
    std::tie (settings.sourceRate, settings.outputRate) = GetParam();
    settings.sendBlock = settings.sourceRate / 500;     // 2 ms
    settings.captureBlock = 512;

    rt::SimulatedLink link (rt::uniqueName ("Conversion"), settings, rt::Tone (1000.0, { 0.5f, 0.125f }));
    const auto channels = captureTail (link, 20.0, 1.0);     // after the loop has taken the start margin away

    SCOPED_TRACE (describe (settings));
    ASSERT_EQ (channels.size(), 2u);
    EXPECT_NEAR (rt::measureFrequency (channels[0], settings.outputRate), 1000.0, 0.5);
    EXPECT_NEAR (rt::rms (channels[0]), 0.5 / std::sqrt (2.0), 0.5 / std::sqrt (2.0) * 0.005);
    EXPECT_NEAR (rt::rms (channels[1]), 0.125 / std::sqrt (2.0), 0.125 / std::sqrt (2.0) * 0.005);

    EXPECT_EQ (link.stats().underruns, 0u);
}

INSTANTIATE_TEST_SUITE_P (Rates, RateConversion,
                          ::testing::Values (std::pair { 44100, 48000 }, std::pair { 96000, 44100 },
                                             std::pair { 48000, 48000 }, std::pair { 8000, 192000 },
                                             std::pair { 192000, 8000 }, std::pair { 22050, 44100 },
                                             std::pair { 176400, 11025 }));

//==============================================================================
namespace
{
    /** Sends a step (a block of ones after silence) at many phases of the link
        and returns, for each, the time from its send call until it plays: the
        capture's time plus its position in the captured block. */
    std::vector<double> stepLatencies (rt::SimulatedLink& link, int count)
    {
        const auto& settings = link.link;
        std::vector<double> latencies;

        for (int k = 0; k < count; ++k)
        {
            double sent = -1.0, played = -1.0;

            link.nextBlock = [&]
            {
                if (sent < 0.0)
                    sent = (double) (link.samplesSent + settings.sendBlock) / settings.sourceRate;

                return std::vector<std::vector<float>> { std::vector<float> ((size_t) settings.sendBlock, 1.0f) };
            };

            link.run (0.03 + k * 0.0007, [&] (double time, const std::vector<std::vector<float>>& channels)
            {
                const auto found = std::find_if (channels[0].begin(), channels[0].end(), [] (float s) { return s > 0.5f; });

                if (played < 0.0 && found != channels[0].end())
                    played = time + (double) (found - channels[0].begin()) / settings.outputRate;
            });

            link.nextBlock = [&] { return std::vector<std::vector<float>> { std::vector<float> ((size_t) settings.sendBlock, 0.0f) }; };
            link.run (0.03);

            if (played >= 0.0)
                latencies.push_back (played - sent);
        }

        return latencies;
    }
}

class FrameSyncLatency : public ::testing::TestWithParam<std::pair<int, int>> {};

// A caller that takes n samples at once from a real-time source plays the
// last of them at least n samples after it was sent, whatever the buffering:
// that block is the caller's. What the synchroniser adds beyond it must stay
// within its stated target.
TEST_P (FrameSyncLatency, AddsNoMoreThanTheTargetBeyondTheCaptureBlock)
{
    rt::LinkSettings settings;
    std::tie (settings.sendBlock, settings.captureBlock) = GetParam();

    rt::SimulatedLink link (rt::uniqueName ("Latency"), settings, rt::Tone (0.0, { 0.0f }));
    link.run (3.0);

    const auto latencies = stepLatencies (link, 20);
    ASSERT_EQ (latencies.size(), 20u);

    const double captureBlockMs = 1000.0 * settings.captureBlock / settings.outputRate;
    const double targetMs = link.stats().target_latency_ms;

    for (double latency : latencies)
    {
        const double addedMs = 1000.0 * latency - captureBlockMs;
        EXPECT_GE (addedMs, -1000.0 * settings.sendBlock / settings.sourceRate);
        EXPECT_LE (addedMs, targetMs) << "send block " << settings.sendBlock << ", capture block " << settings.captureBlock;
    }

    EXPECT_LT (targetMs, 5.0 + 1000.0 * settings.sendBlock / settings.sourceRate / 2.0);
    EXPECT_EQ (link.stats().underruns, 0u);
}

INSTANTIATE_TEST_SUITE_P (Blocks, FrameSyncLatency,
                          ::testing::Values (std::pair { 96, 256 }, std::pair { 48, 512 }, std::pair { 48, 64 },
                                             std::pair { 96, 96 }, std::pair { 240, 1024 }));

//==============================================================================
class ClockDrift : public ::testing::TestWithParam<std::tuple<std::pair<int, int>, double>> {};

TEST_P (ClockDrift, SettlesWithoutUnderrunAndHoldsTheLevel)
{
    rt::LinkSettings settings;
    std::tie (settings.sourceRate, settings.outputRate) = std::get<0> (GetParam());
    settings.senderPpm = std::get<1> (GetParam());
    settings.sendBlock = settings.sourceRate / 1000;   // 1 ms
    settings.captureBlock = 512;

    rt::SimulatedLink link (rt::uniqueName ("Drift"), settings, rt::Tone (440.0, { 0.5f }));
    SCOPED_TRACE (describe (settings));

    link.run (45.0);
    const auto settled = link.stats();
    EXPECT_EQ (settled.underruns, 0u);
    EXPECT_EQ (settled.overflows, 0u);

    // The next minute: the least level holds the target, the level stays
    // within a sender's block above it, the loop has learnt the clock
    // difference, and nothing is lost.
    const double sendBlockMs = 1000.0 * settings.sendBlock / settings.sourceRate;
    double lowest = 1e9, highest = -1e9;

    link.run (60.0, [&] (double, const auto&)
    {
        const double level = link.stats().buffered_ms;
        lowest = std::min (lowest, level);
        highest = std::max (highest, level);
    });

    const auto stats = link.stats();
    EXPECT_EQ (stats.underruns, 0u);
    EXPECT_EQ (stats.overflows, 0u);
    EXPECT_NEAR (lowest, stats.target_latency_ms, 0.5);
    EXPECT_LT (highest, stats.target_latency_ms + sendBlockMs + 0.5);
    EXPECT_NEAR (stats.rate_adjustment - 1.0, -settings.senderPpm * 1e-6, 100e-6);
}

INSTANTIATE_TEST_SUITE_P (Drift, ClockDrift,
                          ::testing::Combine (::testing::Values (std::pair { 48000, 48000 }, std::pair { 44100, 48000 },
                                                                 std::pair { 96000, 44100 }),
                                              ::testing::Values (1000.0, -1000.0)));

// Whatever the pattern of sends and captures (a source sending large blocks,
// a host whose long blocks the caller captures in pieces all at once), the
// least level holds the target and, once settled, nothing runs dry.
struct Pattern
{
    int sourceRate, sendBlock, captureBlock, capturePiece;
};

class SendAndCapturePatterns : public ::testing::TestWithParam<Pattern> {};

TEST_P (SendAndCapturePatterns, HoldTheLeastLevelWithoutUnderrun)
{
    rt::LinkSettings settings;
    settings.sourceRate = GetParam().sourceRate;
    settings.sendBlock = GetParam().sendBlock;
    settings.captureBlock = GetParam().captureBlock;
    settings.capturePiece = GetParam().capturePiece;
    settings.senderPpm = 500.0;

    // The first blocks may find too little (the start knows nothing of the
    // pattern); once settled, none does.
    rt::SimulatedLink link (rt::uniqueName ("Pattern"), settings, rt::Tone (440.0, { 0.5f }));
    link.run (45.0);
    const auto settled = link.stats();

    double lowest = 1e9;
    link.run (30.0, [&] (double, const auto&) { lowest = std::min (lowest, link.stats().buffered_ms); });

    EXPECT_EQ (link.stats().underruns, settled.underruns);
    EXPECT_EQ (link.stats().overflows, settled.overflows);
    EXPECT_NEAR (lowest, link.stats().target_latency_ms, 1.0);
}

INSTANTIATE_TEST_SUITE_P (Patterns, SendAndCapturePatterns,
                          ::testing::Values (Pattern { 48000, 48, 1500, 480 },     // a long host block in pieces
                                             Pattern { 48000, 32, 4096, 512 },
                                             Pattern { 44100, 1000, 480, 0 },      // large source blocks
                                             Pattern { 48000, 4096, 64, 0 }));
