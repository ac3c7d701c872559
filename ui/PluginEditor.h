#pragma once

#include "AudioCorvaneComponent.h"
#include "HomeReceiverComponent.h"

/**
    The plug-in's window: the shell with the tabs Home and About over the whole
    window, 500 pixels wide and as high as the page showing needs, at least 240.
    It opens on About; Home becomes current once the message loop runs.
*/
class NDIReceiverAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    static constexpr int width = 500;

    explicit NDIReceiverAudioProcessorEditor (NDIReceiverAudioProcessor&);
    ~NDIReceiverAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    AudioCorvaneComponent audioCorvaneComponent;

    /** Declared after the shell: built after it and destroyed before it. */
    HomeReceiverComponent homeReceiverComponent;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NDIReceiverAudioProcessorEditor)
};
