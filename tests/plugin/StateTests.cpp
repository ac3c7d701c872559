#include "plugin/GlobalDefs.h"
#include "plugin/PluginProcessor.h"
#include "plugin/StateReader.h"
#include "support/NDITestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using test::pumpUntil;
using test::RealTimeSource;

namespace
{
    juce::MemoryBlock saveState (NDIReceiverAudioProcessor& processor)
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        return block;
    }

    void restoreState (NDIReceiverAudioProcessor& processor, const juce::MemoryBlock& block)
    {
        processor.setStateInformation (block.getData(), (int) block.getSize());
    }


    const juce::MemoryBlock* savedMap (const NDIReceiverAudioProcessor& processor)
    {
        return processor.apvts.state.getProperty (ChannelMap).getBinaryData();
    }
}

TEST (State, ANewInstanceSavesAnEmptyParametersTree)
{
    NDIReceiverAudioProcessor processor;
    const auto tree = juce::ValueTree::readFromData (saveState (processor).getData(), saveState (processor).getSize());

    EXPECT_EQ (tree.getType().toString(), "Parameters");
    EXPECT_EQ (tree.getNumProperties(), 0);
    EXPECT_EQ (tree.getNumChildren(), 0);
}

TEST (State, SaveAppendsToWhatTheBlockHolds)
{
    NDIReceiverAudioProcessor processor;
    juce::MemoryBlock block ("abc", 3);
    processor.getStateInformation (block);

    EXPECT_EQ (block.getSize(), 3 + saveState (processor).getSize());
    EXPECT_EQ (std::memcmp (block.getData(), "abc", 3), 0);
}

TEST (State, RestoresIntoAnotherInstanceExactly)
{
    NDIReceiverAudioProcessor first;
    first.apvts.state.setProperty (ConnectedSourceName, juce::String (juce::CharPointer_UTF8 ("H\xc3\xb4te (Sc\xc3\xa8ne 1)")), nullptr);
    first.apvts.state.setProperty (ChannelMap, VectorToJuceVar<ChannelMapping> ({ { 0, 1 }, { -1, -1 }, { 2, 0 } }), nullptr);

    NDIReceiverAudioProcessor second;
    restoreState (second, saveState (first));

    EXPECT_EQ (second.apvts.state.getProperty (ConnectedSourceName), first.apvts.state.getProperty (ConnectedSourceName));
    ASSERT_NE (savedMap (second), nullptr);
    EXPECT_EQ (*savedMap (second), *savedMap (first));
    EXPECT_EQ (saveState (second), saveState (first));
}

TEST (State, RestoringAnEmptyStateRemovesBothPropertiesAndKeepsTheConnection)
{
    RealTimeSource source ("Kept connection", 48000, 2, RealTimeSource::sines());
    NDIReceiverAudioProcessor fresh, used;
    used.apvts.state.setProperty (ConnectedSourceName, juce::String (source.ndiName()), nullptr);
    used.apvts.state.setProperty (ChannelMap, VectorToJuceVar<ChannelMapping> ({ { 0, 0 } }), nullptr);
    used.receiver.changeSource ({ juce::String (source.ndiName()), {}, {} });
    const auto connection = used.receiver.ndiReceiver;

    restoreState (used, saveState (fresh));

    EXPECT_FALSE (used.apvts.state.hasProperty (ConnectedSourceName));
    EXPECT_FALSE (used.apvts.state.hasProperty (ChannelMap));
    EXPECT_EQ (used.receiver.ndiReceiver, connection);
    EXPECT_TRUE (used.receiver.isThreadRunning());
}

TEST (State, BadBytesChangeNothing)
{
    const auto good = test::savedState ("HOST (Kept)", { { 0, 1 } });
    const auto* bytes = static_cast<const unsigned char*> (good.getData());

    const auto from = [] (std::initializer_list<unsigned char> list) { return std::vector<unsigned char> (list); };

    struct Case { const char* what; std::vector<unsigned char> data; };

    const Case cases[] {
        { "nothing",                    {} },
        { "a zero byte",                from ({ 0 }) },
        { "text",                       from ({ 'h', 'e', 'l', 'l', 'o' }) },
        { "cut short",                  std::vector<unsigned char> (bytes, bytes + good.getSize() / 2) },
        { "negative property count",    from ({ 'P', 0, 0x81, 1, 0 }) },
        { "huge property count",        from ({ 'P', 0, 4, 0xff, 0xff, 0xff, 0x7f, 0 }) },
        { "huge child count",           from ({ 'P', 0, 0, 4, 0xff, 0xff, 0xff, 0x7f }) },
        { "compressed int of 5 bytes",  from ({ 'P', 0, 5, 1, 1, 1, 1, 1 }) },
        { "empty property name",        from ({ 'P', 0, 1, 1, 0, 1, 2, 0 }) },
        { "huge binary property",       from ({ 'P', 0, 1, 1, 'x', 0, 4, 0xff, 0xff, 0xff, 0x7f, 8, 1, 2, 0 }) },
        { "huge array property",        from ({ 'P', 0, 1, 1, 'x', 0, 1, 2, 7, 4, 0xff, 0xff, 0xff, 0x7f, 0 }) },
        { "invalid UTF-8 type",         from ({ 0xff, 0xfe, 0, 0, 0 }) },
        { "invalid UTF-8 string value", from ({ 'P', 0, 1, 1, 'x', 0, 1, 4, 5, 0xc3, 0x28, 0, 0 }) },
        { "int of the wrong size",      from ({ 'P', 0, 1, 1, 'x', 0, 1, 3, 1, 1, 2, 0 }) },
    };

    NDIReceiverAudioProcessor processor;
    restoreState (processor, good);
    const auto before = saveState (processor);

    for (const auto& c : cases)
    {
        processor.setStateInformation (c.data.data(), (int) c.data.size());
        EXPECT_EQ (saveState (processor), before) << c.what;
    }

    processor.setStateInformation (nullptr, 100);
    processor.setStateInformation (good.getData(), -5);
    EXPECT_EQ (saveState (processor), before);
}

TEST (State, DeepNestingIsRefusedWithoutRecursingAway)
{
    // A tree nested a hundred thousand levels deep: JUCE's reader would recurse
    // once per level.
    juce::MemoryOutputStream stream;

    for (int i = 0; i < 100000; ++i)
    {
        stream.writeString ("T");
        stream.writeCompressedInt (0);
        stream.writeCompressedInt (1);
    }

    EXPECT_FALSE (readStateTree (stream.getData(), stream.getDataSize()).isValid());
}

TEST (State, ATreeOfAnotherKindIsUsedAsItIs)
{
    juce::ValueTree tree ("SomethingElse");
    tree.setProperty (ConnectedSourceName, 42, nullptr);
    tree.setProperty (ChannelMap, "not binary", nullptr);
    tree.appendChild (juce::ValueTree ("Child"), nullptr);

    juce::MemoryBlock block;
    {
        juce::MemoryOutputStream stream (block, false);
        tree.writeToStream (stream);
    }

    NDIReceiverAudioProcessor processor;
    restoreState (processor, block);

    EXPECT_EQ (processor.apvts.state.getType().toString(), "SomethingElse");
    EXPECT_EQ (processor.apvts.state.getProperty (ConnectedSourceName).toString(), "42");
    EXPECT_EQ (processor.apvts.state.getNumChildren(), 1);

    processor.audioBroadcastingHasBegun (2);
    EXPECT_EQ (processor.channelMappingFifo.getNumReady(), 0) << "a map that is not binary data is empty";
}

TEST (State, SaveAndRestoreFromAnotherThreadGoThroughTheMessageThread)
{
    NDIReceiverAudioProcessor processor;
    const auto restored = test::savedState ("HOST (Elsewhere)", { { 1, 0 } });
    juce::MemoryBlock savedRightAfter;

    std::thread host ([&]
    {
        restoreState (processor, restored);
        processor.getStateInformation (savedRightAfter);
    });
    host.join();

    // The save already returns the restored state, while the tree itself is
    // replaced only on the message thread.
    EXPECT_EQ (savedRightAfter, restored);
    EXPECT_FALSE (processor.apvts.state.hasProperty (ConnectedSourceName));

    ASSERT_TRUE (pumpUntil ([&] { return processor.apvts.state.hasProperty (ConnectedSourceName); }));
    EXPECT_EQ (processor.apvts.state.getProperty (ConnectedSourceName).toString(), "HOST (Elsewhere)");
    EXPECT_EQ (saveState (processor), restored);
}

TEST (State, ASaveFromAnotherThreadWhileTheMessageThreadWaitsDoesNotDeadlock)
{
    NDIReceiverAudioProcessor processor;
    processor.apvts.state.setProperty (ConnectedSourceName, "HOST (Busy)", nullptr);

    // The message thread waits for the host's thread, which saves and restores.
    std::thread host ([&]
    {
        juce::MemoryBlock block;
        processor.getStateInformation (block);
        processor.setStateInformation (block.getData(), (int) block.getSize());
    });
    host.join();

    EXPECT_EQ (processor.apvts.state.getProperty (ConnectedSourceName).toString(), "HOST (Busy)");
}

//==============================================================================
TEST (Reconnection, ARestoredInstanceConnectsAsSoonAsTheFinderSeesTheSource)
{
    NDIReceiverAudioProcessor processor;

    restoreState (processor, test::savedState ("HOST (Not yet)", {}));
    restoreState (processor, test::savedState ("", {}));
    EXPECT_FALSE (processor.receiver.isThreadRunning()) << "an empty name matches no listed source";

    RealTimeSource early ("Appears early", 48000, 2, RealTimeSource::sines());
    restoreState (processor, test::savedState (juce::String (early.ndiName()), { { 0, 0 } }));
    ASSERT_TRUE (pumpUntil ([&] { return processor.receiver.currentSource.name == juce::String (early.ndiName()); }, 5000));

    RealTimeSource later ("Appears later", 48000, 2, RealTimeSource::sines());
    restoreState (processor, test::savedState (juce::String (later.ndiName()), { { 0, 0 } }));
    ASSERT_TRUE (pumpUntil ([&] { return processor.receiver.currentSource.name == juce::String (later.ndiName()); }, 5000));
    EXPECT_TRUE (processor.receiver.isThreadRunning());
}

TEST (Reconnection, RestoringTheConnectedSourceOnlyReportsAgain)
{
    RealTimeSource source ("Restored twice", 48000, 2, RealTimeSource::sines());
    NDIReceiverAudioProcessor processor;
    const auto state = test::savedState (juce::String (source.ndiName()), {});

    restoreState (processor, state);
    ASSERT_TRUE (pumpUntil ([&] { return processor.receiver.isThreadRunning(); }, 5000));
    const auto connection = processor.receiver.ndiReceiver;

    restoreState (processor, state);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    EXPECT_EQ (processor.receiver.ndiReceiver, connection);
}
