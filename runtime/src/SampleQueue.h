#pragma once

#include <vector>

namespace ndirt
{

/** A ring of interleaved audio frames (one sample of every channel) of fixed
    capacity. Written from planar blocks, read in place by the rate converter.
    Not thread-safe: its owner locks around it. */
class SampleQueue
{
public:
    /** Empties the queue and sizes it for capacity frames of numChannels channels. */
    void reset (int numChannels, int capacity);

    int getNumChannels() const  { return channels; }
    int getCapacity() const     { return capacityFrames; }
    int size() const            { return count; }

    /** Appends numSamples frames taken from planar channels (channel c starts
        c * channelStride floats after planar). When they do not fit, the oldest
        frames are dropped to make room; returns how many were dropped. */
    int pushPlanar (const float* planar, int numSamples, int channelStride);

    /** The longest run of frames readable in place from the oldest one on. */
    int readableRun (const float*& data) const;

    /** Removes up to numFrames of the oldest frames. */
    void pop (int numFrames);

private:
    std::vector<float> storage;
    int channels = 0;
    int capacityFrames = 0;
    int head = 0;       // index of the oldest frame
    int count = 0;
};

} // namespace ndirt
