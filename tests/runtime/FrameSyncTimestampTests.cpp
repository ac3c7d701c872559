// The timestamps of captured frames, on the synchroniser itself with blocks
// whose times are chosen by the test.

#include "FrameSync.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    constexpr int rate = 48000;
    constexpr int blockSize = 48;

    /** Sends blocks stamped as a real-time sender would: sample p of the stream
        is produced at (p + 1) / rate seconds, each block sent with its last. */
    class TimedStream
    {
    public:
        void send (ndirt::FrameSync& sync, int blocks)
        {
            for (int i = 0; i < blocks; ++i)
            {
                pushed += blockSize;
                sync.push ({ rate, 1, blockSize, producedAt (pushed - 1), std::vector<float> (blockSize, 0.5f) });
            }
        }

        static int64_t producedAt (double position)  { return (int64_t) std::llround ((position + 1.0) * 1.0e7 / rate); }

        int64_t pushed = 0;
    };
}

TEST (FrameSyncTimestamps, AreTheProductionTimeOfTheFirstSample)
{
    ndirt::FrameSync sync;
    TimedStream stream;

    stream.send (sync, 20);
    NDIlib_audio_frame_v3_t frame {};
    sync.capture (frame, rate, 0, 480);
    ndirt::FrameSync::freeFrame (frame);

    for (int i = 0; i < 50; ++i)
    {
        stream.send (sync, 10);

        // The first sample to come out is the oldest one still buffered.
        const double buffered = sync.getStats().buffered_ms * rate / 1000.0;
        sync.capture (frame, rate, 0, 480);

        EXPECT_NEAR ((double) frame.timestamp, (double) TimedStream::producedAt ((double) stream.pushed - buffered), 2.0);
        ndirt::FrameSync::freeFrame (frame);
    }
}

TEST (FrameSyncTimestamps, AreZeroForMadeUpSilence)
{
    ndirt::FrameSync sync;
    TimedStream stream;
    stream.send (sync, 1);

    // Too little to start: silence, with no time.
    NDIlib_audio_frame_v3_t frame {};
    sync.capture (frame, rate, 0, 480);
    EXPECT_EQ (frame.no_samples, 480);
    EXPECT_EQ (frame.timestamp, 0);
    ndirt::FrameSync::freeFrame (frame);
}
