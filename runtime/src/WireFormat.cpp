#include "WireFormat.h"

#include <algorithm>
#include <cstring>

static_assert (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the wire format is written and read in host order");

namespace ndirt::wire
{

namespace
{
    template <typename Value>
    void put (std::vector<uint8_t>& out, Value value)
    {
        const auto* bytes = reinterpret_cast<const uint8_t*> (&value);
        out.insert (out.end(), bytes, bytes + sizeof (Value));
    }

    template <typename Value>
    Value get (const uint8_t* at)
    {
        Value value;
        std::memcpy (&value, at, sizeof (Value));
        return value;
    }

    void appendHeader (std::vector<uint8_t>& out, Kind kind, int rate, int channels, int samples, int64_t timestamp)
    {
        out.insert (out.end(), magic, magic + 4);
        put (out, version);
        put (out, (uint16_t) kind);
        put (out, (uint32_t) rate);
        put (out, (uint32_t) channels);
        put (out, (uint32_t) samples);
        put (out, (uint32_t) 0);
        put (out, timestamp);
    }
}

int maxSamplesPerMessage (int numChannels)
{
    return (int) (maxPayloadBytes / (sizeof (float) * (size_t) std::max (1, numChannels)));
}

void appendAudio (const AudioBlock& block, std::vector<uint8_t>& out)
{
    const int piece = maxSamplesPerMessage (block.numChannels);

    for (int start = 0; start < block.numSamples; start += piece)
    {
        const int count = std::min (piece, block.numSamples - start);

        // A timestamp belongs to a message's last sample: earlier pieces of a
        // block end that much before the block's send call.
        const int64_t timestamp = block.timestamp - (int64_t) (block.numSamples - start - count) * 10000000 / block.sampleRate;
        appendHeader (out, Kind::audio, block.sampleRate, block.numChannels, count, timestamp);

        for (int c = 0; c < block.numChannels; ++c)
        {
            const auto* bytes = reinterpret_cast<const uint8_t*> (block.channel (c) + start);
            out.insert (out.end(), bytes, bytes + (size_t) count * sizeof (float));
        }
    }
}

void appendKeepAlive (std::vector<uint8_t>& out)
{
    appendHeader (out, Kind::keepAlive, 0, 0, 0, 0);
}

size_t Parser::take (const uint8_t* data, size_t size)
{
    if (headerFill < headerSize)
    {
        const size_t n = std::min (size, headerSize - headerFill);
        std::memcpy (header + headerFill, data, n);
        headerFill += n;

        if (headerFill == headerSize)
            parseHeader();

        return n;
    }

    const size_t payloadBytes = block.samples.size() * sizeof (float);
    const size_t n = std::min (size, payloadBytes - payloadFill);
    std::memcpy (reinterpret_cast<uint8_t*> (block.samples.data()) + payloadFill, data, n);
    payloadFill += n;

    if (payloadFill == payloadBytes)
    {
        complete = true;
        headerFill = 0;
    }

    return n;
}

void Parser::parseHeader()
{
    if (std::memcmp (header, magic, 4) != 0)
    {
        error = "not a message of this format (wrong magic)";
        return;
    }

    if (get<uint16_t> (header + 4) != version)
    {
        error = "unsupported format version " + std::to_string (get<uint16_t> (header + 4));
        return;
    }

    const auto kindValue = get<uint16_t> (header + 6);
    const auto rate = get<uint32_t> (header + 8);
    const auto channels = get<uint32_t> (header + 12);
    const auto samples = get<uint32_t> (header + 16);

    if (kindValue == (uint16_t) Kind::keepAlive)
    {
        kind = Kind::keepAlive;
        block.samples.clear();
        payloadFill = 0;
        complete = true;
        headerFill = 0;
        return;
    }

    if (kindValue != (uint16_t) Kind::audio)
    {
        error = "unknown message kind " + std::to_string (kindValue);
        return;
    }

    if (rate < 1 || rate > (uint32_t) maxSampleRate || channels < 1 || channels > (uint32_t) maxChannels
        || samples < 1 || samples > rate || (uint64_t) channels * samples * sizeof (float) > maxPayloadBytes)
    {
        error = "audio header out of range: " + std::to_string (rate) + " Hz, " + std::to_string (channels)
              + " channels, " + std::to_string (samples) + " samples";
        return;
    }

    kind = Kind::audio;
    block.sampleRate = (int) rate;
    block.numChannels = (int) channels;
    block.numSamples = (int) samples;
    block.timestamp = get<int64_t> (header + 24);
    block.samples.resize ((size_t) channels * samples);
    payloadFill = 0;
}

} // namespace ndirt::wire
