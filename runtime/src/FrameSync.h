#pragma once

#include "AudioBlock.h"
#include "FillController.h"
#include "RateConverter.h"
#include "SampleQueue.h"

#include "NDIRuntime.h"
#include "NDIRuntimeSend.h"

#include <deque>
#include <mutex>
#include <vector>

namespace ndirt
{

/** The frame synchroniser: audio pushed by a receiver in blocks of the sender's
    size, rate and timing; captured in blocks of the caller's size and rate.

    Pushed audio waits in a jitter buffer (at the source's rate) and leaves it
    through a rate converter whose ratio a FillController trims so that the
    buffer stays at its target level across clock differences.

    Target: the least audio left in the synchroniser after a capture, taken
    over each quarter second of output, is held at 3 ms + the converter's
    look-ahead (32 input samples: 0.7 ms at 44.1 kHz; 32 output samples when
    reducing the rate). Holding the least level, not the average, keeps a
    margin whatever the pattern of sends and captures: the source's blocks of
    any size, a host whose long blocks the caller captures in several pieces
    at once. On top of the target a sample waits, on average, about half of
    the source's block before the capture that returns it.

    Capture:
    - before any audio of the source has arrived: zero channels, zero samples;
    - a sample rate <= 0, a sample count <= 0, or a request of more than
      1 << 24 samples over all channels (64 MiB): the source's channel count,
      zero samples; buffered audio is left as it is;
    - otherwise exactly the requested count of samples, planar float, at the
      requested rate and the source's channel count (or the requested count of
      channels, when one is given; missing channels are silent);
    - after the start, an underrun or a change of format, silence until the
      buffer holds the target and the capture; then all of it plays, and after
      a quarter second whatever stays above the target is dropped at once;
    - for a conversion of more than 64 times up or down: silence;
    - when the buffer runs dry: the audio there was, then silence; counted as
      an underrun;
    - when the least level of a quarter second is 50 ms or more above the
      target (the caller paused), or the buffer is full (0.5 s) at a push: the
      oldest audio is dropped; counted as an overflow.
    A captured frame's timestamp is the time (100 ns units since the epoch, on
    the sender's clock) at which its first sample was produced: the send call
    of the block holding it, less the duration of the samples after it in that
    block. 0 when the frame starts with silence made up here. */
class FrameSync : public AudioSink
{
public:
    static constexpr double baseTargetSeconds = 0.003;
    static constexpr double controlWindowSeconds = 0.25;
    static constexpr double startMarginSeconds = 0.0015;
    static constexpr double resyncThresholdSeconds = 0.05;
    static constexpr double capacitySeconds = 0.5;
    static constexpr size_t maxCaptureValues = 1 << 24;
    static constexpr int maxChannels = 1024;
    static constexpr size_t maxBlocksTracked = 5000;

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

    /** Converts numSamples frames at sampleRate into the interleaved scratch;
        returns the timestamp of the first. */
    int64_t render (int sampleRate, int numSamples);

    /** Ends a control window once it covers a quarter second: steers the
        converter from the window's least level, or drops audio that piled up. */
    void steer();
    void restartWindow();

    double targetFrames() const;
    double bufferedFrames() const;

    /** The production time of the input sample that the next output sample
        starts from; 0 when unknown. */
    int64_t nextOutputTimestamp();

    /** Where each pushed block ends in the stream, and its timestamp. */
    struct BlockEnd
    {
        int64_t end;        // stream position after its last sample
        int64_t timestamp;
    };

    mutable std::mutex lock;
    State state = State::waiting;
    int sourceRate = 0;
    int sourceChannels = 0;

    SampleQueue queue;
    int64_t streamPushed = 0;       // frames pushed since the stream started
    std::deque<BlockEnd> blockEnds; // of the blocks not yet wholly converted
    RateConverter converter;
    FillController controller;
    double windowLowest = 0.0;      // least level after a capture in this window
    double windowSeconds = 0.0;     // output covered by this window so far
    bool firstWindow = false;       // the window right after a start
    std::vector<float> interleaved;

    uint64_t underruns = 0;
    uint64_t overflows = 0;
};

} // namespace ndirt
