#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ndirt
{

/** One block of audio as a sender sent it: planar float, channel after channel. */
struct AudioBlock
{
    int sampleRate = 0;
    int numChannels = 0;
    int numSamples = 0;
    int64_t timestamp = 0;          // the send call's time, 100 ns units since the epoch
    std::vector<float> samples;     // numChannels * numSamples values

    const float* channel (int c) const  { return samples.data() + (size_t) c * (size_t) numSamples; }
};

using SharedAudioBlock = std::shared_ptr<const AudioBlock>;

/** Something that takes the audio of a source: a receiver, a frame synchroniser. */
class AudioSink
{
public:
    virtual ~AudioSink() = default;

    /** Called on the sending or network thread; must return quickly. */
    virtual void push (const AudioBlock& block) = 0;
};

/** The current time in 100 ns units since the epoch, as NDI timestamps count. */
int64_t currentTimestamp();

} // namespace ndirt
