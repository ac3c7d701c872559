// The rate converter on its own, at a fixed ratio: quality and alignment.

#include "RuntimeTestSupport.h"

#include "RateConverter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
    /** Converts seconds of a 1 kHz tone at amplitude 0.5 and returns the output. */
    std::vector<float> convertTone (int inputRate, int outputRate, double seconds)
    {
        ndirt::RateConverter converter;
        EXPECT_TRUE (converter.setup (inputRate, outputRate, 1));

        ndirt::SampleQueue queue;
        queue.reset (1, inputRate);

        rt::Tone tone (1000.0, { 0.5f });
        std::vector<float> output;
        const int block = 256;

        while (output.size() < seconds * outputRate)
        {
            while (queue.size() < converter.inputFramesFor (block) + converter.lookaheadInputFrames() + 2)
                queue.pushPlanar (tone.next (64, inputRate).front().data(), 64, 64);

            std::vector<float> out ((size_t) block);
            EXPECT_EQ (converter.process (queue, out.data(), block), 0);
            output.insert (output.end(), out.begin(), out.end());
        }

        // Skip the filter's start.
        output.erase (output.begin(), output.begin() + outputRate / 10);
        return output;
    }
}

class ConverterQuality : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P (ConverterQuality, LeavesNothingButTheToneAboveMinus96dB)
{
    const auto [inputRate, outputRate] = GetParam();
    const auto output = convertTone (inputRate, outputRate, 0.6);

    // A band-limited resampler; linear interpolation would leave about -50 dB.
    EXPECT_LT (rt::residualDb (output, 1000.0, outputRate), -96.0);
    EXPECT_NEAR (rt::rms (output), 0.5 / std::sqrt (2.0), 0.001);
}

INSTANTIATE_TEST_SUITE_P (Rates, ConverterQuality,
                          ::testing::Values (std::pair { 44100, 48000 }, std::pair { 48000, 44100 },
                                             std::pair { 96000, 44100 }, std::pair { 8000, 192000 },
                                             std::pair { 192000, 8000 }, std::pair { 48000, 48000 }));

TEST (Converter, FirstInputSampleIsTheFirstOutputSample)
{
    ndirt::RateConverter converter;
    ASSERT_TRUE (converter.setup (48000, 48000, 1));

    std::vector<float> impulse (200, 0.0f);
    impulse[0] = 1.0f;

    ndirt::SampleQueue queue;
    queue.reset (1, 1000);
    queue.pushPlanar (impulse.data(), 200, 200);

    std::vector<float> out (100);
    EXPECT_EQ (converter.process (queue, out.data(), 100), 0);
    // The impulse comes out band-limited (the filter's passband ends just below
    // the Nyquist frequency) but centred on the first output sample.
    EXPECT_EQ (std::max_element (out.begin(), out.end()) - out.begin(), 0);
    EXPECT_GT (out[0], 0.9f);

    // It consumed the output's worth plus its look-ahead, and says so.
    EXPECT_EQ (queue.size(), 200 - 100 - (int) converter.lookaheadInputFrames());
    EXPECT_DOUBLE_EQ (converter.heldInputFrames(), converter.lookaheadInputFrames());
}

TEST (Converter, RunsOnSilenceWhenInputEnds)
{
    ndirt::RateConverter converter;
    ASSERT_TRUE (converter.setup (44100, 48000, 2));

    ndirt::SampleQueue queue;
    queue.reset (2, 1000);
    const std::vector<float> ones (100, 1.0f);
    queue.pushPlanar (ones.data(), 50, 50);

    std::vector<float> out (2 * 512);
    EXPECT_GT (converter.process (queue, out.data(), 512), 0);
    EXPECT_EQ (queue.size(), 0);
    EXPECT_EQ (out[2 * 511], 0.0f);
}

TEST (Converter, RefusesRatiosItCannotDo)
{
    ndirt::RateConverter converter;
    EXPECT_FALSE (converter.setup (0, 48000, 2));
    EXPECT_FALSE (converter.setup (48000, -1, 2));
    EXPECT_FALSE (converter.setup (48000, 48000, 0));
    EXPECT_FALSE (converter.setup (1000, 100000, 1));     // more than 64 times up
    EXPECT_FALSE (converter.setup (768000, 1000, 1));     // more than 64 times down

    // Unusable, it writes silence rather than garbage.
    ndirt::SampleQueue queue;
    queue.reset (1, 10);
    std::vector<float> out (16, 1.0f);
    EXPECT_EQ (converter.process (queue, out.data(), 16), 16);
    EXPECT_EQ (out[15], 0.0f);
}
