#pragma once

#include "ChannelPicker.h"
#include "plugin/PluginProcessor.h"

#include <memory>
#include <vector>

/**
    The Home page: the user picks one of the NDI sources the processor's finder
    reports, sees whether audio arrives, and routes each received channel to an
    output channel with one ChannelPicker row per channel.

    The chosen source's name is saved as ConnectedSource and the routing as
    ChannelMap in the processor's state; every routing change is also handed to
    the audio thread at once. When broadcasting begins, the saved routing is
    restored onto the new rows if it has one record per row.

    Finder and receiver reports are handled on the message thread: one that
    arrives on another thread is posted there, and dropped if the page is gone
    by then.
*/
class HomeReceiverComponent : public juce::Component,
                              private NDISourceFinder::Listener,
                              private NDIReceiver::Listener
{
public:
    explicit HomeReceiverComponent (NDIReceiverAudioProcessor& processor);
    ~HomeReceiverComponent() override;

    /** Fits the page to its rows; the shell calls this when Home becomes current. */
    void enablementChanged() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Makes the page as high as its content with `rows` rows of pickers, lays it
        out, and asks the editor's shell (the parent's parent), if there is one,
        to fit the window to the page. */
    void resizeToContent (int rows);

    /** The routing the rows show, one record per row: the row's channel when
        its tick box is on (else -1), and its chosen output (else -1). */
    std::vector<ChannelMapping> createChannelMapping() const;

    juce::Label titleLabel;
    juce::Label selectedSourceLabel;
    juce::Label noAudioLabel;
    juce::ComboBox sourceComboBox;
    juce::ImageButton logoButton;

    /** One row per received channel, in channel order; empty while no audio arrives. */
    std::vector<std::unique_ptr<ChannelPicker>> channelPickers;

private:
    void sourceListChanged (const juce::Array<NDISourceEntry>& sources) override;
    void audioBroadcastingHasBegun (int numChannels) override;
    void audioBroadcastingHasEnded() override;

    void showSources (const juce::Array<NDISourceEntry>& sources);
    void sourceSelected();
    void showChannels (int numChannels);
    void showNoAudio();
    bool restoreSavedRouting();
    void updateChannelPickerEnablements();
    void writeMappingToAPVTS();
    void updateAudioProcessorChannelMapping();

    NDIReceiverAudioProcessor& audioProcessor;

    /** The finder's last list; item id i + 1 of the selector is entry i. */
    juce::Array<NDISourceEntry> sourceList;

    MessageThreadCaller messageThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HomeReceiverComponent)
};
