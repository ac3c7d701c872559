#include "ui/AboutTabLookAndFeel.h"
#include "ui/AudioCorvaneLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
    juce::Image transparentImage (int width, int height)
    {
        return juce::Image (juce::Image::ARGB, width, height, true);
    }

    int maxAlpha (const juce::Image& image, juce::Rectangle<int> area)
    {
        int result = 0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                result = juce::jmax (result, (int) image.getPixelAt (x, y).getAlpha());

        return result;
    }

    bool sameImages (const juce::Image& a, const juce::Image& b)
    {
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    // A bar of two tabs drawn by a look-and-feel of the family.
    struct TabBar
    {
        explicit TabBar (VstLookAndFeel& lookAndFeel, int height = 30)
        {
            bar.setLookAndFeel (&lookAndFeel);
            bar.addTab ("Home", juce::Colours::gold, -1);
            bar.addTab ("About", juce::Colours::gold, -1);
            bar.setBounds (0, 0, 200, height);
            bar.setCurrentTabIndex (0, false);
        }

        ~TabBar() { bar.setLookAndFeel (nullptr); }

        juce::Image draw (int index, bool isMouseOver = false)
        {
            auto& button = *bar.getTabButton (index);
            auto image = transparentImage (button.getWidth(), button.getHeight());
            juce::Graphics g (image);
            bar.getLookAndFeel().drawTabButton (button, g, isMouseOver, false);
            return image;
        }

        juce::TabbedButtonBar bar { juce::TabbedButtonBar::TabsAtBottom };
    };
}

//==============================================================================
TEST (LookAndFeel, EveryFontIsSetInTheEmbeddedLato)
{
    AudioCorvaneLookAndFeel::getInstance();
    auto& aboutTab = AboutTabLookAndFeel::getInstance();

    EXPECT_EQ (juce::Font (20.0f).getTypefacePtr()->getName(), "Lato");
    EXPECT_EQ (juce::Font ("DejaVu Serif", 12.0f, juce::Font::bold).getTypefacePtr()->getName(), "Lato");
    EXPECT_EQ (aboutTab.getTypefaceForFont (juce::Font (9.0f)), VstLookAndFeel::getCustomFont().getTypefacePtr());
    EXPECT_EQ (VstLookAndFeel::getCustomFont().getTypefacePtr(), VstLookAndFeel::getCustomFont().getTypefacePtr())
        << "decoded once, then shared";
}

TEST (LookAndFeel, ConstructingAMemberMakesItTheDefault)
{
    // So the About page's instance, built after the tabbed content's, ends up the default.
    auto& aboutTab = AboutTabLookAndFeel::getInstance();
    {
        VstLookAndFeel member;
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &member);
        EXPECT_EQ (juce::Font (14.0f).getTypefacePtr()->getName(), "Lato");
        juce::LookAndFeel::setDefaultLookAndFeel (&aboutTab);
    }
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), &aboutTab);
}

TEST (LookAndFeel, FetchingTheInstancesAgainChangesNoDefault)
{
    auto& aboutTab = AboutTabLookAndFeel::getInstance();
    auto& tabbedContent = AudioCorvaneLookAndFeel::getInstance();
    EXPECT_NE (static_cast<VstLookAndFeel*> (&tabbedContent), static_cast<VstLookAndFeel*> (&aboutTab));

    for (VstLookAndFeel* member : { static_cast<VstLookAndFeel*> (&tabbedContent), static_cast<VstLookAndFeel*> (&aboutTab) })
    {
        juce::LookAndFeel::setDefaultLookAndFeel (member);
        EXPECT_EQ (&AudioCorvaneLookAndFeel::getInstance(), &tabbedContent);
        EXPECT_EQ (&AboutTabLookAndFeel::getInstance(), &aboutTab);
        EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), member);
    }
}

TEST (LookAndFeel, FamilyIsDefaultAgainAfterJuceFellBackToItsOwn)
{
    AboutTabLookAndFeel::getInstance();

    // What a desktop rebuilt after the last editor closed looks like.
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    juce::Typeface::clearTypefaceCache();
    ASSERT_EQ (dynamic_cast<VstLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    ASSERT_NE (juce::Font (14.0f).getTypefacePtr()->getName(), "Lato");

    AudioCorvaneLookAndFeel::getInstance();
    AboutTabLookAndFeel::getInstance();

    EXPECT_NE (dynamic_cast<VstLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    EXPECT_EQ (juce::Font (14.0f).getTypefacePtr()->getName(), "Lato");

    // Back to the order a first editor leaves, for the tests that follow.
    juce::LookAndFeel::setDefaultLookAndFeel (&AboutTabLookAndFeel::getInstance());
}

//==============================================================================
TEST (LookAndFeel, TextButtonFontHeightComesFromTheFontsizeProperty)
{
    VstLookAndFeel* family[] = { &AudioCorvaneLookAndFeel::getInstance(), &AboutTabLookAndFeel::getInstance() };
    ASSERT_EQ (AboutTabLookAndFeel::fontsize, "fontsize");
    ASSERT_EQ (VstLookAndFeel::fontsize, "fontsize");

    for (auto* lookAndFeel : family)
    {
        juce::TextButton button ("Help");
        button.setSize (60, 40);
        // Without the property (JUCE's own buttons) the text keeps JUCE's usual size.
        EXPECT_FLOAT_EQ (lookAndFeel->getTextButtonFont (button, 40).getHeight(),
                         juce::LookAndFeel_V4().getTextButtonFont (button, 40).getHeight());
        EXPECT_GT (lookAndFeel->getTextButtonFont (button, 20).getHeight(), 10.0f);

        button.getProperties().set (AboutTabLookAndFeel::fontsize, 15.0);
        EXPECT_FLOAT_EQ (lookAndFeel->getTextButtonFont (button, 40).getHeight(), 15.0f);
        EXPECT_EQ (lookAndFeel->getTextButtonFont (button, 40).getTypefacePtr()->getName(), "Lato");

        button.getProperties().set (AboutTabLookAndFeel::fontsize, "11.5");
        EXPECT_FLOAT_EQ (lookAndFeel->getTextButtonFont (button, 40).getHeight(), 11.5f) << "a number given as text";
    }
}

TEST (LookAndFeel, TabFontHeightFollowsTheTabHeightWithAFloorOfSix)
{
    const struct { float tabHeight, plainHeight, tabbedContentHeight; } cases[] =
    {
        { 7.0f,  6.0f,  6.0f },
        { 9.0f,  6.0f,  6.84f },
        { 30.0f, 19.8f, 22.8f },
    };

    auto& aboutTab = AboutTabLookAndFeel::getInstance();
    auto& tabbedContent = AudioCorvaneLookAndFeel::getInstance();
    TabBar tabs (aboutTab);
    auto& button = *tabs.bar.getTabButton (0);

    for (const auto& c : cases)
    {
        EXPECT_NEAR (aboutTab.getTabButtonFont (button, c.tabHeight).getHeight(), c.plainHeight, 1.0e-4f) << c.tabHeight;
        EXPECT_NEAR (tabbedContent.getTabButtonFont (button, c.tabHeight).getHeight(), c.tabbedContentHeight, 1.0e-4f) << c.tabHeight;
    }
}

//==============================================================================
TEST (LookAndFeel, FrontTabGetsAGoldBarAtMostTwoPixelsHigh)
{
    for (int height : { 1, 2, 30 })
    {
        SCOPED_TRACE (height);
        TabBar tabs (AudioCorvaneLookAndFeel::getInstance(), height);
        const auto front = tabs.draw (0);
        const auto back = tabs.draw (1);
        const auto barHeight = juce::jmin (height, 2);

        for (int y = 0; y < barHeight; ++y)
        {
            EXPECT_EQ (front.getPixelAt (0, y), juce::Colours::gold);
            EXPECT_EQ (front.getPixelAt (front.getWidth() - 1, y), juce::Colours::gold);
            EXPECT_NE (back.getPixelAt (0, y), juce::Colours::gold);
        }

        if (height > barHeight)
        {
            EXPECT_NE (front.getPixelAt (0, barHeight), juce::Colours::gold);
        }
    }
}

TEST (LookAndFeel, TabTextIsBlackAndFadesWhenNotHoveredOrDisabled)
{
    TabBar tabs (AudioCorvaneLookAndFeel::getInstance());
    const auto textArea = juce::Rectangle<int> (0, 3, tabs.bar.getTabButton (1)->getWidth(), 27);

    const auto hovered = tabs.draw (1, true);
    const auto resting = tabs.draw (1, false);
    tabs.bar.getTabButton (1)->setEnabled (false);
    const auto disabled = tabs.draw (1, true);

    EXPECT_EQ (maxAlpha (hovered, textArea), 255);
    EXPECT_NEAR (maxAlpha (resting, textArea), 204, 1);
    EXPECT_NEAR (maxAlpha (disabled, textArea), 77, 1);

    const auto centre = hovered.getBounds().getCentre();
    EXPECT_EQ (hovered.getPixelAt (centre.x, centre.y).getBrightness(), 0.0f) << "text is black";
}

TEST (LookAndFeel, TabTextIsDrawnWithoutSurroundingSpaces)
{
    TabBar tabs (AudioCorvaneLookAndFeel::getInstance());
    const auto plain = tabs.draw (1);

    tabs.bar.setTabName (1, "   About \t ");
    tabs.bar.getTabButton (1)->setSize (plain.getWidth(), plain.getHeight());
    const auto padded = tabs.draw (1);

    EXPECT_GT (maxAlpha (plain, plain.getBounds()), 0);
    EXPECT_TRUE (sameImages (plain, padded));
}

TEST (LookAndFeel, TabTextRunsAlongTabsOfVerticalBars)
{
    for (auto orientation : { juce::TabbedButtonBar::TabsAtLeft, juce::TabbedButtonBar::TabsAtRight })
    {
        juce::TabbedButtonBar bar (orientation);
        bar.setLookAndFeel (&AudioCorvaneLookAndFeel::getInstance());
        bar.addTab ("Settings", juce::Colours::gold, -1);
        bar.setBounds (0, 0, 30, 160);

        auto& button = *bar.getTabButton (0);
        auto image = transparentImage (button.getWidth(), button.getHeight());
        {
            juce::Graphics g (image);
            bar.getLookAndFeel().drawTabButtonText (button, g, true, false);
        }

        // The inked area of the text is taller than wide: it was turned.
        juce::Rectangle<int> ink;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y).getAlpha() > 0)
                    ink = ink.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : ink.getUnion ({ x, y, 1, 1 });

        EXPECT_GT (ink.getHeight(), 2 * ink.getWidth()) << (int) orientation;
        bar.setLookAndFeel (nullptr);
    }
}

//==============================================================================
namespace
{
    // A label with a clear background, white text and a red outline, drawn alone.
    struct LabelDrawing
    {
        LabelDrawing()
        {
            label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
            label.setColour (juce::Label::textColourId, juce::Colours::white);
            label.setColour (juce::Label::outlineColourId, juce::Colours::red);
            label.setFont (juce::Font (20.0f));
            label.setJustificationType (juce::Justification::centred);
            label.setBounds (0, 0, 120, 30);
        }

        juce::Image draw()
        {
            auto image = transparentImage (label.getWidth(), label.getHeight());
            juce::Graphics g (image);
            AboutTabLookAndFeel::getInstance().drawLabel (g, label);
            return image;
        }

        juce::Rectangle<int> inside() const { return label.getLocalBounds().reduced (4); }

        juce::Label label { "label", "Version" };
    };
}

TEST (LookAndFeel, LabelIsARoundedBoxWithOutlineAndText)
{
    LabelDrawing drawing;
    drawing.label.setColour (juce::Label::backgroundColourId, juce::Colours::blue);
    const auto image = drawing.draw();

    EXPECT_EQ (image.getPixelAt (60, 0), juce::Colours::red) << "outline along the top edge";
    EXPECT_LT (image.getPixelAt (0, 0).getAlpha(), 128) << "rounded corner";
    EXPECT_EQ (image.getPixelAt (3, 15), juce::Colours::blue) << "box filled with the background";

    int whitePixels = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            whitePixels += image.getPixelAt (x, y) == juce::Colours::white ? 1 : 0;

    EXPECT_GT (whitePixels, 10) << "the text";
}

TEST (LookAndFeel, DisabledLabelDrawsTextAndOutlineAtHalfAlpha)
{
    LabelDrawing drawing;
    const auto enabled = drawing.draw();
    drawing.label.setEnabled (false);
    const auto disabled = drawing.draw();

    EXPECT_EQ (maxAlpha (enabled, drawing.inside()), 255);
    EXPECT_NEAR (maxAlpha (disabled, drawing.inside()), 128, 1);
    EXPECT_EQ (enabled.getPixelAt (60, 0).getAlpha(), 255);
    EXPECT_NEAR (disabled.getPixelAt (60, 0).getAlpha(), 128, 1);
}

namespace
{
    // A window that exists only in memory: enough for JUCE to count its contents
    // as showing, so that a label can open its editor without a display.
    class OffscreenPeer : public juce::ComponentPeer
    {
    public:
        using ComponentPeer::ComponentPeer;

        void* getNativeHandle() const override                              { return nullptr; }
        void setVisible (bool) override                                     {}
        void setTitle (const juce::String&) override                        {}
        void setBounds (const juce::Rectangle<int>& newBounds, bool) override { bounds = newBounds; }
        juce::Rectangle<int> getBounds() const override                     { return bounds; }
        juce::Point<float> localToGlobal (juce::Point<float> p) override    { return p + bounds.getPosition().toFloat(); }
        juce::Point<float> globalToLocal (juce::Point<float> p) override    { return p - bounds.getPosition().toFloat(); }
        void setMinimised (bool) override                                   {}
        bool isMinimised() const override                                   { return false; }
        void setFullScreen (bool) override                                  {}
        bool isFullScreen() const override                                  { return false; }
        void setIcon (const juce::Image&) override                          {}
        bool contains (juce::Point<int> p, bool) const override             { return bounds.withZeroOrigin().contains (p); }
        OptionalBorderSize getFrameSizeIfPresent() const override           { return {}; }
        juce::BorderSize<int> getFrameSize() const override                 { return {}; }
        bool setAlwaysOnTop (bool) override                                 { return false; }
        void toFront (bool) override                                        {}
        void toBehind (ComponentPeer*) override                             {}
        bool isFocused() const override                                     { return true; }
        void grabFocus() override                                           {}
        void repaint (const juce::Rectangle<int>&) override                 {}
        void performAnyPendingRepaintsNow() override                        {}
        void setAlpha (float) override                                      {}
        juce::StringArray getAvailableRenderingEngines() override           { return { "Software Renderer" }; }
        void textInputRequired (juce::Point<int>, juce::TextInputTarget&) override {}

    private:
        juce::Rectangle<int> bounds;
    };

    struct OffscreenWindow : public juce::Component
    {
        juce::ComponentPeer* createNewPeer (int styleFlags, void*) override
        {
            return new OffscreenPeer (*this, styleFlags);
        }
    };
}

TEST (LookAndFeel, LabelBeingEditedDrawsOnlyItsBoxAndOutline)
{
    LabelDrawing drawing;
    OffscreenWindow window;
    window.setBounds (drawing.label.getLocalBounds());
    window.addAndMakeVisible (drawing.label);
    window.addToDesktop (0);
    window.setVisible (true);

    drawing.label.showEditor();
    ASSERT_TRUE (drawing.label.isBeingEdited());
    const auto image = drawing.draw();

    EXPECT_EQ (maxAlpha (image, drawing.inside()), 0) << "no text";
    EXPECT_EQ (image.getPixelAt (60, 0), juce::Colours::red) << "outline at full alpha";

    // Disabled while edited: the outline takes the clear background colour.
    drawing.label.setEnabled (false);
    ASSERT_TRUE (drawing.label.isBeingEdited());
    EXPECT_EQ (maxAlpha (drawing.draw(), drawing.label.getLocalBounds()), 0);

    drawing.label.hideEditor (true);
    window.removeFromDesktop();
}
