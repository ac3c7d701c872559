#pragma once

#include "AudioBlock.h"
#include "Runtime.h"

#include <mutex>
#include <string>

namespace ndirt
{

/** Receives the audio of the source with a given NDI name, whenever a source of
    that name exists, and hands it to its sink (its frame synchroniser). Audio
    arriving while it has no sink is dropped. */
class Receiver : public AudioSink
{
public:
    Receiver (std::string sourceNdiName, std::string ownName);
    ~Receiver() override;

    Receiver (const Receiver&) = delete;
    Receiver& operator= (const Receiver&) = delete;

    const std::string& getSourceName() const  { return sourceName; }
    const std::string& getName() const        { return name; }

    /** Sets or, with null, removes the sink; once this returns, the previous
        sink gets no more audio. */
    void setSink (AudioSink* newSink);

    void push (const AudioBlock& block) override;

private:
    RuntimeReference runtime;
    const std::string sourceName;
    const std::string name;

    std::mutex sinkLock;
    AudioSink* sink = nullptr;
};

} // namespace ndirt
