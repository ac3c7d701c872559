#pragma once

#include "plugin/GlobalDefs.h"
#include "plugin/HostThread.h"
#include "support/NDITestSupport.h"
#include "ui/PluginEditor.h"

#include <gtest/gtest.h>

#include <memory>

namespace test
{
    /** Delivers the pending messages, as one pass of the host's message loop would. */
    inline void pumpMessages()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    /** Clicks `button` the way a user does: through JUCE's message loop, and
        only if the button is enabled. */
    inline void click (juce::Button& button)
    {
        button.triggerClick();
        pumpMessages();
    }

    /** Reports a broadcasting state to every receiver listener, as the
        receiver does: the page first, then the processor. */
    inline void reportBegun (NDIReceiverAudioProcessor& processor, int numChannels)
    {
        processor.receiver.listeners.call ([numChannels] (NDIReceiver::Listener& l) { l.audioBroadcastingHasBegun (numChannels); });
    }

    inline void reportEnded (NDIReceiverAudioProcessor& processor)
    {
        processor.receiver.listeners.call ([] (NDIReceiver::Listener& l) { l.audioBroadcastingHasEnded(); });
    }

    /** The item id whose text is `text`, or 0. */
    inline int itemIdFor (const juce::ComboBox& box, const juce::String& text)
    {
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText (i) == text)
                return box.getItemId (i);

        return 0;
    }

    /**
        A processor with its editor open, as a host has it: the editor created
        through the processor and, at the end, announced before it is deleted.
    */
    class OpenEditor : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // The receiver's first timer tick reports that nothing is being
            // received; reports made by a test come after it.
            ASSERT_TRUE (pumpUntil ([this] { return ! processor.receiver.broadcastingState; }));
            open();
        }

        void TearDown() override
        {
            close();
        }

        void open()
        {
            editor.reset (dynamic_cast<NDIReceiverAudioProcessorEditor*> (processor.createEditorIfNeeded()));
            ASSERT_NE (editor, nullptr);
        }

        void close()
        {
            if (editor != nullptr)
                processor.editorBeingDeleted (editor.get());

            editor.reset();
        }

        /** Runs the message loop until the Home page is current. */
        void showHome()
        {
            ASSERT_TRUE (pumpUntil ([this] { return tabs().getCurrentTabIndex() == 0; }));
        }

        /** Chooses `source` on the Home page, as a user does, once the finder lists it. */
        void choose (const RealTimeSource& source)
        {
            auto& selector = home().sourceComboBox;
            const auto name = juce::String (source.ndiName());
            ASSERT_TRUE (pumpUntil ([&] { return itemIdFor (selector, name) != 0; }, 10000));
            selector.setSelectedId (itemIdFor (selector, name), juce::sendNotificationSync);
        }

        /** Plays audio callbacks until the chosen source's audio has made the
            Home page show `numRows` rows. */
        void playUntilRows (HostThread& host, size_t numRows)
        {
            for (int attempt = 0; attempt < 20 && home().channelPickers.size() != numRows; ++attempt)
                host.play (std::vector<int> (10, 480));

            ASSERT_EQ (home().channelPickers.size(), numRows);
        }

        NDITabComponent& tabs()                    { return *editor->audioCorvaneComponent.tabbedComponent; }
        HomeReceiverComponent& home()              { return editor->homeReceiverComponent; }
        ChannelPicker& row (size_t i)              { return *home().channelPickers.at (i); }

        NDIReceiverAudioProcessor processor;
        std::unique_ptr<NDIReceiverAudioProcessorEditor> editor;
    };
}
