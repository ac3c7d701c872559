#include "plugin/GlobalDefs.h"
#include "plugin/HostThread.h"

#include <gtest/gtest.h>

#include <numeric>

using test::CaptureRecorder;
using test::HostThread;
using test::RealTimeSource;

namespace
{
    NDISourceEntry entryFor (const RealTimeSource& source)
    {
        return { juce::String (source.ndiName()), {}, {} };
    }

    void connect (NDIReceiverAudioProcessor& processor, const RealTimeSource& source)
    {
        processor.receiver.changeSource (entryFor (source));
        ASSERT_TRUE (processor.receiver.isThreadRunning());

        // Let the receiver thread start before the first request, so that the
        // n-th capture answers the n-th block.
        juce::Thread::sleep (100);
    }

    std::vector<int> repeat (int size, int count)    { return std::vector<int> ((size_t) count, size); }

    float lastSample (const HostThread& host, int channel)
    {
        return host.outputs[(size_t) channel].back();
    }
}

//==============================================================================
// Once steady, each block plays the samples captured for the previous block's
// request, through the 5 ms delay line, sample for sample.
//
// The channel FIFOs hold, at each pull, as many samples as the block whose pull
// last failed asked for: a block larger than any before it finds too few and
// starts afresh, a smaller one leaves the rest for the next. So the delay is one
// block of the largest size since that restart, plus 5 ms.
TEST (ProcessorReceive, OutputIsTheCaptureDelayedByOneBlockPlusFiveMilliseconds)
{
    struct Case { int rate; std::vector<int> warmUp; int steadySize; int expectedDelay; };

    const Case cases[] {
        { 48000, { 480, 256, 333, 64, 500 }, 512, 512 + 240 },
        { 44100, { 100, 300, 256 },          441, 441 + 220 },
        { 48000, { 64, 1024, 100 },          256, 1024 + 240 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.rate << " Hz");

        RealTimeSource source ("Delay " + std::to_string (c.rate), c.rate, 2, RealTimeSource::sines());
        NDIReceiverAudioProcessor processor;
        HostThread host (processor, c.rate, 2048);
        CaptureRecorder recorder;

        processor.apvts.state.setProperty (ChannelMap, VectorToJuceVar<ChannelMapping> ({ { 0, 0 }, { 1, 1 } }), nullptr);
        processor.audioBroadcastingHasBegun (2);    // hands the stored map to the audio thread
        connect (processor, source);

        auto sizes = c.warmUp;
        const auto steadyBlocks = 40;
        const auto warmUpBlocks = (int) c.warmUp.size() + 40;
        const auto more = repeat (c.steadySize, warmUpBlocks - (int) c.warmUp.size() + steadyBlocks);
        sizes.insert (sizes.end(), more.begin(), more.end());

        host.play (sizes, &recorder);

        const auto frames = recorder.frames();
        ASSERT_EQ (frames.size(), sizes.size()) << "one capture per request";

        // Where each block starts in the output timeline.
        std::vector<int64_t> blockStart (sizes.size() + 1, 0);
        std::partial_sum (sizes.begin(), sizes.end(), blockStart.begin() + 1);

        const auto delay = c.expectedDelay;

        for (size_t k = (size_t) warmUpBlocks; k < sizes.size(); ++k)
        {
            ASSERT_EQ (frames[k].numChannels, 2) << "block " << k;
            ASSERT_EQ (frames[k].numSamples, sizes[k]) << "block " << k;
            ASSERT_EQ (frames[k - 1].numSamples, sizes[k - 1]) << "block " << k - 1;

            // Capture k sits at the place of block k; what plays is `delay` later.
            for (int ch = 0; ch < 2; ++ch)
                for (int j = 0; j < sizes[k] && blockStart[k] + j + delay < blockStart.back(); ++j)
                {
                    const auto outIndex = blockStart[k] + j + delay;
                    ASSERT_EQ (host.outputs[(size_t) ch][(size_t) outIndex], frames[k].channels[(size_t) ch][(size_t) j])
                        << "channel " << ch << ", capture " << k << ", sample " << j;
                }
        }
    }
}

//==============================================================================
class ProcessorRouting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        connect (processor, source);
        host.play (repeat (480, 30));
        ASSERT_TRUE (test::pumpUntil ([this] { return processor.receiver.numChannels.load() == 2; }));
    }

    std::array<float, 2> playWithMap (const std::vector<ChannelMapping>& map)
    {
        processor.handOverChannelMapping (map);
        host.play (repeat (480, 4));
        return { lastSample (host, 0), lastSample (host, 1) };
    }

    RealTimeSource source { "Routing", 48000, 2, RealTimeSource::constantLevels ({ 0.25f, 0.5f }) };
    NDIReceiverAudioProcessor processor;
    HostThread host { processor, 48000.0, 480 };
};

TEST_F (ProcessorRouting, EachReceivedChannelPlaysWhereTheMapSays)
{
    struct Case { const char* what; std::vector<ChannelMapping> map; std::array<float, 2> expected; };

    const Case cases[] {
        { "straight",                       { { 0, 0 }, { 1, 1 } },            { 0.25f, 0.5f } },
        { "crossed",                        { { 0, 1 }, { 1, 0 } },            { 0.5f, 0.25f } },
        { "two channels to one output",     { { 0, 0 }, { 1, 0 } },            { 0.5f, 0.0f } },
        { "one channel listed twice",       { { 0, 1 }, { 0, 0 } },            { 0.0f, 0.25f } },
        { "unusable outputs are skipped",   { { 0, 2 }, { 0, -1 }, { 0, 1 }, { 1, 7 } }, { 0.0f, 0.25f } },
        { "channel 3 of 2",                 { { 3, 0 }, { 2, 0 }, { 1, 1 } },  { 0.0f, 0.5f } },
        { "switched off",                   { { -1, 0 }, { -1, -1 } },         { 0.0f, 0.0f } },
        { "empty map",                      {},                                { 0.0f, 0.0f } },
    };

    for (const auto& c : cases)
    {
        const auto levels = playWithMap (c.map);
        EXPECT_NEAR (levels[0], c.expected[0], 1.0e-3f) << c.what;
        EXPECT_NEAR (levels[1], c.expected[1], 1.0e-3f) << c.what;
    }
}

TEST_F (ProcessorRouting, TheNewestOfSeveralPendingMapsWins)
{
    processor.handOverChannelMapping ({ { 0, 0 } });
    processor.handOverChannelMapping ({ { 1, 0 } });
    const auto levels = playWithMap ({ { 1, 1 } });

    EXPECT_NEAR (levels[0], 0.0f, 1.0e-3f);
    EXPECT_NEAR (levels[1], 0.5f, 1.0e-3f);
}

TEST_F (ProcessorRouting, FadesInOverFiveMillisecondsWhenBroadcastingBegins)
{
    // Bring the gain down: a fade while the receiver thread is stopped.
    playWithMap ({ { 0, 0 } });
    processor.audioBroadcastingHasBegun (2);
    host.play ({ 480 });
    processor.receiver.stopThread (500);
    processor.audioBroadcastingHasBegun (2);
    host.play (repeat (480, 2));

    // Audio flows again at unity: no fade is pending.
    processor.receiver.startThread();
    host.play (repeat (480, 20));
    ASSERT_NEAR (lastSample (host, 0), 0.25f, 1.0e-3f);

    processor.audioBroadcastingHasBegun (2);
    const auto before = host.outputs[0].size();
    host.play (repeat (480, 2));

    const std::vector<float> faded (host.outputs[0].begin() + (long) before, host.outputs[0].end());

    // A linear ramp from 0 to 1 over 240 samples, then unity.
    for (size_t i = 0; i < 240; ++i)
        ASSERT_NEAR (faded[i], 0.25f * (float) (i + 1) / 240.0f, 2.0e-3f) << "sample " << i;

    for (size_t i = 240; i < faded.size(); ++i)
        ASSERT_NEAR (faded[i], 0.25f, 1.0e-3f) << "sample " << i;
}

TEST_F (ProcessorRouting, ABlockLongerThanPreparedIsPlayedInPreparedPieces)
{
    processor.handOverChannelMapping ({ { 0, 0 }, { 1, 1 } });
    host.play (repeat (1500, 20));

    // Every sample of the last long block carries the source, none is lost.
    for (int ch = 0; ch < 2; ++ch)
        for (size_t i = host.outputs[(size_t) ch].size() - 1500; i < host.outputs[(size_t) ch].size(); ++i)
            ASSERT_NEAR (host.outputs[(size_t) ch][i], ch == 0 ? 0.25f : 0.5f, 1.0e-3f) << "sample " << i;
}

//==============================================================================
TEST (ProcessorReceive, IsSilentWithoutASourceWhileRequestsWait)
{
    NDIReceiverAudioProcessor processor;
    HostThread host (processor, 48000.0, 512);
    host.play (repeat (512, 60));

    for (const auto& channel : host.outputs)
        for (auto sample : channel)
            ASSERT_EQ (sample, 0.0f);

    // At most 49 requests wait; later ones are dropped.
    EXPECT_EQ (processor.receiver.requestFifo.getNumReady(), 49);
}

TEST (ProcessorReceive, ASourceWithMoreChannelsRebuildsTheFifoBank)
{
    RealTimeSource stereo ("Two channels", 48000, 2, RealTimeSource::constantLevels ({ 0.1f, 0.2f }));
    RealTimeSource eight ("Eight channels", 48000, 8, RealTimeSource::constantLevels ({ 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f }));

    NDIReceiverAudioProcessor processor;
    HostThread host (processor, 48000.0, 480);

    connect (processor, stereo);
    host.play (repeat (480, 30));
    EXPECT_EQ (test::bankSize (processor.receiver), 2u);

    connect (processor, eight);
    processor.handOverChannelMapping ({ { 7, 0 }, { 2, 1 } });
    host.play (repeat (480, 30));

    EXPECT_EQ (processor.receiver.numChannels.load(), 8);
    EXPECT_EQ (test::bankSize (processor.receiver), 8u);
    EXPECT_NEAR (lastSample (host, 0), 0.8f, 1.0e-3f);
    EXPECT_NEAR (lastSample (host, 1), 0.3f, 1.0e-3f);
}

TEST (ProcessorReceive, ChannelsFromTheSixtyFifthOnAreNotPlayed)
{
    std::vector<float> levels (66);

    for (size_t c = 0; c < levels.size(); ++c)
        levels[c] = 0.01f * (float) (c + 1);

    RealTimeSource source ("Sixty-six channels", 48000, 66, RealTimeSource::constantLevels (levels));
    NDIReceiverAudioProcessor processor;
    HostThread host (processor, 48000.0, 480);

    connect (processor, source);
    processor.handOverChannelMapping ({ { 64, 0 }, { 65, 0 }, { 63, 1 } });
    host.play (repeat (480, 30));

    EXPECT_EQ (processor.receiver.numChannels.load(), 66);
    EXPECT_EQ (lastSample (host, 0), 0.0f) << "channels 65 and 66 have no delay line and are skipped";
    EXPECT_NEAR (lastSample (host, 1), 0.64f, 1.0e-3f) << "channel 64 still plays";
}
