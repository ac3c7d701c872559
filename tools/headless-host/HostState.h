#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    The plug-in's own state as a host stores it in its project.

    Hosts do not hand a plug-in's state bytes around bare: JUCE's VST3 host
    keeps them, base64-encoded, under "IComponent" in a binary XML document,
    and its LV2 host keeps them as an LV2 state preset in Turtle whose
    "StateString" property holds them in JUCE's base64 form. This builds what
    the host of `plugin` would pass to setStateInformation for `pluginState`.
*/
juce::MemoryBlock wrapStateForHost (const juce::AudioPluginInstance& plugin, const juce::MemoryBlock& pluginState);
