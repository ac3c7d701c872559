// The sender tool with audio files: WAV and FLAC, looped or once, and its
// errors.

#include "ChildProcess.h"
#include "RuntimeTestSupport.h"

#include <FLAC/stream_encoder.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <thread>

#include <unistd.h>

using namespace std::chrono_literals;

namespace
{
    constexpr int fileRate = 44100;

    /** One second of a 440 Hz tone at amplitude 0.5, as 32-bit integers at full scale. */
    std::vector<int32_t> toneSamples()
    {
        std::vector<int32_t> samples (fileRate);

        for (int i = 0; i < fileRate; ++i)
            samples[(size_t) i] = (int32_t) std::lround (0.5 * std::sin (2.0 * M_PI * 440.0 * i / fileRate) * 2147483647.0);

        return samples;
    }

    void put (std::ofstream& out, uint32_t value, int bytes)
    {
        for (int b = 0; b < bytes; ++b)
            out.put ((char) ((value >> (8 * b)) & 0xff));
    }

    /** A mono 24-bit PCM WAV file. */
    void writeWav (const std::string& path)
    {
        const auto samples = toneSamples();
        std::ofstream out (path, std::ios::binary);
        const uint32_t dataBytes = (uint32_t) samples.size() * 3;

        out.write ("RIFF", 4);
        put (out, 36 + dataBytes, 4);
        out.write ("WAVEfmt ", 8);
        put (out, 16, 4);
        put (out, 1, 2);                    // PCM
        put (out, 1, 2);                    // mono
        put (out, fileRate, 4);
        put (out, fileRate * 3, 4);
        put (out, 3, 2);
        put (out, 24, 2);
        out.write ("data", 4);
        put (out, dataBytes, 4);

        for (auto s : samples)
            put (out, (uint32_t) s >> 8, 3);
    }

    /** A mono 16-bit FLAC file, made with libFLAC's encoder. */
    void writeFlac (const std::string& path)
    {
        std::vector<FLAC__int32> samples;

        for (auto s : toneSamples())
            samples.push_back (s >> 16);

        auto* encoder = FLAC__stream_encoder_new();
        FLAC__stream_encoder_set_channels (encoder, 1);
        FLAC__stream_encoder_set_bits_per_sample (encoder, 16);
        FLAC__stream_encoder_set_sample_rate (encoder, fileRate);
        ASSERT_EQ (FLAC__stream_encoder_init_file (encoder, path.c_str(), nullptr, nullptr), FLAC__STREAM_ENCODER_INIT_STATUS_OK);
        ASSERT_TRUE (FLAC__stream_encoder_process_interleaved (encoder, samples.data(), (unsigned) samples.size()));
        FLAC__stream_encoder_finish (encoder);
        FLAC__stream_encoder_delete (encoder);
    }

    /** Reads the tool's lines until one starts with prefix. */
    std::string lineStartingWith (rt::ChildProcess& tool, const std::string& prefix)
    {
        std::string line;

        while (tool.readLine (line, 20s))
            if (line.rfind (prefix, 0) == 0)
                return line;

        return {};
    }
}

class SenderToolFile : public ::testing::TestWithParam<const char*> {};

TEST_P (SenderToolFile, PlaysTheFileOnceAtItsOwnRate)
{
    const std::string kind = GetParam();
    const auto path = ::testing::TempDir() + "ndirt-tone-" + std::to_string (getpid()) + "." + kind;

    if (kind == "wav")
        writeWav (path);
    else
        writeFlac (path);

    const auto name = rt::uniqueName ("File");
    rt::ChildProcess tool ({ rt::senderTool(), "--name", name, "--file", path, "--once", "--block", "1000" });
    const auto started = lineStartingWith (tool, "Sending");
    ASSERT_NE (started.find ("1 channels, 44100 Hz"), std::string::npos) << started;

    // Receive while it plays: the file's tone, converted to 48 kHz.
    rt::Capture capture (rt::ndiNameFor (name));
    const auto [peak, frequency] = rt::receivedTone (capture, 2s);
    EXPECT_NEAR (peak, 0.5, 0.01);
    EXPECT_NEAR (frequency, 440.0, 5.0);

    // Once through the file, it stops by itself, having sent exactly the file.
    EXPECT_EQ (lineStartingWith (tool, "Stopped"), "Stopped after 44100 samples.");
    std::remove (path.c_str());
}

INSTANTIATE_TEST_SUITE_P (Formats, SenderToolFile, ::testing::Values ("wav", "flac"));

TEST (SenderTool, RefusesBadArgumentsClearly)
{
    const struct { std::vector<std::string> arguments; const char* complaint; } cases[] = {
        { {},                                             "--name is required" },
        { { "--name", "x", "--channels", "0" },           "--channels must be 1..1024" },
        { { "--name", "x", "--rate", "fast" },            "not a number for --rate" },
        { { "--name", "x", "--bogus" },                   "unknown argument --bogus" },
        { { "--name", "x", "--file", "/nonexistent" },    "cannot open /nonexistent" },
        { { "--name", "x", "--sweep", "20:10" },          "--sweep wants LOW:HIGH:SECS" },
    };

    for (const auto& c : cases)
    {
        auto arguments = c.arguments;
        arguments.insert (arguments.begin(), rt::senderTool());

        // The complaint goes to standard error: run through a shell to see it.
        std::string command;

        for (const auto& a : arguments)
            command += "'" + a + "' ";

        rt::ChildProcess tool ({ "sh", "-c", command + "2>&1" });
        std::string line;
        ASSERT_TRUE (tool.readLine (line, 20s)) << c.complaint;
        EXPECT_NE (line.find (c.complaint), std::string::npos) << line;
    }
}

TEST (SenderTool, SweepsBetweenItsLimits)
{
    const auto name = rt::uniqueName ("Sweep");
    rt::ChildProcess tool ({ rt::senderTool(), "--name", name, "--sweep", "200:4000:1" });
    ASSERT_FALSE (lineStartingWith (tool, "Sending").empty());

    rt::Capture capture (rt::ndiNameFor (name));
    double lowest = 1e9, highest = 0.0;

    rt::captureInRealTime (capture, 2500ms, [&] (const auto& channels)
    {
        if (channels.empty() || *std::max_element (channels[0].begin(), channels[0].end()) < 0.1f)
            return;

        const double frequency = rt::measureFrequency (channels[0], 48000);

        if (frequency > 0.0)
        {
            lowest = std::min (lowest, frequency);
            highest = std::max (highest, frequency);
        }
    });

    EXPECT_LT (lowest, 400.0);
    EXPECT_GT (highest, 3000.0);
    EXPECT_LT (highest, 4500.0);
}

TEST (SenderTool, ClockOffsetChangesHowFastItSends)
{
    // 1 % fast: its status line shows 1 % more samples per second of its run.
    rt::ChildProcess tool ({ rt::senderTool(), "--name", rt::uniqueName ("Fast"), "--ppm", "10000", "--rate", "48000" });
    std::string line;
    double seconds = 0.0;
    long long samples = 0;

    while (seconds < 3.0 && tool.readLine (line, 20s))
        std::sscanf (line.c_str(), "%lf s, %lld samples sent", &seconds, &samples);

    ASSERT_GE (seconds, 3.0);
    EXPECT_NEAR (samples / seconds, 48000 * 1.01, 48000 * 0.005);
}
