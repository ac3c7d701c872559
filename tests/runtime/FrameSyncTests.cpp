// The frame synchroniser through the runtime's C calls: what a capture returns
// before, during and after a source's audio, at any rate and size.

#include "RuntimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace
{
    /** A sender and a capture joined by its NDI name. */
    class FrameSyncTest : public ::testing::Test
    {
    protected:
        rt::Sender sender { rt::uniqueName ("FrameSync") };
        rt::Capture capture { sender.ndiName() };

        /** For some seconds, sends 10 ms of a stereo tone at 48 kHz and captures
            10 ms, in turn. */
        void exchange (double seconds)
        {
            for (int i = 0; i < seconds * 100; ++i)
            {
                sendTone (48000, 2, 0.01);
                capture.capture (48000, 480);
            }
        }

        /** Sends seconds of a tone in blocks of 1 ms. */
        void sendTone (int sampleRate, int numChannels, double seconds)
        {
            rt::Tone tone (1000.0, std::vector<float> ((size_t) numChannels, 0.5f));
            const int block = std::max (1, sampleRate / 1000);

            for (int sent = 0; sent < seconds * sampleRate; sent += block)
                ASSERT_TRUE (sender.send (tone.next (block, sampleRate), sampleRate));
        }
    };

    double peak (const std::vector<float>& x)
    {
        double p = 0.0;

        for (auto s : x)
            p = std::max (p, (double) std::abs (s));

        return p;
    }
}

TEST_F (FrameSyncTest, GivesZeroChannelsUntilTheFirstAudioArrives)
{
    NDIlib_audio_frame_v3_t frame {};

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_TRUE (capture.capture (48000, 512, &frame).empty());
        EXPECT_EQ (frame.no_channels, 0);
        EXPECT_EQ (frame.no_samples, 0);
        EXPECT_EQ (frame.p_data, nullptr);
    }

    sendTone (48000, 2, 0.001);
    EXPECT_EQ (capture.capture (48000, 512, &frame).size(), 2u);
}

TEST_F (FrameSyncTest, ZeroChannelsForAReceiverWhoseSourceDoesNotExist)
{
    rt::Capture nowhere (rt::uniqueName ("NOBODY (absent)"));
    sendTone (48000, 2, 0.1);

    EXPECT_TRUE (nowhere.capture (48000, 512).empty());
}

TEST_F (FrameSyncTest, ReturnsExactlyTheRequestedSamplesInPlanarFloat)
{
    sendTone (44100, 2, 0.3);

    // Sizes and rates in one sequence: a capture must honour each request
    // whatever came before it, including a change of the requested rate.
    const struct { int rate, samples; } requests[] = {
        { 48000, 512 }, { 48000, 1 }, { 48000, 441 }, { 44100, 64 }, { 96000, 4096 },
        { 8000, 10239 }, { 192000, 3 }, { 48000, 0 }, { 48000, 2048 },
    };

    for (const auto& request : requests)
    {
        NDIlib_audio_frame_v3_t frame {};
        const auto channels = capture.capture (request.rate, request.samples, &frame);

        SCOPED_TRACE (std::to_string (request.rate) + " Hz, " + std::to_string (request.samples) + " samples");
        EXPECT_EQ (frame.no_channels, 2);
        EXPECT_EQ (frame.no_samples, request.samples);
        EXPECT_EQ (frame.sample_rate, request.rate);
        EXPECT_EQ (frame.FourCC, NDIlib_FourCC_audio_type_FLTP);
        EXPECT_EQ (frame.channel_stride_in_bytes, request.samples * (int) sizeof (float));
        EXPECT_EQ (frame.p_data == nullptr, request.samples == 0);
    }
}

TEST_F (FrameSyncTest, InvalidRequestsGiveNoSamplesAndLeaveTheBufferAlone)
{
    sendTone (48000, 3, 0.02);
    const double buffered = capture.stats().buffered_ms;

    const std::vector<std::pair<int, int>> requests { { 0, 512 }, { -48000, 512 }, { 48000, -5 }, { 48000, 0 },
                                                      { 48000, 1 << 23 } };    // 3 channels of it: over 64 MiB

    for (const auto& [rate, samples] : requests)
    {
        NDIlib_audio_frame_v3_t frame {};
        capture.capture (rate, samples, &frame);

        EXPECT_EQ (frame.no_channels, 3) << rate << " Hz, " << samples;
        EXPECT_EQ (frame.no_samples, 0) << rate << " Hz, " << samples;
        EXPECT_EQ (frame.p_data, nullptr);
    }

    EXPECT_DOUBLE_EQ (capture.stats().buffered_ms, buffered);
    EXPECT_EQ (capture.stats().underruns, 0u);
}

TEST_F (FrameSyncTest, ConversionBeyondSixtyFourTimesGivesSilenceNotUnderruns)
{
    sendTone (8000, 1, 0.2);

    for (int i = 0; i < 5; ++i)
    {
        const auto channels = capture.capture (768000, 4096);
        ASSERT_EQ (channels.size(), 1u);
        ASSERT_EQ (channels[0].size(), 4096u);
        EXPECT_EQ (peak (channels[0]), 0.0);
    }

    EXPECT_EQ (capture.stats().underruns, 0u);

    // A rate it can convert to brings the audio back.
    EXPECT_GT (peak (capture.capture (48000, 480)[0]), 0.4);
}

TEST_F (FrameSyncTest, ChannelCountFollowsTheSource)
{
    for (int channels : { 1, 2, 8, 64, 2 })
    {
        sendTone (48000, channels, 0.02);
        EXPECT_EQ (capture.capture (48000, 256).size(), (size_t) channels);
    }
}

TEST_F (FrameSyncTest, ChannelsKeepTheirOrder)
{
    rt::Tone tone (500.0, { 0.1f, 0.2f, 0.4f });

    for (int i = 0; i < 30; ++i)
        sender.send (tone.next (48, 48000), 48000);

    const auto channels = capture.capture (48000, 480);

    ASSERT_EQ (channels.size(), 3u);
    EXPECT_NEAR (peak (channels[0]), 0.1, 0.005);
    EXPECT_NEAR (peak (channels[1]), 0.2, 0.005);
    EXPECT_NEAR (peak (channels[2]), 0.4, 0.005);
}

TEST_F (FrameSyncTest, UnderrunGivesSilenceAndIsCounted)
{
    sendTone (48000, 2, 0.1);

    // Drain the buffer: audio first, then the converter's tail fading out,
    // then nothing but silence.
    std::vector<std::vector<float>> channels;

    for (int i = 0; i < 20; ++i)
        channels = capture.capture (48000, 512);

    ASSERT_EQ (channels.size(), 2u);
    EXPECT_EQ (peak (channels[0]), 0.0);
    EXPECT_EQ (peak (channels[1]), 0.0);
    EXPECT_EQ (capture.stats().underruns, 1u);

    // Starved captures after the first underrun wait for the buffer to refill:
    // no further underrun is counted until audio has come back and run dry again.
    sendTone (48000, 2, 0.1);

    for (int i = 0; i < 20; ++i)
        channels = capture.capture (48000, 512);

    EXPECT_EQ (capture.stats().underruns, 2u);
}

TEST_F (FrameSyncTest, AudioPilingUpBeforeTheStartIsDroppedAfterAQuarterSecond)
{
    // Nobody captures for two seconds: the buffer keeps the newest half second.
    sendTone (48000, 2, 2.0);
    EXPECT_GE (capture.stats().overflows, 1u);
    EXPECT_NEAR (capture.stats().buffered_ms, 500.0, 2.0);

    // Captures start: within the first control window what is more than the
    // target goes, and the latency is small again.
    exchange (0.5);
    EXPECT_LT (capture.stats().buffered_ms, capture.stats().target_latency_ms + 10.0 + 1.0);
    EXPECT_EQ (capture.stats().underruns, 0u);
}

TEST_F (FrameSyncTest, AudioPilingUpWhileTheCallerPausesIsDroppedAndCounted)
{
    exchange (1.0);
    const auto overflowsBefore = capture.stats().overflows;

    // The caller stops capturing for a quarter second while the source goes on.
    sendTone (48000, 2, 0.25);
    exchange (0.5);

    EXPECT_EQ (capture.stats().overflows, overflowsBefore + 1);
    EXPECT_LT (capture.stats().buffered_ms, capture.stats().target_latency_ms + 10.0 + 1.0);
    EXPECT_EQ (capture.stats().underruns, 0u);
}

TEST (FrameSyncCapture, NullArgumentsAreHarmless)
{
    NDIlib_audio_frame_v3_t frame {};
    NDIlib_framesync_capture_audio_v2 (nullptr, &frame, 48000, 0, 512);
    EXPECT_EQ (frame.no_channels, 0);

    NDIlib_framesync_capture_audio_v2 (nullptr, nullptr, 48000, 0, 512);
    NDIlib_framesync_destroy (nullptr);

    rt::Library library;
    EXPECT_EQ (library.table->framesync_create (nullptr), nullptr);
    EXPECT_FALSE (NDIrt_framesync_get_stats (nullptr, nullptr));
}

//==============================================================================
namespace
{
    struct ObservedFrame
    {
        NDIlib_framesync_instance_t instance;
        const uint8_t* data;
        std::vector<float> firstChannel;
    };

    void recordFrame (void* context, NDIlib_framesync_instance_t instance, const NDIlib_audio_frame_v3_t* frame)
    {
        ObservedFrame observed { instance, frame->p_data, {} };

        if (frame->p_data != nullptr)
        {
            const auto* samples = reinterpret_cast<const float*> (frame->p_data);
            observed.firstChannel.assign (samples, samples + frame->no_samples);
        }

        static_cast<std::vector<ObservedFrame>*> (context)->push_back (observed);
    }
}

TEST_F (FrameSyncTest, ObserverSeesExactlyTheFramesCaptureReturns)
{
    std::vector<ObservedFrame> observed;
    NDIrt_set_capture_observer (recordFrame, &observed);

    sendTone (48000, 1, 0.05);
    std::vector<std::vector<float>> returned;

    for (int i = 0; i < 5; ++i)
        returned.push_back (capture.capture (48000, 300).front());

    NDIrt_set_capture_observer (nullptr, nullptr);
    capture.capture (48000, 300);

    ASSERT_EQ (observed.size(), 5u);

    for (size_t i = 0; i < observed.size(); ++i)
    {
        EXPECT_EQ (observed[i].instance, capture.frameSync);
        EXPECT_EQ (observed[i].firstChannel, returned[i]);
    }
}
