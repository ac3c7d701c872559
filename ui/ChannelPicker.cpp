#include "ChannelPicker.h"

ChannelPicker::ChannelPicker (const juce::String& channelName)
    : channelToggle (channelName),
      destinationComboBox (juce::String())
{
    addAndMakeVisible (channelToggle);
    addChildComponent (destinationComboBox);
}

ChannelPicker::~ChannelPicker() = default;

void ChannelPicker::resized()
{
    constexpr int gap = 10;

    channelToggle.setBounds (0, 0, getWidth(), getHeight());
    channelToggle.changeWidthToFitText();

    const auto boxX = channelToggle.getWidth() + gap;
    destinationComboBox.setBounds (boxX, 0, juce::jmax (0, getWidth() - boxX), getHeight());
}
