// The framed format of audio on TCP: round trips, any split of the byte
// stream, and every kind of malformed header.

#include "WireHeader.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ndirt;

namespace
{
    AudioBlock makeBlock (int rate, int channels, int samples, int64_t timestamp)
    {
        AudioBlock block { rate, channels, samples, timestamp, {} };

        for (int i = 0; i < channels * samples; ++i)
            block.samples.push_back ((float) i * 0.001f - 1.0f);

        return block;
    }

    struct Parsed
    {
        std::vector<AudioBlock> audio;
        int keepAlives = 0;
        bool ok = true;
        std::string error;
    };

    /** Feeds bytes in pieces of pieceSize. */
    Parsed parse (const std::vector<uint8_t>& bytes, size_t pieceSize)
    {
        wire::Parser parser;
        Parsed result;

        for (size_t at = 0; at < bytes.size() && result.ok; at += pieceSize)
            result.ok = parser.feed (bytes.data() + at, std::min (pieceSize, bytes.size() - at),
                                     [&] (wire::Parser::Event event, const AudioBlock& block)
                                     {
                                         if (event == wire::Parser::Event::audio)
                                             result.audio.push_back (block);
                                         else
                                             ++result.keepAlives;
                                     });

        result.error = parser.getError();
        return result;
    }
}

TEST (WireFormat, RoundTripsWhateverTheStreamIsCutInto)
{
    const auto block = makeBlock (44100, 3, 100, 123456789);
    std::vector<uint8_t> bytes;
    wire::appendAudio (block, bytes);
    wire::appendKeepAlive (bytes);
    wire::appendAudio (block, bytes);

    for (size_t piece : { (size_t) 1, (size_t) 7, (size_t) 32, (size_t) 1000, bytes.size() })
    {
        const auto parsed = parse (bytes, piece);
        SCOPED_TRACE (piece);

        ASSERT_TRUE (parsed.ok) << parsed.error;
        ASSERT_EQ (parsed.audio.size(), 2u);
        EXPECT_EQ (parsed.keepAlives, 1);

        for (const auto& received : parsed.audio)
        {
            EXPECT_EQ (received.sampleRate, 44100);
            EXPECT_EQ (received.numChannels, 3);
            EXPECT_EQ (received.numSamples, 100);
            EXPECT_EQ (received.timestamp, 123456789);
            EXPECT_EQ (received.samples, block.samples);
        }
    }
}

TEST (WireFormat, SplitsBlocksLargerThanOneMessage)
{
    // 64 channels of one second at 48 kHz: 12 MB, more than a message carries.
    const auto block = makeBlock (48000, 64, 48000, 1000000000);
    std::vector<uint8_t> bytes;
    wire::appendAudio (block, bytes);

    const auto parsed = parse (bytes, 65536);
    ASSERT_TRUE (parsed.ok) << parsed.error;
    ASSERT_GT (parsed.audio.size(), 1u);

    int total = 0;

    for (const auto& piece : parsed.audio)
    {
        EXPECT_LE (piece.samples.size() * sizeof (float), wire::maxPayloadBytes);

        // Channel 1 of the piece continues channel 1 of the block.
        EXPECT_EQ (piece.channel (1)[0], block.channel (1)[total]);
        total += piece.numSamples;

        // Each piece's timestamp is that of its last sample.
        EXPECT_EQ (piece.timestamp, block.timestamp - (int64_t) (block.numSamples - total) * 10000000 / 48000);
    }

    EXPECT_EQ (total, block.numSamples);
}

TEST (WireFormat, RejectsMalformedHeadersBeforeReservingAnything)
{
    const struct { const char* what; std::vector<uint8_t> bytes; } cases[] = {
        { "garbage",              std::vector<uint8_t> (64, 0x5a) },
        { "wrong magic",          rt::wireHeader (48000, 2, 10, "RIFF") },
        { "wrong version",        rt::wireHeader (48000, 2, 10, "NDRA", 2) },
        { "unknown kind",         rt::wireHeader (48000, 2, 10, "NDRA", 1, 9) },
        { "rate 0",               rt::wireHeader (0, 2, 10) },
        { "absurd rate",          rt::wireHeader (100000000, 2, 10) },
        { "no channels",          rt::wireHeader (48000, 0, 10) },
        { "100000 channels",      rt::wireHeader (48000, 100000, 10) },
        { "negative channels",    rt::wireHeader (48000, 0xffffffff, 10) },
        { "no samples",           rt::wireHeader (48000, 2, 0) },
        { "negative samples",     rt::wireHeader (48000, 2, 0xffffffff) },
        { "over one second",      rt::wireHeader (48000, 2, 48001) },
        { "payload over 4 MiB",   rt::wireHeader (768000, 1024, 1025) },
    };

    for (const auto& c : cases)
    {
        const auto parsed = parse (c.bytes, c.bytes.size());
        EXPECT_FALSE (parsed.ok) << c.what;
        EXPECT_FALSE (parsed.error.empty()) << c.what;
        EXPECT_TRUE (parsed.audio.empty()) << c.what;
    }
}

TEST (WireFormat, NothingIsReadAfterAnError)
{
    auto bytes = rt::wireHeader (48000, 2, 10, "XXXX");
    wire::appendKeepAlive (bytes);

    const auto parsed = parse (bytes, 1);
    EXPECT_FALSE (parsed.ok);
    EXPECT_EQ (parsed.keepAlives, 0);
}
