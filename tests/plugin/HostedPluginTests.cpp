/*
    The built plug-in, loaded from its bundle through JUCE's plug-in hosting
    classes as a host would load it.
*/

#include "HostState.h"
#include "common/ChannelMapping.h"
#include "plugin/GlobalDefs.h"
#include "support/NDITestSupport.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{
    struct Format
    {
        const char* name;
        juce::File bundle;
    };

    juce::File vst3Bundle()  { return juce::File (NDIR_VST3_BINARY_DIR).getParentDirectory().getParentDirectory(); }
    juce::File lv2Bundle()   { return juce::File (NDIR_LV2_BUNDLE); }

    /** Loads the plug-in in `bundle` as a host that scans the bundle's folder
        would: VST3 plug-ins are named by their bundle, LV2 ones by their URI. */
    std::unique_ptr<juce::AudioPluginInstance> load (juce::AudioPluginFormat& format, const juce::File& bundle,
                                                     double sampleRate, int blockSize)
    {
        const juce::FileSearchPath folder (bundle.getParentDirectory().getFullPathName());

        for (const auto& identifier : format.searchPathsForPlugins (folder, false, false))
        {
            juce::OwnedArray<juce::PluginDescription> types;
            format.findAllTypesForFile (types, identifier);

            for (auto* type : types)
            {
                if (type->name != "NDIReceiver")
                    continue;

                juce::String error;
                auto instance = format.createInstanceFromDescription (*type, sampleRate, blockSize, error);
                EXPECT_TRUE (error.isEmpty()) << error;
                return instance;
            }
        }

        return {};
    }

    /** The sender tool in a child process, sending a 1 kHz tone at -6 dBFS. */
    class SenderProcess
    {
    public:
        explicit SenderProcess (const juce::String& name)
            : ndiName (juce::SystemStats::getComputerName() + " (" + name + ")")
        {
            process.start (juce::StringArray { NDIR_SENDER_TOOL, "--name", name, "--tone", "1000",
                                               "--level", "-6", "--duration", "120" },
                           0);
        }

        ~SenderProcess()    { process.kill(); }

        const juce::String ndiName;

    private:
        juce::ChildProcess process;
    };

    /** Plays a plug-in against a real clock from an audio thread for a while,
        running the message loop meanwhile, and keeps the output. */
    std::vector<std::vector<float>> play (juce::AudioProcessor& plugin, double seconds,
                                          double sampleRate = 48000.0, int blockSize = 512)
    {
        std::vector<std::vector<float>> outputs ((size_t) plugin.getTotalNumOutputChannels());
        std::atomic<bool> done { false };

        std::thread audio ([&]
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            const auto start = std::chrono::steady_clock::now();
            const auto numBlocks = (int) (seconds * sampleRate / blockSize);

            for (int block = 1; block <= numBlocks; ++block)
            {
                buffer.clear();
                plugin.processBlock (buffer, midi);

                for (size_t c = 0; c < outputs.size(); ++c)
                    outputs[c].insert (outputs[c].end(), buffer.getReadPointer ((int) c), buffer.getReadPointer ((int) c) + blockSize);

                std::this_thread::sleep_until (start + std::chrono::microseconds ((int64_t) (block * blockSize * 1.0e6 / sampleRate)));
            }

            done = true;
        });

        test::pumpUntil ([&] { return done.load(); }, (int) (seconds * 1000) + 30000);
        audio.join();
        return outputs;
    }

    struct Level { float peak; int zeroCrossings; };

    /** The median peak and median zero-crossing count of the last `numBlocks`
        blocks of 480 samples (10 ms): a busy machine may drop a block now and
        then, which must not decide what the plug-in plays. */
    Level medianOfLastBlocks (const std::vector<float>& samples, size_t numBlocks)
    {
        constexpr size_t blockSize = 480;
        std::vector<float> peaks;
        std::vector<int> crossings;

        for (auto start = samples.size() - numBlocks * blockSize; start < samples.size(); start += blockSize)
        {
            float peak = 0.0f;
            int count = 0;

            for (auto i = start; i < start + blockSize; ++i)
            {
                peak = std::max (peak, std::abs (samples[i]));
                count += (samples[i - 1] < 0.0f) != (samples[i] < 0.0f) ? 1 : 0;
            }

            peaks.push_back (peak);
            crossings.push_back (count);
        }

        std::nth_element (peaks.begin(), peaks.begin() + (long) numBlocks / 2, peaks.end());
        std::nth_element (crossings.begin(), crossings.begin() + (long) numBlocks / 2, crossings.end());
        return { peaks[numBlocks / 2], crossings[numBlocks / 2] };
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

    // JUCE's LV2 host reads no version from the bundle; its VST3 host does.
    if (juce::String (GetParam()) == "VST3")
    {
        EXPECT_EQ (plugin->getPluginDescription().version, "1.1.9");
    }
    EXPECT_EQ (plugin->getMainBusNumInputChannels(), 2);
    EXPECT_EQ (plugin->getMainBusNumOutputChannels(), 2);
    EXPECT_FALSE (plugin->acceptsMidi());
    EXPECT_FALSE (plugin->producesMidi());
    EXPECT_EQ (plugin->getTailLengthSeconds(), 0.0);

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

// A saved state naming a source that another process sends: the plug-in finds
// it, connects and plays its channel 1 on output 2, without any user action.
// Its state, saved through the host interface, does the same in a new instance.
TEST_P (HostedPlugin, PlaysTheSavedSourceFromAnotherProcessAndRestoresIntoANewInstance)
{
    SenderProcess sender ("Hosted " + juce::String (GetParam()) + " " + juce::String (juce::Time::currentTimeMillis()));
    auto format = makeFormat();

    juce::MemoryBlock saved;

    for (int instance = 0; instance < 2; ++instance)
    {
        SCOPED_TRACE (instance == 0 ? "first instance" : "restored instance");

        auto plugin = load (*format, bundle(), 48000.0, 512);
        ASSERT_NE (plugin, nullptr);

        const auto state = instance == 0 ? wrapStateForHost (*plugin, test::savedState (sender.ndiName, { { 0, 1 }, { -1, -1 } })) : saved;
        plugin->setStateInformation (state.getData(), (int) state.getSize());
        plugin->prepareToPlay (48000.0, 512);

        const auto outputs = play (*plugin, 4.0);
        const auto routed = medianOfLastBlocks (outputs[1], 100);

        EXPECT_NEAR (routed.peak, 0.5f, 0.02f) << "the tone at -6 dBFS on output 2";
        EXPECT_NEAR (routed.zeroCrossings, 20, 1) << "1 kHz: 20 zero crossings in 10 ms";
        EXPECT_EQ (medianOfLastBlocks (outputs[0], 100).peak, 0.0f) << "nothing is routed to output 1";
        EXPECT_TRUE (std::all_of (outputs[0].begin(), outputs[0].end(), [] (float x) { return x == 0.0f; }));

        plugin->releaseResources();

        juce::MemoryBlock savedNow;
        plugin->getStateInformation (savedNow);

        if (instance == 1)
        {
            EXPECT_EQ (savedNow, saved) << "the restored instance saves the same state";
        }

        saved = savedNow;
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedPlugin, ::testing::Values ("VST3", "LV2"));
