#pragma once

#include "common/ChannelMapping.h"
#include "common/Fifo.h"
#include "common/MessageThreadCaller.h"
#include "ndi/NDIReceiver.h"
#include "ndi/NDISourceFinder.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include <array>
#include <atomic>
#include <vector>

/**
    The plug-in: receives one NDI source's audio and plays each received channel
    on the output channel the channel map names, 5 ms plus one block behind the
    capture. The audio on the input bus is discarded.
*/
class NDIReceiverAudioProcessor : public juce::AudioProcessor,
                                  public NDIReceiver::Listener,
                                  public NDISourceFinder::Listener
{
public:
    /** Received channels beyond this have no buffer or delay line and are skipped. */
    static constexpr int maxReceivedChannels = 64;

    NDIReceiverAudioProcessor();
    ~NDIReceiverAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void audioBroadcastingHasBegun (int numChannels) override;
    void audioBroadcastingHasEnded() override;
    void sourceListChanged (const juce::Array<NDISourceEntry>& sources) override;

    /** Connects to the source named in the saved state, if the finder has seen it. */
    void tryToConnectToStoredSource();

    /** Hands a whole channel map to the audio thread; message thread only.
        Every map for the audio thread goes through here, so that the message
        thread knows which map the audio thread applies. False when the FIFO is
        full and the map was dropped. */
    bool handOverChannelMapping (const std::vector<ChannelMapping>& map);

private:
    /** Held while the processor is destroyed on a thread other than the
        message thread, as Linux hosts do with VST3 plug-ins whose JUCE
        messages run on a thread of the plug-in's own: no timer or message
        callback can then run into a half-destroyed processor. Declared first,
        so that it is released last. */
    std::unique_ptr<juce::MessageManagerLock> destructionLock;

public:
    juce::AudioProcessorValueTreeState apvts;
    NDIReceiver receiver;
    NDISourceFinder sourceFinder;
    Fifo<std::vector<ChannelMapping>, 100, true> channelMappingFifo;

private:
    void routeReceivedChannels (juce::AudioBuffer<float>& buffer, int startSample, int numSamples);
    void applyFade (juce::AudioBuffer<float>& buffer, int startSample, int numSamples);
    const ChannelMapping* findUsableMapping (int ndiChannel, int numOutputs) const noexcept;

    using DelayLine = juce::dsp::DelayLine<float, juce::dsp::DelayLineInterpolationTypes::Linear>;

    std::array<std::vector<float>, maxReceivedChannels> channelBuffers;
    std::array<DelayLine, maxReceivedChannels> delayLines;
    std::vector<ChannelMapping> channelMapping;
    juce::dsp::Gain<float> outputGain;
    bool isFadedIn = false;
    std::atomic<bool> fadeRequested { false };
    juce::AudioBuffer<float> workBuffer;

    juce::Array<NDISourceEntry> knownSources;               // message thread only

    int preparedBlockSize = 0;                              // audio thread and prepareToPlay
    std::vector<ChannelMapping> channelMappingHandedOver;   // message thread only

    /** The state tree as the bytes a save returns, kept current from the
        message thread, so that a host may save from any thread. */
    class SavedStateCopy : private juce::ValueTree::Listener
    {
    public:
        explicit SavedStateCopy (juce::ValueTree& state);
        ~SavedStateCopy() override;

        void set (const void* data, size_t numBytes);
        void copyTo (juce::MemoryBlock& destData) const;

    private:
        void update();
        void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override   { update(); }
        void valueTreeChildAdded (juce::ValueTree&, juce::ValueTree&) override                { update(); }
        void valueTreeChildRemoved (juce::ValueTree&, juce::ValueTree&, int) override         { update(); }
        void valueTreeChildOrderChanged (juce::ValueTree&, int, int) override                 { update(); }
        void valueTreeRedirected (juce::ValueTree&) override                                  { update(); }

        juce::ValueTree& tree;
        juce::MemoryBlock bytes;
        juce::CriticalSection lock;
    };

    SavedStateCopy savedState { apvts.state };
    MessageThreadCaller messageThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NDIReceiverAudioProcessor)
};
