#include "plugin/PluginProcessor.h"
#include "plugin/GlobalDefs.h"
#include "plugin/StateReader.h"
#include "ui/PluginEditor.h"

namespace
{
    bool isNonDiscrete (const juce::AudioChannelSet& set)
    {
        for (auto type : set.getChannelTypes())
            if (type < juce::AudioChannelSet::discreteChannel0)
                return true;

        return false;
    }
}

NDIReceiverAudioProcessor::NDIReceiverAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      apvts (*this, nullptr, "Parameters", {})
{
    sourceFinder.addListener (this);
    receiver.addListener (this);
}

NDIReceiverAudioProcessor::~NDIReceiverAudioProcessor()
{
    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr
         && ! juce::MessageManager::existsAndIsCurrentThread())
        destructionLock = std::make_unique<juce::MessageManagerLock>();

    sourceFinder.removeListener (this);
    receiver.removeListener (this);
}

const juce::String NDIReceiverAudioProcessor::getName() const     { return "NDIReceiver"; }
double NDIReceiverAudioProcessor::getTailLengthSeconds() const    { return 0.0; }
bool NDIReceiverAudioProcessor::acceptsMidi() const               { return false; }
bool NDIReceiverAudioProcessor::producesMidi() const              { return false; }
bool NDIReceiverAudioProcessor::isMidiEffect() const              { return false; }
int NDIReceiverAudioProcessor::getNumPrograms()                   { return 1; }
int NDIReceiverAudioProcessor::getCurrentProgram()                { return 0; }
void NDIReceiverAudioProcessor::setCurrentProgram (int)           {}
void NDIReceiverAudioProcessor::changeProgramName (int, const juce::String&) {}
void NDIReceiverAudioProcessor::releaseResources()                {}

const juce::String NDIReceiverAudioProcessor::getProgramName (int)
{
    // VST3 hosts and validators require the single program to have a name;
    // the other formats show none.
    return wrapperType == wrapperType_VST3 ? "Default" : "";
}

bool NDIReceiverAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto input = layouts.getMainInputChannelSet();
    const auto output = layouts.getMainOutputChannelSet();

    return isNonDiscrete (input)
        && isNonDiscrete (output)
        && input == output
        && ! input.isDisabled();
}

//==============================================================================
void NDIReceiverAudioProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const auto maxBlockSize = juce::jmax (0, maximumExpectedSamplesPerBlock);
    receiver.sampleRate = (int) sampleRate;

    for (auto& channel : channelBuffers)
        channel.resize ((size_t) maxBlockSize, 0.0f);

    workBuffer.setSize (1, maxBlockSize);

    outputGain.prepare ({ sampleRate, (juce::uint32) maxBlockSize, 1 });
    outputGain.setRampDurationSeconds (0.005);
    outputGain.setGainLinear (1.0f);
    outputGain.reset();

    const auto delaySamples = (int) (5.0 * sampleRate / 1000.0);

    for (auto& delayLine : delayLines)
    {
        delayLine.prepare ({ sampleRate, (juce::uint32) juce::jmax (1, maxBlockSize), 1 });
        delayLine.setMaximumDelayInSamples (delaySamples);
        delayLine.setDelay ((float) delaySamples);
    }

    preparedBlockSize = maxBlockSize;
}

void NDIReceiverAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const auto numSamples = buffer.getNumSamples();

    if (preparedBlockSize == 0)
    {
        buffer.clear();
        return;
    }

    receiver.requestFifo.push (numSamples);
    buffer.clear();

    std::vector<ChannelMapping> pulledMap;
    bool mapArrived = false;

    while (channelMappingFifo.pull (pulledMap))
        mapArrived = true;

    if (mapArrived)
        channelMapping = pulledMap;

    // A host that sends a longer block than it prepared for gets it played in
    // pieces of the prepared size, so that no per-channel buffer is overrun.
    // The block is still requested whole, so the receiver answers it with one
    // capture, and the pieces pull that answer in turn.
    for (int start = 0; start < numSamples; start += preparedBlockSize)
    {
        const auto length = juce::jmin (preparedBlockSize, numSamples - start);
        routeReceivedChannels (buffer, start, length);
        applyFade (buffer, start, length);
    }
}

void NDIReceiverAudioProcessor::routeReceivedChannels (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    const auto numOutputs = buffer.getNumChannels();
    const auto numReceived = juce::jmin (receiver.numChannels.load(), maxReceivedChannels);

    for (int ch = 0; ch < numReceived; ++ch)
    {
        auto& samples = channelBuffers[(size_t) ch];

        {
            const juce::ScopedLock lock (receiver.fifoLock);

            if (ch >= (int) receiver.channelFifos.size())
                continue;

            if (! receiver.channelFifos[(size_t) ch]->pull (samples, numSamples))
                continue;
        }

        const auto* mapping = findUsableMapping (ch, numOutputs);

        if (mapping == nullptr)
            continue;

        workBuffer.clear();
        workBuffer.copyFrom (0, 0, samples.data(), numSamples);

        const auto* work = workBuffer.getReadPointer (0);
        auto* out = buffer.getWritePointer (mapping->outputChannel, startSample);
        auto& delayLine = delayLines[(size_t) ch];

        for (int i = 0; i < numSamples; ++i)
        {
            delayLine.pushSample (0, work[i]);
            out[i] = delayLine.popSample (0);
        }
    }
}

const ChannelMapping* NDIReceiverAudioProcessor::findUsableMapping (int ndiChannel, int numOutputs) const noexcept
{
    for (const auto& mapping : channelMapping)
        if (mapping.ndiChannel == ndiChannel && mapping.outputChannel >= 0 && mapping.outputChannel < numOutputs)
            return &mapping;

    return nullptr;
}

void NDIReceiverAudioProcessor::applyFade (juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    if (! fadeRequested)
        return;

    const bool receiving = receiver.isThreadRunning();

    if (receiving && ! isFadedIn)
    {
        outputGain.setGainLinear (1.0f);
        isFadedIn = true;
    }
    else if (! receiving && isFadedIn)
    {
        outputGain.setGainLinear (0.0f);
        isFadedIn = false;
    }

    auto block = juce::dsp::AudioBlock<float> (buffer).getSubBlock ((size_t) startSample, (size_t) numSamples);
    outputGain.process (juce::dsp::ProcessContextReplacing<float> (block));

    if (! outputGain.isSmoothing())
        fadeRequested = false;
}

//==============================================================================
void NDIReceiverAudioProcessor::audioBroadcastingHasBegun (int numChannels)
{
    messageThread.call ([this, numChannels]
    {
        if (numChannels <= 0)
            return;

        fadeRequested = true;

        const auto storedMap = JuceVarToVector<ChannelMapping> (apvts.state.getProperty (ChannelMap));

        // A stored map has one entry per received channel. One saved for a
        // source with another channel count is not applied: the Home page
        // shows such a source's rows switched off, and the audio must not
        // play what the page shows as off.
        if ((int) storedMap.size() == numChannels && storedMap != channelMappingHandedOver)
            handOverChannelMapping (storedMap);
    });
}

void NDIReceiverAudioProcessor::audioBroadcastingHasEnded()
{
    messageThread.call ([this] { fadeRequested = false; });
}

bool NDIReceiverAudioProcessor::handOverChannelMapping (const std::vector<ChannelMapping>& map)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    if (! channelMappingFifo.push (map))
        return false;

    channelMappingHandedOver = map;
    return true;
}

//==============================================================================
juce::AudioProcessorEditor* NDIReceiverAudioProcessor::createEditor()
{
    return new NDIReceiverAudioProcessorEditor (*this);
}

bool NDIReceiverAudioProcessor::hasEditor() const
{
    return true;
}

//==============================================================================
// The state tree, the known sources and the receiver's connection belong to the
// message thread. Hosts may save and restore from other threads: a save returns
// the bytes of the state as it stands (including a restore still on its way),
// and a restore is applied, and its source reconnected, on the message thread.
// Neither ever waits for the message thread, which may itself be waiting.

void NDIReceiverAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    savedState.copyTo (destData);
}

void NDIReceiverAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto tree = readStateTree (data, (size_t) juce::jmax (0, sizeInBytes));

    if (! tree.isValid())
        return;

    savedState.set (data, (size_t) sizeInBytes);

    messageThread.call ([this, restored = std::move (tree)]
    {
        apvts.replaceState (restored);
        tryToConnectToStoredSource();
    });
}

void NDIReceiverAudioProcessor::sourceListChanged (const juce::Array<NDISourceEntry>& sources)
{
    knownSources = sources;
    tryToConnectToStoredSource();
}

void NDIReceiverAudioProcessor::tryToConnectToStoredSource()
{
    if (! apvts.state.hasProperty (ConnectedSourceName))
        return;

    const auto storedName = apvts.state.getProperty (ConnectedSourceName).toString();

    for (const auto& source : knownSources)
    {
        if (source.name == storedName)
        {
            receiver.changeSource (NDISourceEntry (source));
            return;
        }
    }
}

//==============================================================================
NDIReceiverAudioProcessor::SavedStateCopy::SavedStateCopy (juce::ValueTree& state)
    : tree (state)
{
    update();
    tree.addListener (this);
}

NDIReceiverAudioProcessor::SavedStateCopy::~SavedStateCopy()
{
    tree.removeListener (this);
}

void NDIReceiverAudioProcessor::SavedStateCopy::update()
{
    juce::MemoryBlock written;

    {
        juce::MemoryOutputStream stream (written, false);
        tree.writeToStream (stream);
    }

    const juce::ScopedLock sl (lock);
    bytes.swapWith (written);
}

void NDIReceiverAudioProcessor::SavedStateCopy::set (const void* data, size_t numBytes)
{
    const juce::ScopedLock sl (lock);
    bytes.replaceAll (data, numBytes);
}

void NDIReceiverAudioProcessor::SavedStateCopy::copyTo (juce::MemoryBlock& destData) const
{
    const juce::ScopedLock sl (lock);
    destData.append (bytes.getData(), bytes.getSize());
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new NDIReceiverAudioProcessor();
}
