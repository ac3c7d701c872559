#include "ui/AudioCorvaneLookAndFeel.h"
#include "ui/ChannelPicker.h"

#include <gtest/gtest.h>

namespace
{
    // A row drawn with the tabbed content's look-and-feel, as on the Home page.
    struct Row
    {
        explicit Row (const juce::String& name, int width = 240, int height = 20)
            : picker (name)
        {
            picker.setLookAndFeel (&AudioCorvaneLookAndFeel::getInstance());
            picker.setBounds (0, 0, width, height);
        }

        ~Row() { picker.setLookAndFeel (nullptr); }

        ChannelPicker picker;
    };
}

TEST (ChannelPicker, StartsWithAVisibleTickBoxOffAndAHiddenEmptyBox)
{
    ChannelPicker picker ("Channel 1");

    EXPECT_EQ (picker.channelToggle.getButtonText(), "Channel 1");
    EXPECT_FALSE (picker.channelToggle.getToggleState());
    EXPECT_TRUE (picker.channelToggle.isVisible());
    EXPECT_EQ (picker.channelToggle.getParentComponent(), &picker);

    EXPECT_FALSE (picker.destinationComboBox.isVisible());
    EXPECT_EQ (picker.destinationComboBox.getParentComponent(), &picker);
    EXPECT_EQ (picker.destinationComboBox.getName(), juce::String());
    EXPECT_EQ (picker.destinationComboBox.getNumItems(), 0);
    EXPECT_EQ (picker.destinationComboBox.getSelectedId(), 0);
}

TEST (ChannelPicker, TickBoxFitsItsTextAndTheBoxFillsTheRestOfTheRow)
{
    for (auto [width, height] : { std::pair (240, 20), std::pair (400, 20), std::pair (240, 32) })
    {
        SCOPED_TRACE (juce::String (width) + " x " + juce::String (height));
        Row row ("Channel 1", width, height);
        const auto toggle = row.picker.channelToggle.getBounds();
        const auto box = row.picker.destinationComboBox.getBounds();

        EXPECT_EQ (toggle.getPosition(), juce::Point<int>());
        EXPECT_EQ (toggle.getHeight(), height);
        EXPECT_GT (toggle.getWidth(), 20);
        EXPECT_LT (toggle.getWidth(), 120);

        EXPECT_EQ (box, juce::Rectangle<int> (toggle.getRight() + 10, 0, width - toggle.getRight() - 10, height));
    }
}

TEST (ChannelPicker, TickBoxWidthDoesNotDependOnTheRowWidth)
{
    Row wide ("Channel 1", 400);
    Row narrow ("Channel 1", 240);
    EXPECT_EQ (wide.picker.channelToggle.getWidth(), narrow.picker.channelToggle.getWidth());

    // Laying out again, even after a narrower pass, gives the same bounds.
    narrow.picker.setSize (10, 20);
    narrow.picker.setSize (400, 20);
    EXPECT_EQ (narrow.picker.channelToggle.getBounds(), wide.picker.channelToggle.getBounds());
    EXPECT_EQ (narrow.picker.destinationComboBox.getBounds(), wide.picker.destinationComboBox.getBounds());
}

TEST (ChannelPicker, RowNarrowerThanTheTickBoxLeavesTheBoxNoWidth)
{
    Row row ("Channel 1");
    const auto toggleWidth = row.picker.channelToggle.getWidth();

    for (int width : { toggleWidth + 10, toggleWidth + 3, 5, 0 })
    {
        SCOPED_TRACE (width);
        row.picker.setSize (width, 20);

        EXPECT_EQ (row.picker.channelToggle.getWidth(), toggleWidth);
        EXPECT_EQ (row.picker.destinationComboBox.getX(), toggleWidth + 10);
        EXPECT_EQ (row.picker.destinationComboBox.getWidth(), 0);
    }
}

TEST (ChannelPicker, LongerLabelsPushTheBoxFurtherRight)
{
    Row nine ("Channel 9");
    Row ten ("Channel 10");

    EXPECT_GT (ten.picker.channelToggle.getWidth(), nine.picker.channelToggle.getWidth());
    EXPECT_GT (ten.picker.destinationComboBox.getX(), nine.picker.destinationComboBox.getX());
    EXPECT_EQ (ten.picker.destinationComboBox.getRight(), nine.picker.destinationComboBox.getRight());
}
