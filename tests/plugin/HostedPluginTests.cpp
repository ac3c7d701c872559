/*
    The built plug-in, loaded from its bundle through JUCE's plug-in hosting
    classes as a host would load it.
*/

#include "support/NDITestSupport.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

namespace
{
    struct Format
    {
        const char* name;
        juce::File bundle;
    };

    juce::File vst3Bundle()  { return juce::File (NDIR_VST3_BINARY_DIR).getParentDirectory().getParentDirectory(); }
    juce::File lv2Bundle()   { return juce::File (NDIR_LV2_BUNDLE); }

    std::unique_ptr<juce::AudioPluginInstance> load (juce::AudioPluginFormat& format, const juce::File& bundle,
                                                     double sampleRate, int blockSize)
    {
        juce::OwnedArray<juce::PluginDescription> types;
        format.findAllTypesForFile (types, bundle.getFullPathName());

        if (types.isEmpty())
            return {};

        juce::String error;
        auto instance = format.createInstanceFromDescription (*types[0], sampleRate, blockSize, error);
        EXPECT_TRUE (error.isEmpty()) << error;
        return instance;
    }

    class HostedPlugin : public ::testing::TestWithParam<const char*>
    {
    protected:
        std::unique_ptr<juce::AudioPluginFormat> makeFormat() const
        {
            if (juce::String (GetParam()) == "VST3")
                return std::make_unique<juce::VST3PluginFormat>();

            return std::make_unique<juce::LV2PluginFormat>();
        }

        juce::File bundle() const
        {
            return juce::String (GetParam()) == "VST3" ? vst3Bundle() : lv2Bundle();
        }
    };
}

TEST_P (HostedPlugin, LoadsDescribesItselfAndRunsBlocks)
{
    auto format = makeFormat();
    ASSERT_TRUE (bundle().exists()) << bundle().getFullPathName();

    auto plugin = load (*format, bundle(), 48000.0, 512);
    ASSERT_NE (plugin, nullptr);

    EXPECT_EQ (plugin->getName(), "NDIReceiver");
    EXPECT_EQ (plugin->getPluginDescription().version, "1.1.9");
    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 2);
    EXPECT_EQ (plugin->getMainBusNumOutputChannels(), 2);
    EXPECT_FALSE (plugin->acceptsMidi());
    EXPECT_FALSE (plugin->producesMidi());
    EXPECT_EQ (plugin->getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (plugin->hasEditor());

    plugin->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;

    for (int block = 0; block < 20; ++block)
    {
        for (int c = 0; c < 2; ++c)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 0.5f, 512);

        plugin->processBlock (buffer, midi);

        // Nothing is connected: the input is discarded and the output is silent.
        EXPECT_EQ (buffer.getMagnitude (0, 512), 0.0f) << "block " << block;
    }

    plugin->releaseResources();
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedPlugin, ::testing::Values ("VST3", "LV2"));
