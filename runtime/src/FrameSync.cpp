#include "FrameSync.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ndirt
{

void FrameSync::push (const AudioBlock& block)
{
    if (block.numSamples <= 0 || block.sampleRate <= 0 || block.numChannels <= 0)
        return;

    const std::lock_guard<std::mutex> guard (lock);

    // A new format starts a new stream: what was buffered cannot be converted
    // together with it.
    if (block.sampleRate != sourceRate || block.numChannels != sourceChannels)
    {
        sourceRate = block.sampleRate;
        sourceChannels = block.numChannels;
        queue.reset (sourceChannels, (int) std::ceil (sourceRate * capacitySeconds));
        streamPushed = 0;
        blockEnds.clear();
        controller.reset();
        restartWindow();
        state = State::filling;
    }

    if (queue.pushPlanar (block.samples.data(), block.numSamples, block.numSamples) > 0)
        ++overflows;

    streamPushed += block.numSamples;
    blockEnds.push_back ({ streamPushed, block.timestamp });

    // Only blocks still in the queue matter; the queue holds at most half a
    // second, so this bound is never reached by blocks of 0.1 ms or more.
    while (blockEnds.size() > maxBlocksTracked)
        blockEnds.pop_front();
}

void FrameSync::capture (NDIlib_audio_frame_v3_t& frame, int sampleRate, int numChannels, int numSamples)
{
    frame.sample_rate = sampleRate;
    frame.no_channels = 0;
    frame.no_samples = 0;
    frame.timecode = 0;
    frame.FourCC = NDIlib_FourCC_audio_type_FLTP;
    frame.p_data = nullptr;
    frame.channel_stride_in_bytes = 0;
    frame.p_metadata = nullptr;
    frame.timestamp = 0;

    const std::lock_guard<std::mutex> guard (lock);

    if (state == State::waiting)
        return;

    frame.no_channels = numChannels > 0 ? std::min (numChannels, maxChannels) : sourceChannels;

    if (sampleRate <= 0 || numSamples <= 0
        || (size_t) numSamples * (size_t) std::max (frame.no_channels, sourceChannels) > maxCaptureValues)
        return;

    frame.timestamp = render (sampleRate, numSamples);

    auto* data = new float[(size_t) frame.no_channels * (size_t) numSamples];

    for (int c = 0; c < frame.no_channels; ++c)
    {
        float* dest = data + (size_t) c * (size_t) numSamples;

        if (c < sourceChannels)
            for (int i = 0; i < numSamples; ++i)
                dest[i] = interleaved[(size_t) i * (size_t) sourceChannels + (size_t) c];
        else
            std::fill (dest, dest + numSamples, 0.0f);
    }

    frame.no_samples = numSamples;
    frame.p_data = reinterpret_cast<uint8_t*> (data);
    frame.channel_stride_in_bytes = numSamples * (int) sizeof (float);
}

int64_t FrameSync::render (int sampleRate, int numSamples)
{
    interleaved.assign ((size_t) numSamples * (size_t) sourceChannels, 0.0f);

    if (! converter.isSetUpFor (sourceRate, sampleRate, sourceChannels))
    {
        converter.setup (sourceRate, sampleRate, sourceChannels);
        controller.reset();
        state = State::filling;
    }

    const double needed = targetFrames() + converter.inputFramesFor (numSamples);

    if (! converter.isReady() || (state == State::filling && bufferedFrames() < needed))
        return 0;

    // Start with all there is; the first control window then drops what turns
    // out to be more than the target needs.
    if (state == State::filling)
    {
        controller.restart();
        restartWindow();
        firstWindow = true;
        state = State::running;
    }

    const auto timestamp = nextOutputTimestamp();

    if (converter.process (queue, interleaved.data(), numSamples) > 0)
    {
        ++underruns;
        controller.restart();
        restartWindow();
        state = State::filling;
        return timestamp;
    }

    windowLowest = std::min (windowLowest, bufferedFrames());
    windowSeconds += numSamples / (double) sampleRate;

    if (windowSeconds >= controlWindowSeconds)
    {
        steer();
        restartWindow();
    }

    return timestamp;
}

void FrameSync::steer()
{
    const double excess = windowLowest - targetFrames();
    const bool started = firstWindow;
    firstWindow = false;

    // Right after the start, drop what is more than the target and a start
    // margin (the loop has yet to learn the clock difference, and takes the
    // margin away as it does); when the caller has not captured for a while,
    // drop what is more than the target. At once, either way.
    const double startMargin = started ? startMarginSeconds * sourceRate : 0.0;

    if (excess > startMargin && (started || excess > resyncThresholdSeconds * sourceRate))
    {
        queue.pop ((int) (excess - startMargin));
        controller.restart();
        overflows += started ? 0 : 1;
        return;
    }

    converter.setRatioAdjustment (controller.update (excess / sourceRate, windowSeconds));
}

void FrameSync::restartWindow()
{
    windowLowest = std::numeric_limits<double>::max();
    windowSeconds = 0.0;
}

int64_t FrameSync::nextOutputTimestamp()
{
    // The stream position the converter's next output sample is centred on.
    const double position = (double) (streamPushed - queue.size()) - converter.heldInputFrames();

    while (! blockEnds.empty() && (double) blockEnds.front().end <= position)
        blockEnds.pop_front();

    if (blockEnds.empty())
        return 0;

    const auto& block = blockEnds.front();
    return block.timestamp - (int64_t) std::llround (((double) block.end - 1.0 - position) * 1.0e7 / sourceRate);
}

double FrameSync::targetFrames() const
{
    return baseTargetSeconds * sourceRate + converter.lookaheadInputFrames();
}

double FrameSync::bufferedFrames() const
{
    return queue.size() + converter.heldInputFrames();
}

void FrameSync::freeFrame (NDIlib_audio_frame_v3_t& frame)
{
    delete[] reinterpret_cast<float*> (frame.p_data);
    frame.p_data = nullptr;
}

NDIrt_framesync_stats_t FrameSync::getStats() const
{
    const std::lock_guard<std::mutex> guard (lock);

    NDIrt_framesync_stats_t stats {};
    stats.underruns = underruns;
    stats.overflows = overflows;
    stats.rate_adjustment = controller.getTrim();
    stats.source_sample_rate = sourceRate;
    stats.source_channels = sourceChannels;

    if (sourceRate > 0)
    {
        stats.buffered_ms = 1000.0 * bufferedFrames() / sourceRate;
        stats.target_latency_ms = 1000.0 * targetFrames() / sourceRate;
    }

    return stats;
}

} // namespace ndirt
