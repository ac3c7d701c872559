#pragma once

#include "AudioBlock.h"
#include "FillController.h"
#include "RateConverter.h"
#include "SampleQueue.h"

#include "NDIRuntime.h"
#include "NDIRuntimeSend.h"

#include <mutex>
#include <vector>

namespace ndirt
{

/** The frame synchroniser: audio pushed by a receiver in blocks of the sender's
    size, rate and timing; captured in blocks of the caller's size and rate.

    Pushed audio waits in a jitter buffer (at the source's rate) and leaves it
    through a rate converter whose ratio a FillController trims so that the
    buffer stays at its target level across clock differences.

    Target latency, from the send call to the capture that returns a sample:
    3 ms + half the duration of the longest block the source has sent (that
    part at most 50 ms) + the converter's look-ahead (32 input samples, 0.7 ms
    at 44.1 kHz; 32 output samples when reducing the rate). A sender of blocks
    of 2.5 ms or less thus stays under 5.1 ms at 44.1 kHz and above.

    Capture:
    - before any audio of the source has arrived: zero channels, zero samples;
    - a sample rate <= 0 or a sample count <= 0 (or above 1 << 20): the
      source's channel count, zero samples; buffered audio is left as it is;
    - otherwise exactly the requested count of samples, planar float, at the
      requested rate and the source's channel count (or the requested count of
      channels, when one is given; missing channels are silent);
    - while the buffer fills up to its target after the start, after an
      underrun or after a change of format: silence;
    - when the buffer runs dry: the audio there was, then silence; counted as
      an underrun;
    - when the buffer is 50 ms or more above its target at a capture (the
      caller paused), or full (0.5 s) at a push: the oldest audio is dropped;
      counted as an overflow. */
class FrameSync : public AudioSink
{
public:
    static constexpr double baseTargetSeconds = 0.003;
    static constexpr double maxBlockAllowanceSeconds = 0.05;
    static constexpr double resyncThresholdSeconds = 0.05;
    static constexpr double capacitySeconds = 0.5;
    static constexpr int maxCaptureSamples = 1 << 20;
    static constexpr int maxChannels = 1024;

    void push (const AudioBlock& block) override;

    /** Fills frame as described above; the frame's data must be released with
        freeFrame(). */
    void capture (NDIlib_audio_frame_v3_t& frame, int sampleRate, int numChannels, int numSamples);

    static void freeFrame (NDIlib_audio_frame_v3_t& frame);

    NDIrt_framesync_stats_t getStats() const;

private:
    enum class State
    {
        waiting,    // no audio has arrived yet
        filling,    // silence until the buffer reaches its target
        running
    };

    /** Converts numSamples frames at sampleRate into the interleaved scratch. */
    void render (int sampleRate, int numSamples);

    double targetFrames() const;
    double bufferedFrames() const;

    mutable std::mutex lock;
    State state = State::waiting;
    int sourceRate = 0;
    int sourceChannels = 0;
    double longestBlockSeconds = 0.0;

    SampleQueue queue;
    RateConverter converter;
    FillController controller;
    std::vector<float> interleaved;

    uint64_t underruns = 0;
    uint64_t overflows = 0;
};

} // namespace ndirt
