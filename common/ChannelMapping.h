#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <cstring>
#include <vector>

/**
    One entry of a channel map: which received NDI channel is played on which
    output channel. Both are 0-based; -1 means none.

    A channel map is an ordered std::vector of these. Its saved form is binary
    data of 8 bytes per entry, ndiChannel then outputChannel, each a signed
    32-bit little-endian integer, with no header.
*/
struct ChannelMapping
{
    int32_t ndiChannel = -1;
    int32_t outputChannel = -1;

    bool operator== (const ChannelMapping& other) const noexcept
    {
        return ndiChannel == other.ndiChannel && outputChannel == other.outputChannel;
    }

    bool operator!= (const ChannelMapping& other) const noexcept    { return ! operator== (other); }
};

static_assert (std::is_trivially_copyable_v<ChannelMapping> && sizeof (ChannelMapping) == 8,
               "A channel mapping is saved as two 32-bit fields");

/** Reads a channel map from its saved form. Anything that is not binary data
    gives an empty map; trailing bytes that don't make a whole entry are ignored. */
template <typename T>
std::vector<T> JuceVarToVector (const juce::var& value);

/** Writes a channel map in its saved form: a var holding a juce::MemoryBlock. */
template <typename T>
juce::var VectorToJuceVar (const std::vector<T>& list);

template <>
inline std::vector<ChannelMapping> JuceVarToVector<ChannelMapping> (const juce::var& value)
{
    const auto* block = value.getBinaryData();

    if (block == nullptr)
        return {};

    const auto* bytes = static_cast<const char*> (block->getData());
    const auto count = (size_t) block->getSize() / sizeof (ChannelMapping);

    std::vector<ChannelMapping> list (count);

    for (size_t i = 0; i < count; ++i)
    {
        const auto* record = bytes + i * sizeof (ChannelMapping);
        list[i].ndiChannel    = (int32_t) juce::ByteOrder::littleEndianInt (record);
        list[i].outputChannel = (int32_t) juce::ByteOrder::littleEndianInt (record + 4);
    }

    return list;
}

template <>
inline juce::var VectorToJuceVar<ChannelMapping> (const std::vector<ChannelMapping>& list)
{
    juce::MemoryBlock block (list.size() * sizeof (ChannelMapping));
    auto* bytes = static_cast<char*> (block.getData());

    for (size_t i = 0; i < list.size(); ++i)
    {
        auto* record = bytes + i * sizeof (ChannelMapping);
        const juce::uint32 fields[] { juce::ByteOrder::swapIfBigEndian ((juce::uint32) list[i].ndiChannel),
                                      juce::ByteOrder::swapIfBigEndian ((juce::uint32) list[i].outputChannel) };
        std::memcpy (record, fields, sizeof (fields));
    }

    return juce::var (std::move (block));
}
