// Fuzzes the parser of our runtime's audio messages (runtime/src/WireFormat.h):
// any bytes, fed in pieces of sizes chosen by the input itself, must give only
// messages within the format's limits, or an error, and nothing else.

#include "WireFormat.h"

#include <cstdlib>
#include <cstring>

using namespace ndirt;

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    // The first byte chooses how the stream is cut, as TCP may cut it.
    const size_t piece = 1 + data[0] % 64;
    ++data;
    --size;

    wire::Parser parser;
    bool ok = true;

    for (size_t at = 0; at < size && ok; at += piece)
    {
        ok = parser.feed (data + at, std::min (piece, size - at), [] (wire::Parser::Event event, const AudioBlock& block)
        {
            if (event == wire::Parser::Event::keepAlive)
                return;

            const bool valid = block.sampleRate >= 1 && block.sampleRate <= wire::maxSampleRate
                            && block.numChannels >= 1 && block.numChannels <= wire::maxChannels
                            && block.numSamples >= 1 && block.numSamples <= block.sampleRate
                            && block.samples.size() == (size_t) block.numChannels * (size_t) block.numSamples
                            && block.samples.size() * sizeof (float) <= wire::maxPayloadBytes;

            if (! valid)
                std::abort();

            // What was read must survive being written and read again.
            std::vector<uint8_t> encoded;
            wire::appendAudio (block, encoded);
            wire::Parser again;
            int count = 0;

            again.feed (encoded.data(), encoded.size(), [&] (wire::Parser::Event, const AudioBlock& copy)
            {
                if (copy.numSamples != block.numSamples || copy.timestamp != block.timestamp
                    || std::memcmp (copy.samples.data(), block.samples.data(), block.samples.size() * sizeof (float)) != 0)
                    std::abort();

                ++count;
            });

            if (count != 1)
                std::abort();
        });
    }

    if (! ok && parser.getError().empty())
        std::abort();

    return 0;
}
