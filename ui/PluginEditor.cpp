#include "PluginEditor.h"

NDIReceiverAudioProcessorEditor::NDIReceiverAudioProcessorEditor (NDIReceiverAudioProcessor& p)
    : juce::AudioProcessorEditor (p),
      homeReceiverComponent (p)
{
    addAndMakeVisible (audioCorvaneComponent);

    // Not resizable by the user: the pages decide the height.
    setSize (width, AudioCorvaneComponent::minimumHeight);

    audioCorvaneComponent.setPluginName (juce::translate ("NDI Receiver"));
    audioCorvaneComponent.postCommandMessage (AudioCorvaneComponent::showHomeCommand);
    audioCorvaneComponent.setHomeComponent (&homeReceiverComponent);
}

NDIReceiverAudioProcessorEditor::~NDIReceiverAudioProcessorEditor() = default;

void NDIReceiverAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff6e6e6e));
}

void NDIReceiverAudioProcessorEditor::resized()
{
    audioCorvaneComponent.setBounds (getLocalBounds());
}
