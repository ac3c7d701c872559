#include "RateConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ndirt
{

namespace
{
    constexpr double smallestStageRatio = 1.0 / 16.0;
    constexpr double largestStageRatio  = 64.0;
    constexpr double reductionRatio     = 0.25;
}

bool RateConverter::Stage::setup (double stageRatio, int numChannels)
{
    if (resampler.setup (stageRatio, (unsigned int) numChannels, (unsigned int) filterHalfLength) != 0)
        return false;

    // Feed half a filter length of silence less one sample: the first input
    // sample then comes out as the first output sample, none is skipped.
    // (zita takes input only while it has room for output, even discarded.)
    run (nullptr, resampler.inpsize() / 2 - 1, nullptr, resampler.inpsize());
    return true;
}

std::pair<int, int> RateConverter::Stage::run (const float* in, int numInput, float* out, int numOutput)
{
    resampler.inp_count = (unsigned int) numInput;
    resampler.inp_data = const_cast<float*> (in);   // only read by zita
    resampler.out_count = (unsigned int) numOutput;
    resampler.out_data = out;
    resampler.process();

    return { numInput - (int) resampler.inp_count, numOutput - (int) resampler.out_count };
}

bool RateConverter::setup (int inputRate, int outputRate, int numChannels)
{
    configuredInputRate = inputRate;
    configuredOutputRate = outputRate;
    channels = numChannels;
    ready = false;
    reducedFrames = 0;

    if (inputRate <= 0 || outputRate <= 0 || numChannels <= 0)
        return false;

    ratio = (double) outputRate / (double) inputRate;
    reducing = ratio < smallestStageRatio;

    const double mainRatio = reducing ? ratio / reductionRatio : ratio;

    if (mainRatio < smallestStageRatio || mainRatio > largestStageRatio)
        return false;

    if (reducing && ! reduction.setup (reductionRatio, numChannels))
        return false;

    ready = main.setup (mainRatio, numChannels);

    // Changes of the ratio glide over about 0.25 s of output instead of
    // stepping, which would wobble the pitch.
    if (ready)
        main.resampler.set_rrfilt (0.25 * outputRate);

    return ready;
}

bool RateConverter::isSetUpFor (int inputRate, int outputRate, int numChannels) const
{
    return inputRate == configuredInputRate && outputRate == configuredOutputRate && numChannels == channels;
}

void RateConverter::setRatioAdjustment (double factor)
{
    if (ready)
        main.resampler.set_rratio (factor);
}

void RateConverter::reduceInput (SampleQueue& input)
{
    for (;;)
    {
        const float* data = nullptr;
        const int available = input.readableRun (data);

        if (available == 0)
            return;

        const int room = (int) std::ceil (available * reductionRatio) + 2;
        reduced.resize ((size_t) (reducedFrames + room) * (size_t) channels);

        const auto [used, made] = reduction.run (data, available,
                                                 reduced.data() + (size_t) reducedFrames * (size_t) channels, room);
        input.pop (used);
        reducedFrames += made;
    }
}

int RateConverter::process (SampleQueue& input, float* out, int numFrames)
{
    if (! ready)
    {
        std::fill (out, out + (size_t) numFrames * (size_t) channels, 0.0f);
        return numFrames;
    }

    int produced = 0;

    while (produced < numFrames)
    {
        const float* data = nullptr;
        int available = 0;

        if (reducing)
        {
            reduceInput (input);
            data = reduced.data();
            available = reducedFrames;
        }
        else
        {
            available = input.readableRun (data);
        }

        if (available == 0)
            break;

        const auto [used, made] = main.run (data, available,
                                            out + (size_t) produced * (size_t) channels, numFrames - produced);
        produced += made;

        if (reducing)
        {
            reducedFrames -= used;
            std::memmove (reduced.data(), reduced.data() + (size_t) used * (size_t) channels,
                          (size_t) reducedFrames * (size_t) channels * sizeof (float));
        }
        else
        {
            input.pop (used);
        }
    }

    // Out of input: go on with silence, so that the audio still inside the
    // filter comes out and fades away instead of stopping dead.
    const int missing = numFrames - produced;

    if (missing > 0)
    {
        const int silence = (int) std::ceil (inputFramesFor (missing) * 1.1) + main.resampler.inpsize();
        main.run (nullptr, silence, out + (size_t) produced * (size_t) channels, missing);
    }

    return missing;
}

double RateConverter::lookaheadInputFrames() const
{
    if (! ready)
        return 0.0;

    const double inMain = main.resampler.inpsize() / 2.0;

    if (! reducing)
        return inMain;

    return reduction.resampler.inpsize() / 2.0 + inMain / reductionRatio;
}

double RateConverter::heldInputFrames() const
{
    if (! ready)
        return 0.0;

    // inpdist() counts the input samples a stage has taken in beyond the
    // position of its next output sample.
    const double inMain = main.resampler.inpdist();

    if (! reducing)
        return inMain;

    return reduction.resampler.inpdist() + (inMain + reducedFrames) / reductionRatio;
}

} // namespace ndirt
