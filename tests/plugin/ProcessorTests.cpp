#include "plugin/GlobalDefs.h"
#include "plugin/PluginProcessor.h"
#include "support/NDITestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
    using Set = juce::AudioChannelSet;

    juce::AudioProcessor::BusesLayout layout (const Set& input, const Set& output)
    {
        juce::AudioProcessor::BusesLayout result;
        result.inputBuses.add (input);
        result.outputBuses.add (output);
        return result;
    }

    int pendingMaps (NDIReceiverAudioProcessor& processor)
    {
        std::vector<ChannelMapping> map;
        int count = 0;

        while (processor.channelMappingFifo.pull (map))
            ++count;

        return count;
    }
}

TEST (Processor, AcceptsOnlyEqualNonDiscreteLayouts)
{
    struct Case { const char* what; Set input, output; bool supported; };

    const Case cases[] {
        { "mono to mono",           Set::mono(),            Set::mono(),            true },
        { "stereo to stereo",       Set::stereo(),          Set::stereo(),          true },
        { "5.1 to 5.1",             Set::create5point1(),   Set::create5point1(),   true },
        { "mono to stereo",         Set::mono(),            Set::stereo(),          false },
        { "stereo to 5.1",          Set::stereo(),          Set::create5point1(),   false },
        { "disabled",               Set::disabled(),        Set::disabled(),        false },
        { "discrete",               Set::discreteChannels (4), Set::discreteChannels (4), false },
    };

    NDIReceiverAudioProcessor processor;

    for (const auto& c : cases)
        EXPECT_EQ (processor.isBusesLayoutSupported (layout (c.input, c.output)), c.supported) << c.what;
}

TEST (Processor, DeclaresStereoBusesAndNoMidiProgramsOrTail)
{
    NDIReceiverAudioProcessor processor;

    EXPECT_EQ (processor.getName(), "NDIReceiver");
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (0), "");
    EXPECT_TRUE (processor.getParameters().isEmpty());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.apvts.state.getType().toString(), "Parameters");
}

TEST (Processor, TheOneProgramIsNamedOnlyWhereTheFormatNeedsAName)
{
    // JUCE's VST3 wrapper always publishes a program list, and VST3 hosts and
    // validators refuse a program without a name.
    for (auto [wrapper, expected] : { std::pair { juce::AudioProcessor::wrapperType_VST3, "Default" },
                                      { juce::AudioProcessor::wrapperType_LV2, "" },
                                      { juce::AudioProcessor::wrapperType_AudioUnit, "" },
                                      { juce::AudioProcessor::wrapperType_Standalone, "" } })
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (wrapper);
        NDIReceiverAudioProcessor processor;
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);

        EXPECT_EQ (processor.getProgramName (0), expected) << juce::AudioProcessor::getWrapperTypeDescription (wrapper);
    }
}

TEST (Processor, PrepareStoresTheTruncatedRate)
{
    NDIReceiverAudioProcessor processor;

    for (auto [rate, expected] : { std::pair { 44100.0, 44100 }, { 44099.9, 44099 }, { 96000.0, 96000 } })
    {
        processor.prepareToPlay (rate, 256);
        EXPECT_EQ (processor.receiver.sampleRate.load(), expected);
    }
}

TEST (Processor, BroadcastingHandsTheStoredMapOverOnlyWhenItDiffers)
{
    NDIReceiverAudioProcessor processor;
    const std::vector<ChannelMapping> stored { { 0, 1 }, { 1, 0 } };

    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (pendingMaps (processor), 0) << "no stored map, nothing to hand over";

    processor.apvts.state.setProperty (ChannelMap, VectorToJuceVar (stored), nullptr);

    processor.audioBroadcastingHasBegun (0);
    EXPECT_EQ (pendingMaps (processor), 0) << "no channels, no change";

    processor.audioBroadcastingHasBegun (3);
    EXPECT_EQ (pendingMaps (processor), 0) << "a map saved for another channel count";

    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (pendingMaps (processor), 1);

    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (pendingMaps (processor), 0) << "the audio thread already has this map";

    processor.handOverChannelMapping ({});
    pendingMaps (processor);
    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (pendingMaps (processor), 1) << "the audio thread was given another map since";

    processor.apvts.state.setProperty (ChannelMap, "not binary", nullptr);
    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (pendingMaps (processor), 0) << "an unreadable map is empty";
}

TEST (Processor, ReportsFromAnotherThreadAreHandledOnTheMessageThread)
{
    NDIReceiverAudioProcessor processor;
    processor.apvts.state.setProperty (ChannelMap, VectorToJuceVar<ChannelMapping> ({ { 0, 0 } }), nullptr);

    std::thread host ([&] { processor.audioBroadcastingHasBegun (1); });
    host.join();

    // Nothing was pushed from the foreign thread: the map FIFO has a single producer.
    EXPECT_EQ (processor.channelMappingFifo.getNumReady(), 0);

    ASSERT_TRUE (test::pumpUntil ([&] { return processor.channelMappingFifo.getNumReady() == 1; }));
}

TEST (Processor, CanBeDestroyedOnAnotherThreadWhileMessagesRun)
{
    // A host may create and delete the plug-in on a thread of its own while
    // JUCE's messages run elsewhere: timers, the finder's list and reports
    // from other threads keep arriving meanwhile.
    for (int i = 0; i < 3; ++i)
    {
        auto processor = std::make_unique<NDIReceiverAudioProcessor>();
        std::thread (&NDIReceiverAudioProcessor::audioBroadcastingHasBegun, processor.get(), 2).join();
        std::atomic<bool> done { false };

        std::thread host ([&] { processor.reset(); done = true; });
        ASSERT_TRUE (test::pumpUntil ([&] { return done.load(); }, 10000));
        host.join();
    }
}
