#pragma once

#include "AudioBlock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ndirt::wire
{

/* The framed format of audio on a TCP connection from a sender to a receiver.
   Every message is a 32-byte header, little-endian, then its payload:

     offset  size  field
     0       4     magic "NDRA"
     4       2     format version (1)
     6       2     kind: 1 audio, 2 keep-alive (no payload, other fields 0)
     8       4     sample rate, 1..768000
     12      4     channel count, 1..1024
     16      4     sample count per channel, 1..sample rate (at most 1 s)
     20      4     reserved, 0
     24      8     timestamp: the send call's time, 100 ns units since the epoch
     32      ...   channel count * sample count 32-bit floats, planar

   A payload is at most 4 MiB; senders split longer blocks. */

constexpr uint8_t magic[4] = { 'N', 'D', 'R', 'A' };
constexpr uint16_t version = 1;
constexpr size_t headerSize = 32;
constexpr int maxSampleRate = 768000;
constexpr int maxChannels = 1024;
constexpr size_t maxPayloadBytes = 4u << 20;

enum class Kind : uint16_t
{
    audio = 1,
    keepAlive = 2
};

/** The most samples per channel one audio message of numChannels can carry. */
int maxSamplesPerMessage (int numChannels);

/** Appends the messages carrying block (one or more) to out. */
void appendAudio (const AudioBlock& block, std::vector<uint8_t>& out);

/** Appends a keep-alive message to out. */
void appendKeepAlive (std::vector<uint8_t>& out);

/** Reads messages from a byte stream that arrives in pieces of any size. It
    holds at most one header and one payload, whose size it checks against the
    limits above before it reserves room for it. After an error it reads
    nothing more: the connection is to be dropped. */
class Parser
{
public:
    enum class Event
    {
        audio,
        keepAlive
    };

    /** Takes up to size bytes; calls onMessage (Event, const AudioBlock&) for
        each complete message. Returns false on malformed input; getError()
        then says what was wrong. */
    template <typename Callback>
    bool feed (const uint8_t* data, size_t size, Callback&& onMessage)
    {
        while (size > 0 && error.empty())
        {
            const size_t taken = take (data, size);
            data += taken;
            size -= taken;

            if (complete)
            {
                onMessage (kind == Kind::audio ? Event::audio : Event::keepAlive, block);
                complete = false;
            }
        }

        return error.empty();
    }

    const std::string& getError() const  { return error; }

private:
    /** Takes bytes towards the current message; returns how many. */
    size_t take (const uint8_t* data, size_t size);
    void parseHeader();

    uint8_t header[headerSize] = {};
    size_t headerFill = 0;
    size_t payloadFill = 0;     // bytes of the payload received
    Kind kind = Kind::audio;
    bool complete = false;
    AudioBlock block;
    std::string error;
};

} // namespace ndirt::wire
