// Renders the editor in its main states to PNG files in the build folder, for a
// person to look at, and checks what a picture must show.

#include "ui/EditorTestSupport.h"

#include <unistd.h>

using test::click;
using test::OpenEditor;
using test::pumpMessages;
using test::RealTimeSource;

namespace
{
    juce::Image render (juce::Component& editor, const juce::String& fileName)
    {
        const auto image = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);

        const juce::File folder (NDIR_PICTURE_DIR);
        folder.createDirectory();
        const auto file = folder.getChildFile (fileName);
        file.deleteFile();

        juce::FileOutputStream stream (file);
        EXPECT_TRUE (stream.openedOk()) << file.getFullPathName();
        EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image, stream));
        return image;
    }

    // The gold bar lies along the top of the front tab only.
    void expectFrontTab (const juce::Image& picture, int frontTab)
    {
        const auto barY = picture.getHeight() - 22;

        for (int tab = 0; tab < 2; ++tab)
        {
            const auto pixel = picture.getPixelAt (tab * 166 + 83, barY);
            EXPECT_EQ (pixel == juce::Colours::gold, tab == frontTab) << "tab " << tab << ": " << pixel.toDisplayString (true);
        }
    }
}

TEST_F (OpenEditor, PicturesOfTheMainStates)
{
    showHome();
    auto picture = render (*editor, "editor-no-audio.png");
    EXPECT_EQ (picture.getBounds(), juce::Rectangle<int> (0, 0, 500, 240));
    expectFrontTab (picture, 0);

    // Six channels arriving from a real source, two of them routed.
    RealTimeSource source ("Six channels " + std::to_string (::getpid()), 48000, 6, RealTimeSource::sines());
    test::HostThread host (processor, 48000.0, 480);
    choose (source);
    playUntilRows (host, 6);

    click (row (0).channelToggle);
    row (0).destinationComboBox.setSelectedId (2, juce::sendNotificationAsync);
    click (row (4).channelToggle);
    row (4).destinationComboBox.setSelectedId (1, juce::sendNotificationAsync);
    pumpMessages();

    picture = render (*editor, "editor-six-channels.png");
    EXPECT_EQ (picture.getBounds(), juce::Rectangle<int> (0, 0, 500, 244));
    expectFrontTab (picture, 0);

    tabs().getTabbedButtonBar().setCurrentTabIndex (1);
    picture = render (*editor, "editor-about.png");
    EXPECT_EQ (picture.getBounds(), juce::Rectangle<int> (0, 0, 500, 240));
    expectFrontTab (picture, 1);
}
