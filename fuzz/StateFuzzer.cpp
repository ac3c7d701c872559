/*
    Feeds arbitrary bytes to the processor as a host's restored state.

    Whatever the bytes, the restore must neither crash, hang nor allocate
    without bound, and afterwards the processor must still save a state that
    reads back as a tree.
*/

#include "plugin/PluginProcessor.h"

#include <cstdint>

namespace
{
    NDIReceiverAudioProcessor& processor()
    {
        // One processor for the whole run, created on this thread, which is
        // the message thread: restores apply at once. Neither it nor JUCE is
        // torn down at exit, where JUCE's own statics may already be gone.
        static auto* juce = new juce::ScopedJuceInitialiser_GUI();
        static auto* instance = new NDIReceiverAudioProcessor();
        juce::ignoreUnused (juce);
        return *instance;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = processor();
    p.setStateInformation (data, (int) size);

    juce::MemoryBlock saved;
    p.getStateInformation (saved);

    if (! juce::ValueTree::readFromData (saved.getData(), saved.getSize()).isValid())
        __builtin_trap();

    return 0;
}
