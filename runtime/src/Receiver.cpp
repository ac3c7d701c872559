#include "Receiver.h"

namespace ndirt
{

Receiver::Receiver (std::string sourceNdiName, std::string ownName)
    : sourceName (std::move (sourceNdiName)),
      name (std::move (ownName))
{
    runtime->getHub().addReceiver (*this);
}

Receiver::~Receiver()
{
    runtime->getHub().removeReceiver (*this);
}

void Receiver::setSink (AudioSink* newSink)
{
    const std::lock_guard<std::mutex> guard (sinkLock);
    sink = newSink;
}

void Receiver::push (const AudioBlock& block)
{
    const std::lock_guard<std::mutex> guard (sinkLock);

    if (sink != nullptr)
        sink->push (block);
}

} // namespace ndirt
