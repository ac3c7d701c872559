#include "ui/AboutComponent.h"
#include "ui/AboutTabLookAndFeel.h"

#include <BinaryData.h>
#include <NDIRuntime.h>
#include <gtest/gtest.h>

namespace
{
    void pumpMessages()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
    }

    // An About page whose Help button records the pages it opens instead of
    // starting a browser.
    struct AboutPage
    {
        AboutPage()
        {
            page.openUrl = [this] (const juce::URL& url) { opened.push_back (url); };
        }

        struct Bounds
        {
            juce::Rectangle<int> title, logo, ndiVersion, version, agreement, help;
        };

        Bounds childBounds() const
        {
            return { page.productNameLabel->getBounds(), page.logoButton->getBounds(),
                     page.ndiVersionLabel->getBounds(), page.versionLabel->getBounds(),
                     page.agreementViewer->getBounds(), page.helpButton->getBounds() };
        }

        AboutComponent page;
        std::vector<juce::URL> opened;
    };

    void expectBounds (const AboutPage::Bounds& actual, const AboutPage::Bounds& expected)
    {
        EXPECT_EQ (actual.title, expected.title);
        EXPECT_EQ (actual.logo, expected.logo);
        EXPECT_EQ (actual.ndiVersion, expected.ndiVersion);
        EXPECT_EQ (actual.version, expected.version);
        EXPECT_EQ (actual.agreement, expected.agreement);
        EXPECT_EQ (actual.help, expected.help);
    }
}

//==============================================================================
TEST (AboutComponent, LaysOutTheWorkedSizesExactly)
{
    const struct { int width, height; AboutPage::Bounds expected; } cases[] =
    {
        { 498, 217, { { 174, 10, 150, 24 }, { 379, 23, 108, 29 }, { 186, 45, 125, 20 },
                      { 0, 45, 125, 20 }, { 10, 65, 478, 100 }, { 278, 178, 92, 26 } } },
        { 1000, 400, { { 425, 10, 150, 24 }, { 743, 23, 217, 29 }, { 437, 45, 125, 20 },
                       { 0, 45, 125, 20 }, { 10, 65, 980, 100 }, { 500, 240, 300, 85 } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        AboutPage about;
        about.page.setSize (c.width, c.height);
        expectBounds (about.childBounds(), c.expected);

        // Laying out again at the same size moves nothing.
        about.page.resized();
        expectBounds (about.childBounds(), c.expected);
    }
}

TEST (AboutComponent, EmptyPageLeavesEveryChildWhereItWas)
{
    AboutPage about;
    about.page.setSize (498, 217);
    const auto before = about.childBounds();

    for (auto [width, height] : { std::pair (0, 217), std::pair (498, 0), std::pair (0, 0) })
    {
        about.page.setSize (width, height);
        expectBounds (about.childBounds(), before);
        about.page.setSize (498, 217);
    }
}

TEST (AboutComponent, TinyPagesLayOutWithoutAssertions)
{
    // Strips of no height leave their children alone instead of asking JUCE to
    // fit into an empty area.
    for (auto [width, height] : { std::pair (1, 1), std::pair (3, 40), std::pair (498, 45), std::pair (498, 60), std::pair (498, 165) })
    {
        SCOPED_TRACE (juce::String (width) + " x " + juce::String (height));
        AboutPage about;
        about.page.setSize (width, height);
        EXPECT_LE (about.page.agreementViewer->getHeight(), juce::jmax (0, height - 45));
    }
}

//==============================================================================
TEST (AboutComponent, ShowsTitleAndBothVersions)
{
    AboutPage about;
    auto& page = about.page;

    EXPECT_EQ (page.productNameLabel->getText(), "NDI Audio Corvane");
    EXPECT_EQ (page.versionLabel->getText(), juce::String ("INTERFACE ") + NDIR_VERSION_STRING);
    EXPECT_EQ (page.ndiVersionString, std::string (NDIlib_version()));
    EXPECT_EQ (page.ndiVersionLabel->getText(), AboutComponent::makeNdiVersionText (NDIlib_version()));

    const struct { juce::Label* label; float height; } labels[] =
    {
        { page.productNameLabel.get(), 20.0f }, { page.versionLabel.get(), 15.0f }, { page.ndiVersionLabel.get(), 15.0f }
    };

    for (const auto& l : labels)
    {
        SCOPED_TRACE (l.label->getText());
        EXPECT_TRUE (l.label->isVisible());
        EXPECT_EQ (l.label->getName(), "new label");
        EXPECT_FLOAT_EQ (l.label->getFont().getHeight(), l.height);
        EXPECT_EQ (l.label->getFont().getTypefaceStyle(), "Regular");
        EXPECT_EQ (l.label->getJustificationType(), juce::Justification::centredBottom);
        EXPECT_FALSE (l.label->isEditableOnSingleClick());
        EXPECT_FALSE (l.label->isEditableOnDoubleClick());
        EXPECT_EQ (l.label->findColour (juce::Label::textColourId), juce::Colour (0xfff0f8ff));
    }
}

TEST (AboutComponent, VersionTailIsTheLastFiveCharactersOrTheWholeText)
{
    const struct { const char* runtimeVersion; const char* shown; } cases[] =
    {
        { "NDI 5.6.1",       "NDI Lib v5.6.1" },
        { "ab5.6.1x",        "NDI Lib v.6.1x" },
        { "12345",           "NDI Lib v12345" },
        { "6.1",             "NDI Lib v6.1" },
        { "",                "NDI Lib v" },
        { "v\xc3\xa9" "2.0.1", "NDI Lib v2.0.1" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (AboutComponent::makeNdiVersionText (c.runtimeVersion), juce::String::fromUTF8 (c.shown)) << c.runtimeVersion;
}

TEST (AboutComponent, AgreementViewerShowsTheWholeAgreementAndRefusesEdits)
{
    AboutPage about;
    about.page.setSize (498, 217);
    auto& viewer = *about.page.agreementViewer;
    const auto agreement = juce::String::fromUTF8 (Resources::lic_txt);

    EXPECT_EQ (viewer.getText(), agreement);
    EXPECT_TRUE (viewer.isMultiLine());
    EXPECT_TRUE (viewer.isReadOnly());
    EXPECT_TRUE (viewer.areScrollbarsShown());
    EXPECT_FALSE (viewer.isCaretVisible());
    EXPECT_TRUE (viewer.isPopupMenuEnabled());
    EXPECT_EQ (viewer.findColour (juce::TextEditor::textColourId), juce::Colours::black);
    EXPECT_EQ (viewer.findColour (juce::TextEditor::backgroundColourId), juce::Colours::white);
    EXPECT_GT (viewer.getTextHeight(), viewer.getHeight()) << "longer than its box, so it scrolls";

    viewer.keyPressed (juce::KeyPress ('x'));
    viewer.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey));
    viewer.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_EQ (viewer.getText(), agreement);
}

TEST (AboutComponent, HelpButtonIsSquareWithA15HighFont)
{
    AboutPage about;
    auto& help = *about.page.helpButton;

    EXPECT_TRUE (help.isVisible());
    EXPECT_EQ (help.getButtonText(), "Help");
    EXPECT_TRUE (help.isConnectedOnLeft() && help.isConnectedOnRight() && help.isConnectedOnTop() && help.isConnectedOnBottom());
    EXPECT_EQ (help.findColour (juce::TextButton::buttonColourId), juce::Colour (0xfff0f0f0));
    EXPECT_EQ (help.findColour (juce::TextButton::textColourOffId), juce::Colours::black);
    EXPECT_FLOAT_EQ (help.getLookAndFeel().getTextButtonFont (help, help.getHeight()).getHeight(), 15.0f);
    EXPECT_EQ (&about.page.getLookAndFeel(), static_cast<juce::LookAndFeel*> (&AboutTabLookAndFeel::getInstance()));
}

//==============================================================================
TEST (AboutComponent, HelpOpensTheSupportPageOncePerClickAndTheLogoDoesNothing)
{
    AboutPage about;
    about.page.setSize (498, 217);

    about.page.logoButton->triggerClick();
    pumpMessages();
    EXPECT_TRUE (about.opened.empty());

    about.page.helpButton->triggerClick();
    pumpMessages();
    about.page.helpButton->triggerClick();
    pumpMessages();

    ASSERT_EQ (about.opened.size(), 2u);

    for (const auto& url : about.opened)
    {
        EXPECT_EQ (url.toString (true), AboutComponent::getSupportPage().toString (true));
        EXPECT_EQ (url.getSubPath(), "support");
        EXPECT_TRUE (url.isWellFormed());
    }
}

TEST (AboutComponent, SupportPageDefaultsToAReservedExampleDomain)
{
    // A build may point Help elsewhere; the default must not be someone else's site.
    const auto domain = AboutComponent::getSupportPage().getDomain();

    if (domain != "ndireceiver.example")
        GTEST_SKIP() << "built with its own support page: " << domain;

    EXPECT_EQ (AboutComponent::getSupportPage().toString (false), "https://ndireceiver.example/support");
}

//==============================================================================
TEST (AboutComponent, PaintsTheBackgroundStretchedOverThePage)
{
    const auto background = juce::ImageCache::getFromMemory (Resources::background_jpg, Resources::background_jpgSize);
    ASSERT_TRUE (background.isValid());

    for (auto [width, height] : { std::pair (498, 217), std::pair (1000, 400) })
    {
        AboutPage about;
        about.page.setSize (width, height);

        juce::Image painted (juce::Image::ARGB, width, height, true);
        {
            juce::Graphics g (painted);
            about.page.paint (g);
        }

        // Sample the page on a grid and compare with the same relative spot of the picture.
        for (float fx : { 0.1f, 0.5f, 0.9f })
        {
            for (float fy : { 0.1f, 0.5f, 0.9f })
            {
                const auto pagePixel = painted.getPixelAt ((int) (fx * (float) width), (int) (fy * (float) height));
                const auto picturePixel = background.getPixelAt ((int) (fx * (float) background.getWidth()),
                                                                 (int) (fy * (float) background.getHeight()));
                EXPECT_EQ (pagePixel.getAlpha(), 255);
                EXPECT_NEAR (pagePixel.getBrightness(), picturePixel.getBrightness(), 0.08f) << fx << ", " << fy;
            }
        }
    }
}
