#pragma once

#include "plugin/GlobalDefs.h"

/** The look-and-feel of the About page: the family's look, reading text-button
    font heights through its own property key. One instance per process. */
class AboutTabLookAndFeel : public VstLookAndFeel
{
public:
    /** Name of the component property that holds a text button's font height. */
    static const juce::String fontsize;

    /** The single instance, built on the first call. */
    static AboutTabLookAndFeel& getInstance();

    ~AboutTabLookAndFeel() override;

    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;

private:
    AboutTabLookAndFeel() = default;

    JUCE_DECLARE_NON_COPYABLE (AboutTabLookAndFeel)
};
