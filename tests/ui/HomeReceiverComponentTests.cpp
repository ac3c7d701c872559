#include "ui/EditorTestSupport.h"

#include <thread>
#include <unistd.h>

using test::click;
using test::itemIdFor;
using test::OpenEditor;
using test::pumpMessages;
using test::pumpUntil;
using test::RealTimeSource;
using test::reportBegun;
using test::reportEnded;

namespace
{
    using Rect = juce::Rectangle<int>;
    using Map = std::vector<ChannelMapping>;

    // Source names of this process only: other processes may publish sources too.
    std::string uniqueName (const std::string& name)
    {
        return name + " " + std::to_string (::getpid());
    }

    std::vector<int> repeat (int size, int count)    { return std::vector<int> ((size_t) count, size); }

    // A saved property as text, binary data included. JUCE's own comparison of
    // two empty blocks hands null pointers to memcmp.
    juce::String describe (const juce::var& value)
    {
        if (const auto* block = value.getBinaryData())
            return "binary " + block->toBase64Encoding();

        return "text " + value.toString();
    }
}

//==============================================================================
class HomePage : public OpenEditor
{
protected:
    void SetUp() override
    {
        OpenEditor::SetUp();
        showHome();
    }

    Map savedMap()
    {
        return JuceVarToVector<ChannelMapping> (processor.apvts.state.getProperty (ChannelMap));
    }

    // What the audio thread would apply next: the newest map handed over.
    Map newestHandedOver()
    {
        Map map, newest;
        bool any = false;

        while (processor.channelMappingFifo.pull (map))
        {
            newest = map;
            any = true;
        }

        EXPECT_TRUE (any) << "no map was handed over";
        return newest;
    }

    void chooseDestination (size_t rowIndex, int outputChannel)
    {
        row (rowIndex).destinationComboBox.setSelectedId (outputChannel + 1, juce::sendNotificationAsync);
        pumpMessages();
    }

    // One value per row, in row order.
    template <typename Read>
    auto eachRow (Read read)
    {
        std::vector<decltype (read (std::declval<ChannelPicker&>()))> values;

        for (auto& picker : home().channelPickers)
            values.push_back (read (*picker));

        return values;
    }

    std::vector<bool> toggles()              { return eachRow ([] (ChannelPicker& p) { return p.channelToggle.getToggleState(); }); }
    std::vector<bool> enabledRows()          { return eachRow ([] (ChannelPicker& p) { return p.isEnabled(); }); }
    std::vector<bool> visibleBoxes()         { return eachRow ([] (ChannelPicker& p) { return p.destinationComboBox.isVisible(); }); }
    std::vector<int> selectedDestinations()  { return eachRow ([] (ChannelPicker& p) { return p.destinationComboBox.getSelectedId(); }); }
};

//==============================================================================
TEST_F (HomePage, OneRowPerChannelInTwoColumnsWithTheExtraRowOnTheRight)
{
    // Left column x 11, right column x 249, each 238 wide; rows 24 apart from y 113.
    const auto left = [] (int k)  { return Rect (11, 113 + 24 * k, 238, 20); };
    const auto right = [] (int k) { return Rect (249, 113 + 24 * k, 238, 20); };

    const struct { int channels; std::vector<Rect> rows; int windowHeight; } cases[] =
    {
        { 0, {},                                                            240 },
        { 1, { right (0) },                                                 240 },
        { 3, { left (0), right (0), right (1) },                            240 },
        { 6, { left (0), left (1), left (2), right (0), right (1), right (2) }, 244 },
        { 8, { left (0), left (1), left (2), left (3),
               right (0), right (1), right (2), right (3) },                 268 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.channels << " channels");
        reportBegun (processor, c.channels);

        ASSERT_EQ (home().channelPickers.size(), c.rows.size());

        for (size_t i = 0; i < c.rows.size(); ++i)
        {
            EXPECT_EQ (row (i).getBounds(), c.rows[i]) << "row " << i;
            EXPECT_EQ (row (i).channelToggle.getButtonText(), "Channel " + juce::String (i + 1));
            EXPECT_TRUE (row (i).isVisible());
            EXPECT_FALSE (row (i).channelToggle.getToggleState());
            EXPECT_FALSE (row (i).destinationComboBox.isVisible());
            EXPECT_EQ (row (i).destinationComboBox.getNumItems(), 2);
            EXPECT_EQ (row (i).destinationComboBox.getItemText (1), "Channel 2");
            EXPECT_EQ (row (i).destinationComboBox.getTextWhenNothingSelected(), "Pick Dest");
        }

        EXPECT_FALSE (home().noAudioLabel.isVisible());
        EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, c.windowHeight));

        // The page gets at least the height it asked for.
        EXPECT_GE (home().getHeight(), 149 + 24 * (int) ((c.rows.size() + 1) / 2));
    }
}

TEST_F (HomePage, FixedPartsOfThePageSitWhereTheyShould)
{
    reportBegun (processor, 6);

    EXPECT_EQ (home().titleLabel.getBounds(), Rect (174, 10, 150, 24));
    EXPECT_EQ (home().titleLabel.getText(), "NDI Receiver");
    EXPECT_EQ (home().logoButton.getBounds(), Rect (379, 23, 108, 29));
    EXPECT_EQ (home().selectedSourceLabel.getBounds(), Rect (11, 36, 476, 35));
    EXPECT_EQ (home().sourceComboBox.getBounds(), Rect (11, 75, 476, 30));
    EXPECT_EQ (home().noAudioLabel.getBounds(), Rect (11, 109, 476, 35));
}

TEST_F (HomePage, EndOfBroadcastingClearsTheRowsShowsTheNoticeAndShrinksTheWindow)
{
    EXPECT_TRUE (home().noAudioLabel.isVisible());
    EXPECT_EQ (home().noAudioLabel.getText(), "No Audio from Sender");

    reportBegun (processor, 10);
    ASSERT_EQ (editor->getHeight(), 292);
    EXPECT_FALSE (home().noAudioLabel.isVisible());

    reportEnded (processor);
    EXPECT_TRUE (home().channelPickers.empty());
    EXPECT_TRUE (home().noAudioLabel.isVisible());
    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, 240));
    EXPECT_EQ (newestHandedOver(), Map()) << "nothing received is played";
}

//==============================================================================
TEST_F (HomePage, NoMoreRowsOnThanThereAreOutputChannels)
{
    ASSERT_EQ (processor.getTotalNumOutputChannels(), 2);
    reportBegun (processor, 6);

    click (row (0).channelToggle);
    EXPECT_EQ (toggles(), std::vector<bool> ({ true, false, false, false, false, false }));
    EXPECT_EQ (enabledRows(), std::vector<bool> (6, true));
    EXPECT_EQ (visibleBoxes(), std::vector<bool> ({ true, false, false, false, false, false }));

    click (row (4).channelToggle);
    EXPECT_EQ (enabledRows(), std::vector<bool> ({ true, false, false, false, true, false }));
    EXPECT_EQ (visibleBoxes(), std::vector<bool> ({ true, false, false, false, true, false }));

    // A greyed-out row does not switch on.
    click (row (2).channelToggle);
    EXPECT_EQ (toggles(), std::vector<bool> ({ true, false, false, false, true, false }));

    // Switching one off frees every row again.
    click (row (0).channelToggle);
    EXPECT_EQ (enabledRows(), std::vector<bool> (6, true));
    EXPECT_EQ (visibleBoxes(), std::vector<bool> ({ false, false, false, false, true, false }));

    click (row (2).channelToggle);
    EXPECT_EQ (toggles(), std::vector<bool> ({ false, false, true, false, true, false }));
    EXPECT_EQ (enabledRows(), std::vector<bool> ({ false, false, true, false, true, false }));
}

TEST_F (HomePage, EveryRoutingChangeIsSavedAndHandedToTheAudioThread)
{
    reportBegun (processor, 3);
    newestHandedOver();

    const auto expectRouting = [&] (const Map& expected, const char* after)
    {
        SCOPED_TRACE (after);
        EXPECT_EQ (home().createChannelMapping(), expected);
        EXPECT_EQ (savedMap(), expected);
        EXPECT_EQ (newestHandedOver(), expected);
    };

    click (row (1).channelToggle);
    expectRouting ({ { -1, -1 }, { 1, -1 }, { -1, -1 } }, "switching on without a destination");

    chooseDestination (1, 1);
    expectRouting ({ { -1, -1 }, { 1, 1 }, { -1, -1 } }, "choosing a destination");

    click (row (2).channelToggle);
    chooseDestination (2, 1);
    expectRouting ({ { -1, -1 }, { 1, 1 }, { 2, 1 } }, "two channels to one output");

    click (row (1).channelToggle);
    expectRouting ({ { -1, -1 }, { -1, -1 }, { 2, 1 } }, "switching off clears the destination");
    EXPECT_EQ (row (1).destinationComboBox.getSelectedId(), 0);
    EXPECT_EQ (row (1).destinationComboBox.getText(), juce::String());
}

TEST_F (HomePage, SavedRoutingIsRestoredOnlyOntoTheSameNumberOfRows)
{
    const struct
    {
        const char* what;
        juce::var saved;
        int channels;
        std::vector<bool> on, enabled;
        std::vector<int> selected;
    } cases[] =
    {
        { "one record per row", VectorToJuceVar<ChannelMapping> ({ { 0, 1 }, { -1, -1 }, { 2, 0 } }), 3,
          { true, false, true }, { true, false, true }, { 2, 0, 1 } },
        { "more on than outputs", VectorToJuceVar<ChannelMapping> ({ { 0, 0 }, { 1, 1 }, { 2, 0 }, { -1, 1 } }), 4,
          { true, true, true, false }, { true, true, true, false }, { 1, 2, 1, 0 } },
        { "a destination this plug-in lacks", VectorToJuceVar<ChannelMapping> ({ { 0, 5 }, { -1, -1 } }), 2,
          { true, false }, { true, true }, { 0, 0 } },
        { "a destination beyond any int", VectorToJuceVar<ChannelMapping> ({ { 0, 0x7fffffff }, { 1, -7 } }), 2,
          { true, true }, { true, true }, { 0, 0 } },
        { "four records for two rows", VectorToJuceVar<ChannelMapping> ({ { 0, 0 }, { 1, 1 }, { 2, 0 }, { 3, 1 } }), 2,
          { false, false }, { true, true }, { 0, 0 } },
        { "no records for two rows", VectorToJuceVar<ChannelMapping> ({}), 2,
          { false, false }, { true, true }, { 0, 0 } },
        { "not binary data", juce::var ("0,0;1,1"), 2,
          { false, false }, { true, true }, { 0, 0 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        processor.apvts.state.setProperty (ChannelMap, c.saved, nullptr);
        const auto saved = describe (processor.apvts.state.getProperty (ChannelMap));

        reportBegun (processor, c.channels);
        pumpMessages();

        EXPECT_EQ (toggles(), c.on);
        EXPECT_EQ (enabledRows(), c.enabled);
        EXPECT_EQ (visibleBoxes(), c.on);
        EXPECT_EQ (selectedDestinations(), c.selected);

        // Restoring changes nothing saved.
        EXPECT_EQ (describe (processor.apvts.state.getProperty (ChannelMap)), saved);
    }
}

TEST_F (HomePage, ARebuildHandsTheRestoredRoutingToTheAudioThreadInOneGo)
{
    const Map saved { { 0, 1 }, { -1, -1 }, { 2, 0 } };
    processor.apvts.state.setProperty (ChannelMap, VectorToJuceVar (saved), nullptr);
    reportBegun (processor, 2);
    newestHandedOver();

    reportBegun (processor, 3);

    // No empty map in between, which the audio thread could play for a block.
    Map handedOver;
    ASSERT_TRUE (processor.channelMappingFifo.pull (handedOver));
    EXPECT_EQ (handedOver, saved);
    EXPECT_FALSE (processor.channelMappingFifo.pull (handedOver));
}

TEST_F (HomePage, ARestoredDestinationThisPluginLacksIsSavedAsNoneOnTheNextChange)
{
    processor.apvts.state.setProperty (ChannelMap, VectorToJuceVar<ChannelMapping> ({ { 0, 5 }, { -1, -1 } }), nullptr);
    reportBegun (processor, 2);

    click (row (1).channelToggle);
    EXPECT_EQ (savedMap(), (Map { { 0, -1 }, { 1, -1 } }));
}

//==============================================================================
TEST_F (HomePage, ARoutingClickIsHeardAfterTheNextAudioCallbacks)
{
    RealTimeSource source (uniqueName ("Editor routing"), 48000, 2, RealTimeSource::constantLevels ({ 0.25f, 0.5f }));
    test::HostThread host (processor, 48000.0, 480);
    choose (source);
    EXPECT_EQ (processor.apvts.state.getProperty (ConnectedSourceName).toString(), juce::String (source.ndiName()));

    // The receiver captures for the audio callbacks; its first full capture
    // makes broadcasting begin, and the page builds its rows.
    playUntilRows (host, 2);

    // Each block waits for the receiver's answer to the one before, however
    // busy the machine is.
    test::CaptureRecorder recorder;

    const auto levelsAfterRouting = [&]
    {
        host.play (repeat (480, 10), &recorder);
        return std::pair (host.outputs[0].back(), host.outputs[1].back());
    };

    EXPECT_EQ (levelsAfterRouting(), std::pair (0.0f, 0.0f)) << "nothing is routed yet";

    click (row (1).channelToggle);
    chooseDestination (1, 0);
    EXPECT_EQ (savedMap(), (Map { { -1, -1 }, { 1, 0 } }));

    auto levels = levelsAfterRouting();
    EXPECT_NEAR (levels.first, 0.5f, 1.0e-3f);
    EXPECT_NEAR (levels.second, 0.0f, 1.0e-3f);

    click (row (0).channelToggle);
    chooseDestination (0, 1);
    EXPECT_EQ (savedMap(), (Map { { 0, 1 }, { 1, 0 } }));

    levels = levelsAfterRouting();
    EXPECT_NEAR (levels.first, 0.5f, 1.0e-3f);
    EXPECT_NEAR (levels.second, 0.25f, 1.0e-3f);
}

TEST_F (HomePage, ChoosingAnotherSourceClearsTheRowsAtOnceAndBuildsItsOwnLater)
{
    RealTimeSource stereo (uniqueName ("Editor stereo"), 48000, 2, RealTimeSource::sines());
    RealTimeSource three (uniqueName ("Editor three"), 48000, 3, RealTimeSource::sines());
    test::HostThread host (processor, 48000.0, 480);

    choose (stereo);
    playUntilRows (host, 2);
    EXPECT_FALSE (home().noAudioLabel.isVisible());

    choose (three);
    EXPECT_TRUE (home().channelPickers.empty()) << "the old connection ended with the choice";
    EXPECT_TRUE (home().noAudioLabel.isVisible());
    EXPECT_EQ (processor.apvts.state.getProperty (ConnectedSourceName).toString(), juce::String (three.ndiName()));

    playUntilRows (host, 3);
    EXPECT_FALSE (home().noAudioLabel.isVisible());
}

TEST_F (HomePage, TheChosenSourceStaysChosenWhileItIsOnTheNetwork)
{
    auto first = std::make_unique<RealTimeSource> (uniqueName ("Editor first"), 48000, 2, RealTimeSource::sines());
    const auto firstName = juce::String (first->ndiName());
    auto& selector = home().sourceComboBox;

    ASSERT_TRUE (pumpUntil ([&] { return itemIdFor (selector, firstName) != 0; }, 10000));
    EXPECT_EQ (selector.getSelectedId(), 0);
    EXPECT_EQ (selector.getText(), juce::String());

    choose (*first);
    EXPECT_EQ (processor.receiver.currentSource.name, firstName);

    // Another source appears: the list changes, the choice stays.
    RealTimeSource second (uniqueName ("Editor second"), 48000, 2, RealTimeSource::sines());
    const auto secondName = juce::String (second.ndiName());
    ASSERT_TRUE (pumpUntil ([&] { return itemIdFor (selector, secondName) != 0; }, 10000));

    EXPECT_EQ (selector.getText(), firstName);
    EXPECT_EQ (selector.getSelectedId(), itemIdFor (selector, firstName));
    EXPECT_EQ (processor.receiver.currentSource.name, firstName);

    // The chosen source goes: the choice and the rows go, the notice shows,
    // and the receiver keeps its connection.
    reportBegun (processor, 2);
    first.reset();
    ASSERT_TRUE (pumpUntil ([&] { return itemIdFor (selector, firstName) == 0; }, 10000));
    ASSERT_TRUE (pumpUntil ([&] { return home().channelPickers.empty(); }));

    EXPECT_EQ (selector.getSelectedId(), 0);
    EXPECT_TRUE (home().noAudioLabel.isVisible());
    EXPECT_EQ (processor.receiver.currentSource.name, firstName);
}

TEST_F (OpenEditor, TheSavedSourceIsChosenAsSoonAsItIsOnTheNetwork)
{
    RealTimeSource source (uniqueName ("Editor saved"), 48000, 2, RealTimeSource::sines());
    const auto name = juce::String (source.ndiName());

    close();
    processor.apvts.state.setProperty (ConnectedSourceName, name, nullptr);
    open();

    auto& selector = home().sourceComboBox;
    ASSERT_TRUE (pumpUntil ([&] { return selector.getText() == name; }, 10000));
    EXPECT_EQ (selector.getSelectedId(), itemIdFor (selector, name));
    EXPECT_EQ (processor.receiver.currentSource.name, name);
}

//==============================================================================
TEST_F (HomePage, ReportsFromAnotherThreadAreHandledOnTheMessageThread)
{
    std::thread ([this] { reportBegun (processor, 3); }).join();
    EXPECT_TRUE (home().channelPickers.empty()) << "not before the message loop runs";

    ASSERT_TRUE (pumpUntil ([this] { return home().channelPickers.size() == 3; }));
    EXPECT_EQ (editor->getHeight(), 240);

    std::thread ([this] { reportEnded (processor); }).join();
    ASSERT_TRUE (pumpUntil ([this] { return home().channelPickers.empty(); }));
    EXPECT_TRUE (home().noAudioLabel.isVisible());
}

TEST_F (HomePage, AReportStillOnItsWayWhenTheEditorClosesIsDropped)
{
    std::thread ([this] { reportBegun (processor, 3); }).join();
    close();

    // The page is gone: handling the report would use freed memory.
    pumpMessages();
    SUCCEED();
}

//==============================================================================
// The page outside the editor: with no parent, or in a plain container.
TEST (HomeReceiverComponent, SizesItselfToItsRowsWithoutAnEditorAround)
{
    NDIReceiverAudioProcessor processor;
    ASSERT_TRUE (pumpUntil ([&] { return ! processor.receiver.broadcastingState; }));

    for (bool inContainer : { false, true })
    {
        SCOPED_TRACE (inContainer ? "in a container" : "alone");
        HomeReceiverComponent page (processor);
        juce::Component container;

        if (inContainer)
        {
            container.setBounds (0, 0, 300, 200);
            container.addAndMakeVisible (page);
        }

        page.setBounds (0, 0, 498, 217);
        reportBegun (processor, 6);

        EXPECT_EQ (page.getBounds(), Rect (0, 0, 498, 149 + 24 * 3));
        EXPECT_EQ (page.channelPickers.at (5)->getBounds(), Rect (249, 161, 238, 20));
        EXPECT_EQ (container.getBounds(), Rect (0, 0, inContainer ? 300 : 0, inContainer ? 200 : 0));

        reportEnded (processor);
        EXPECT_EQ (page.getHeight(), 149);
    }
}
