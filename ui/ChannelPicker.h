#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    One routing row of the Home page, standing for one received channel: a tick
    box that routes the channel or not, and a box choosing the output channel it
    goes to. The page fills the box, attaches the handlers and shows the box
    while the tick box is on; the row only holds and arranges the two controls.
*/
class ChannelPicker : public juce::Component
{
public:
    /** The tick box shows `channelName`; the destination box starts hidden and empty. */
    explicit ChannelPicker (const juce::String& channelName);
    ~ChannelPicker() override;

    /** The tick box as wide as its text needs, then the destination box 10 pixels
        further right, filling the rest of the row. */
    void resized() override;

    juce::ToggleButton channelToggle;
    juce::ComboBox destinationComboBox;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelPicker)
};
