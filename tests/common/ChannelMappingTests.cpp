#include "common/ChannelMapping.h"

#include <gtest/gtest.h>

namespace
{
    juce::var bytes (std::initializer_list<unsigned char> list)
    {
        const std::vector<unsigned char> data (list);
        return juce::var (juce::MemoryBlock (data.data(), data.size()));
    }
}

TEST (ChannelMapping, DefaultIsNoChannelToNoOutput)
{
    const ChannelMapping mapping;
    EXPECT_EQ (mapping.ndiChannel, -1);
    EXPECT_EQ (mapping.outputChannel, -1);
}

TEST (ChannelMapping, SavedFormIsLittleEndianRecords)
{
    const std::vector<ChannelMapping> map { { 0, 1 }, { 1, -1 } };
    const auto saved = VectorToJuceVar (map);

    ASSERT_TRUE (saved.isBinaryData());
    const auto* block = saved.getBinaryData();

    const unsigned char expected[] { 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                     0x01, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff };
    ASSERT_EQ (block->getSize(), sizeof (expected));
    EXPECT_EQ (std::memcmp (block->getData(), expected, sizeof (expected)), 0);
}

TEST (ChannelMapping, RoundTripKeepsTheList)
{
    const std::vector<std::vector<ChannelMapping>> lists {
        {},
        { { 5, 2 } },
        { { 0, 0 }, { -1, -1 }, { 63, 7 }, { 2147483647, -2147483647 - 1 } },
    };

    for (const auto& list : lists)
        EXPECT_EQ (JuceVarToVector<ChannelMapping> (VectorToJuceVar (list)), list);
}

TEST (ChannelMapping, ReadingAnythingElse)
{
    juce::Array<juce::var> array;
    array.add (1);

    struct Case { const char* what; juce::var value; std::vector<ChannelMapping> expected; };

    const Case cases[] {
        { "void",              juce::var(),          {} },
        { "string",            juce::var ("abcdefgh"), {} },
        { "number",            juce::var (42),       {} },
        { "array",             juce::var (array),    {} },
        { "empty binary",      bytes ({}),           {} },
        { "seven bytes",       bytes ({ 1, 0, 0, 0, 2, 0, 0 }), {} },
        { "one record",        bytes ({ 1, 0, 0, 0, 2, 0, 0, 0 }), { { 1, 2 } } },
        { "twelve bytes",      bytes ({ 3, 0, 0, 0, 4, 0, 0, 0, 9, 9, 9, 9 }), { { 3, 4 } } },
    };

    for (const auto& c : cases)
        EXPECT_EQ (JuceVarToVector<ChannelMapping> (c.value), c.expected) << c.what;
}
