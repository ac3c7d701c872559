#include "SampleQueue.h"

#include <algorithm>

namespace ndirt
{

void SampleQueue::reset (int numChannels, int capacity)
{
    channels = numChannels;
    capacityFrames = capacity;
    storage.assign ((size_t) numChannels * (size_t) capacity, 0.0f);
    head = 0;
    count = 0;
}

int SampleQueue::pushPlanar (const float* planar, int numSamples, int channelStride)
{
    if (capacityFrames == 0)
        return numSamples;

    // Only the newest capacity frames of a block that is longer than the queue
    // can be kept.
    const int skipped = std::max (0, numSamples - capacityFrames);
    const int toWrite = numSamples - skipped;
    const int dropped = std::max (0, count + toWrite - capacityFrames);
    pop (dropped);

    int tail = (head + count) % capacityFrames;

    for (int i = skipped; i < numSamples; ++i)
    {
        float* frame = storage.data() + (size_t) tail * (size_t) channels;

        for (int c = 0; c < channels; ++c)
            frame[c] = planar[(size_t) c * (size_t) channelStride + (size_t) i];

        tail = (tail + 1 == capacityFrames) ? 0 : tail + 1;
    }

    count += toWrite;
    return dropped + skipped;
}

int SampleQueue::readableRun (const float*& data) const
{
    data = storage.data() + (size_t) head * (size_t) channels;
    return std::min (count, capacityFrames - head);
}

void SampleQueue::pop (int numFrames)
{
    numFrames = std::clamp (numFrames, 0, count);

    if (numFrames == 0)
        return;

    head = (head + numFrames) % capacityFrames;
    count -= numFrames;
}

} // namespace ndirt
