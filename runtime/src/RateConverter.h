#pragma once

#include "SampleQueue.h"

#include <zita-resampler/vresampler.h>

#include <vector>

namespace ndirt
{

/** Converts interleaved audio from one sample rate to another with zita's
    VResampler, whose ratio can be trimmed while it runs (the frame
    synchroniser's control loop does that).

    VResampler handles ratios from 1/16 to 64. A larger reduction (such as
    192 kHz to 8 kHz) first divides the rate by four in a fixed stage. */
class RateConverter
{
public:
    /** The filter half-length, in input samples at a ratio of 1 or more. */
    static constexpr int filterHalfLength = 32;

    /** Prepares the conversion and clears all history. Returns false, leaving the
        converter unusable, when the rates or channel count are out of range. */
    bool setup (int inputRate, int outputRate, int numChannels);

    bool isSetUpFor (int inputRate, int outputRate, int numChannels) const;

    /** False after a setup that failed. */
    bool isReady() const  { return ready; }

    /** Multiplies the output/input ratio by factor (close to 1); changes glide. */
    void setRatioAdjustment (double factor);

    /** Writes exactly numFrames interleaved frames to out, taking input from the
        oldest frames of input on and popping what it used. When input runs out,
        the converter continues on silence; returns how many output frames that
        concerned (0 when input sufficed). */
    int process (SampleQueue& input, float* out, int numFrames);

    /** Input frames taken in but not yet fully turned into output: the audio held
        inside the converter, counted at the input rate. */
    double heldInputFrames() const;

    /** The input frames the converter holds back once it runs: the audio it
        needs beyond a sample before that sample comes out. */
    double lookaheadInputFrames() const;

    /** Input frames that numFrames output frames use at the nominal ratio. */
    double inputFramesFor (int numFrames) const  { return numFrames / ratio; }

private:
    struct Stage
    {
        VResampler resampler;

        bool setup (double stageRatio, int numChannels);

        /** Runs the stage over numInput frames (null: silence), writing at most
            numOutput frames (null out: discarded). Returns {used, made}. */
        std::pair<int, int> run (const float* in, int numInput, float* out, int numOutput);
    };

    /** Moves all of input through the fixed reduction stage into reduced. */
    void reduceInput (SampleQueue& input);

    Stage main, reduction;
    bool reducing = false;
    std::vector<float> reduced;      // interleaved output of the reduction stage
    int reducedFrames = 0;

    double ratio = 1.0;              // output rate / input rate
    int configuredInputRate = 0, configuredOutputRate = 0, channels = 0;
    bool ready = false;
};

} // namespace ndirt
