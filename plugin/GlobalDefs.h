#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** Property of the saved state tree: the NDI name of the source the user chose. */
inline const juce::Identifier ConnectedSourceName { "ConnectedSource" };

/** Property of the saved state tree: the channel map, as binary data. */
inline const juce::Identifier ChannelMap { "ChannelMap" };
