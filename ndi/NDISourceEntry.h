#pragma once

#include <juce_core/juce_core.h>

/** One NDI source as discovered on the network. Only `name` is used to connect;
    the other two texts are compared and copied. */
struct NDISourceEntry
{
    juce::String name;          // the source's NDI name: shown, saved, and used to connect
    juce::String urlAddress;    // how the runtime reaches the source
    juce::String extraInfo;     // the runtime's third, free text

    bool operator== (const NDISourceEntry& other) const noexcept
    {
        return name == other.name && urlAddress == other.urlAddress && extraInfo == other.extraInfo;
    }

    bool operator!= (const NDISourceEntry& other) const noexcept    { return ! operator== (other); }
};
