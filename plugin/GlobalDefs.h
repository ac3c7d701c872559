#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Property of the saved state tree: the NDI name of the source the user chose. */
inline const juce::Identifier ConnectedSourceName { "ConnectedSource" };

/** Property of the saved state tree: the channel map, as binary data. */
inline const juce::Identifier ChannelMap { "ChannelMap" };

/**
    The base of the plug-in's look-and-feel family: JUCE's dark V4 look, with the
    embedded Lato Regular as the only typeface, text-button fonts taken from a
    property of the button, labels drawn as rounded boxes, and tabs drawn as
    plain text under a thin gold bar on the front tab.

    Constructing one makes it JUCE's default look-and-feel, because JUCE asks
    only the default one for typefaces.
*/
class VstLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** Name of the component property that holds a text button's font height. */
    static const juce::String fontsize;

    VstLookAndFeel();
    ~VstLookAndFeel() override;

    /** A font on the embedded Lato Regular, which is decoded once per process. */
    static juce::Font getCustomFont();

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawLabel (juce::Graphics&, juce::Label&) override;
    void drawTabButton (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;
    juce::Font getTabButtonFont (juce::TabBarButton&, float height) override;
    void drawTabButtonText (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;

protected:
    /** A plain font whose height is the number in the button's property `key`;
        JUCE's usual text-button font when the button has no such property. */
    juce::Font textButtonFont (juce::TextButton&, int buttonHeight, const juce::String& key);

    /** A plain tab font: `factor` times the tab height, never below 6. */
    static juce::Font tabFont (float height, float factor);

    /** Makes `instance` JUCE's default look-and-feel again when no member of the
        family is: a host may shut JUCE's desktop down when it closes the last
        editor, and a new desktop starts with JUCE's own look-and-feel. */
    static void makeDefaultUnlessFamilyIs (VstLookAndFeel& instance);

private:
    static const juce::Typeface::Ptr& getCustomTypeface();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VstLookAndFeel)
};
