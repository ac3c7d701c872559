#pragma once

#include "plugin/GlobalDefs.h"

/** The look-and-feel of the editor's tabbed content: the family's look, with
    larger tab text. One instance per process. */
class AudioCorvaneLookAndFeel : public VstLookAndFeel
{
public:
    /** The single instance, built on the first call. */
    static AudioCorvaneLookAndFeel& getInstance();

    ~AudioCorvaneLookAndFeel() override;

    juce::Font getTabButtonFont (juce::TabBarButton&, float height) override;

private:
    AudioCorvaneLookAndFeel() = default;

    JUCE_DECLARE_NON_COPYABLE (AudioCorvaneLookAndFeel)
};
