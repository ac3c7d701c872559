/*
    ndi-headless-host: loads the plug-in from its bundle as a host would and
    plays it against a real clock, without audio hardware or a window.

    It can hand the plug-in a saved state naming a source and a routing, and
    prints once a second the level of every output channel, so the whole chain
    (sender, network, plug-in) can be watched from a terminal.
*/

#include "HostState.h"
#include "common/ChannelMapping.h"
#include "plugin/GlobalDefs.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <iostream>

namespace
{
    struct Options
    {
        juce::File bundle;
        juce::String source;
        juce::String map;
        int numReceivedChannels = 2;
        double seconds = 10.0;
        double sampleRate = 48000.0;
        int blockSize = 512;
        juce::File stateIn, stateOut;
    };

    void printUsage()
    {
        std::cout << "usage: ndi-headless-host --plugin BUNDLE [--source \"HOST (Name)\"] [--map 0:0,1:1] [--channels N]\n"
                     "                         [--seconds N] [--rate HZ] [--block SAMPLES]\n"
                     "                         [--state-in FILE] [--state-out FILE]\n"
                     "  --map        received channel:output channel pairs, 0-based\n"
                     "  --channels   how many channels the source sends (default 2): the saved routing\n"
                     "               has one entry per received channel\n"
                     "  --state-out  saves the state as the host keeps it; --state-in restores such a file\n";
    }

    /** The routing as the plug-in saves it: one entry per received channel,
        in channel order, (-1, -1) for a channel that is not played. */
    std::vector<ChannelMapping> parseMap (const juce::String& text, int numReceivedChannels)
    {
        std::vector<ChannelMapping> map ((size_t) juce::jmax (0, numReceivedChannels));

        for (const auto& pair : juce::StringArray::fromTokens (text, ",", ""))
        {
            const auto received = pair.upToFirstOccurrenceOf (":", false, false).getIntValue();

            if (juce::isPositiveAndBelow (received, numReceivedChannels))
                map[(size_t) received] = { received, pair.fromFirstOccurrenceOf (":", false, false).getIntValue() };
        }

        return map;
    }

    bool parse (const juce::StringArray& args, Options& options)
    {
        for (int i = 1; i < args.size(); ++i)
        {
            const auto& arg = args[i];
            const auto value = args[i + 1];

            if (arg == "--plugin")          options.bundle = juce::File::getCurrentWorkingDirectory().getChildFile (value);
            else if (arg == "--source")     options.source = value;
            else if (arg == "--map")        options.map = value;
            else if (arg == "--channels")   options.numReceivedChannels = value.getIntValue();
            else if (arg == "--seconds")    options.seconds = value.getDoubleValue();
            else if (arg == "--rate")       options.sampleRate = value.getDoubleValue();
            else if (arg == "--block")      options.blockSize = value.getIntValue();
            else if (arg == "--state-in")   options.stateIn = juce::File::getCurrentWorkingDirectory().getChildFile (value);
            else if (arg == "--state-out")  options.stateOut = juce::File::getCurrentWorkingDirectory().getChildFile (value);
            else return false;

            ++i;
        }

        return options.bundle != juce::File() && options.seconds > 0 && options.sampleRate > 0 && options.blockSize > 0;
    }

    /** Loads the plug-in in the bundle as a host scanning the bundle's folder
        would: VST3 plug-ins are named by their bundle, LV2 ones by their URI. */
    std::unique_ptr<juce::AudioPluginInstance> load (const Options& options, juce::String& error)
    {
        juce::AudioPluginFormatManager formats;
        formats.addDefaultFormats();
        const juce::FileSearchPath folder (options.bundle.getParentDirectory().getFullPathName());

        for (auto* format : formats.getFormats())
        {
            for (const auto& identifier : format->searchPathsForPlugins (folder, false, false))
            {
                juce::OwnedArray<juce::PluginDescription> types;
                format->findAllTypesForFile (types, identifier);

                for (auto* type : types)
                    if (identifier == options.bundle.getFullPathName() || identifier.contains (options.bundle.getFileNameWithoutExtension()))
                        return formats.createPluginInstance (*type, options.sampleRate, options.blockSize, error);
            }
        }

        error = "no plug-in found in " + options.bundle.getFullPathName();
        return {};
    }

    /** The state to restore: a host's saved state from a file, or the
        plug-in's own state naming a source and a routing, as the host wraps it. */
    juce::MemoryBlock stateFor (const Options& options, const juce::AudioPluginInstance& plugin)
    {
        juce::MemoryBlock state;

        if (options.stateIn != juce::File())
        {
            options.stateIn.loadFileAsData (state);
            return state;
        }

        juce::ValueTree tree ("Parameters");
        tree.setProperty (ConnectedSourceName, options.source, nullptr);
        tree.setProperty (ChannelMap, VectorToJuceVar (parseMap (options.map, options.numReceivedChannels)), nullptr);

        {
            juce::MemoryOutputStream stream (state, false);
            tree.writeToStream (stream);
        }

        return wrapStateForHost (plugin, state);
    }

    /** Calls processBlock at the pace of the sample rate and keeps the peak
        level of each output channel since it was last read. */
    class AudioClock : public juce::Thread
    {
    public:
        AudioClock (juce::AudioPluginInstance& p, const Options& o)
            : juce::Thread ("audio"), plugin (p), options (o),
              peaks ((size_t) p.getTotalNumOutputChannels())
        {
        }

        std::vector<float> takePeaks()
        {
            std::vector<float> result;

            for (auto& peak : peaks)
                result.push_back (peak.exchange (0.0f));

            return result;
        }

    private:
        void run() override
        {
            const auto numChannels = juce::jmax (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels());
            juce::AudioBuffer<float> buffer (numChannels, options.blockSize);
            juce::MidiBuffer midi;
            const auto start = juce::Time::getMillisecondCounterHiRes();
            juce::int64 played = 0;

            while (! threadShouldExit())
            {
                buffer.clear();
                plugin.processBlock (buffer, midi);
                played += options.blockSize;

                for (size_t c = 0; c < peaks.size(); ++c)
                {
                    const auto level = buffer.getMagnitude ((int) c, 0, options.blockSize);
                    auto previous = peaks[c].load();

                    while (level > previous && ! peaks[c].compare_exchange_weak (previous, level)) {}
                }

                const auto due = start + 1000.0 * (double) played / options.sampleRate;
                const auto wait = due - juce::Time::getMillisecondCounterHiRes();

                if (wait > 0)
                    juce::Thread::sleep ((int) wait);
            }
        }

        juce::AudioPluginInstance& plugin;
        const Options& options;
        std::vector<std::atomic<float>> peaks;
    };
}

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    Options options;

    if (! parse (juce::StringArray (argv, argc), options))
    {
        printUsage();
        return 2;
    }

    juce::String error;
    auto plugin = load (options, error);

    if (plugin == nullptr)
    {
        std::cerr << "ndi-headless-host: " << error << "\n";
        return 1;
    }

    std::cout << "Loaded " << plugin->getName() << " " << plugin->getPluginDescription().version
              << " (" << plugin->getPluginDescription().pluginFormatName << "), "
              << plugin->getTotalNumOutputChannels() << " outputs, "
              << options.sampleRate << " Hz, blocks of " << options.blockSize << "\n";

    if (options.source.isNotEmpty() || options.stateIn != juce::File())
    {
        const auto state = stateFor (options, *plugin);
        plugin->setStateInformation (state.getData(), (int) state.getSize());
        std::cout << "Restored a state of " << state.getSize() << " bytes"
                  << (options.source.isNotEmpty() ? " naming \"" + options.source + "\"" : juce::String()) << "\n";
    }

    plugin->prepareToPlay (options.sampleRate, options.blockSize);
    AudioClock clock (*plugin, options);
    clock.startThread (juce::Thread::Priority::high);

    for (int second = 1; second <= (int) std::ceil (options.seconds); ++second)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1000);

        std::cout << "t=" << second << "s  peak per output:";

        for (auto peak : clock.takePeaks())
            std::cout << "  " << juce::String (juce::Decibels::gainToDecibels (peak, -120.0f), 1) << " dB";

        std::cout << std::endl;
    }

    clock.stopThread (2000);
    plugin->releaseResources();

    if (options.stateOut != juce::File())
    {
        juce::MemoryBlock state;
        plugin->getStateInformation (state);
        options.stateOut.replaceWithData (state.getData(), state.getSize());
        std::cout << "Saved the plug-in's state (" << state.getSize() << " bytes) to " << options.stateOut.getFullPathName() << "\n";
    }

    return 0;
}
