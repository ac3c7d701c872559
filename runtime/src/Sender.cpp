#include "Sender.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <unistd.h>

namespace ndirt
{

int64_t currentTimestamp()
{
    using namespace std::chrono;
    return duration_cast<duration<int64_t, std::ratio<1, 10000000>>> (system_clock::now().time_since_epoch()).count();
}

Sender::Sender (const std::string& name)
    : ndiName (runtime->getHostName() + " (" + name + ")")
{
    runtime->getHub().addSender (*this);
    announcement = runtime->getDirectory().announce (getSourceInfo());
}

Sender::~Sender()
{
    announcement.reset();
    runtime->getHub().removeSender (*this);
}

SourceInfo Sender::getSourceInfo() const
{
    return { ndiName, net::makeUrl ("127.0.0.1", server.getPort()), "pid " + std::to_string (getpid()), true };
}

int Sender::getNumConnections()
{
    const std::lock_guard<std::mutex> guard (sinksLock);
    return (int) sinks.size() + server.getNumConnections();
}

bool Sender::send (const float* data, int sampleRate, int numChannels, int numSamples, int channelStrideBytes)
{
    if (data == nullptr || sampleRate <= 0 || sampleRate > maxSampleRate || numChannels <= 0
        || numChannels > maxChannels || numSamples < 0 || numSamples > sampleRate
        || channelStrideBytes < numSamples * (int) sizeof (float))
        return false;

    if (numSamples == 0)
        return true;

    AudioBlock block;
    block.sampleRate = sampleRate;
    block.numChannels = numChannels;
    block.numSamples = numSamples;
    block.timestamp = currentTimestamp();
    block.samples.resize ((size_t) numChannels * (size_t) numSamples);

    for (int c = 0; c < numChannels; ++c)
        std::memcpy (block.samples.data() + (size_t) c * (size_t) numSamples,
                     reinterpret_cast<const uint8_t*> (data) + (size_t) c * (size_t) channelStrideBytes,
                     (size_t) numSamples * sizeof (float));

    server.send (block);

    const std::lock_guard<std::mutex> guard (sinksLock);

    for (auto* sink : sinks)
        sink->push (block);

    return true;
}

void Sender::addSink (AudioSink& sink)
{
    const std::lock_guard<std::mutex> guard (sinksLock);
    sinks.push_back (&sink);
}

void Sender::removeSink (AudioSink& sink)
{
    const std::lock_guard<std::mutex> guard (sinksLock);
    sinks.erase (std::remove (sinks.begin(), sinks.end(), &sink), sinks.end());
}

} // namespace ndirt
