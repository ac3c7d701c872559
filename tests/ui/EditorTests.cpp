#include "ui/EditorTestSupport.h"

using test::OpenEditor;
using test::reportBegun;

namespace
{
    using Rect = juce::Rectangle<int>;

    // Home's wanted height for `rows` rows of pickers, plus the tabs and JUCE's
    // 1-pixel outline above the page; never below 240.
    int windowHeightFor (int rows)
    {
        return juce::jmax (240, 149 + 24 * rows + 23);
    }
}

TEST_F (OpenEditor, OpensAt500By240OnAboutThenShowsHomeOnceTheMessageLoopRuns)
{
    auto& about = *editor->audioCorvaneComponent.aboutComponent;

    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, 240));
    EXPECT_FALSE (editor->isResizable());
    EXPECT_EQ (tabs().getTabNames(), juce::StringArray ({ "Home", "About" }));
    EXPECT_EQ (tabs().getTabContentComponent (0), &home());
    EXPECT_EQ (tabs().getTabContentComponent (1), &about);
    EXPECT_EQ (about.productNameLabel->getText(), "NDI Receiver");

    EXPECT_EQ (tabs().getCurrentTabIndex(), 1);
    EXPECT_EQ (about.getBounds(), Rect (1, 1, 498, 217));
    EXPECT_EQ (home().getParentComponent(), nullptr) << "a page joins the tabs when first shown";

    showHome();

    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, 240));
    EXPECT_EQ (home().getParentComponent(), &tabs());
    EXPECT_TRUE (home().isVisible());
    EXPECT_EQ (home().getBounds(), Rect (1, 1, 498, 217));
    EXPECT_EQ (about.getParentComponent(), nullptr);
}

TEST_F (OpenEditor, TabsRunAlongTheBottomInThirdsOfTheWidthWhateverShows)
{
    auto& bar = tabs().getTabbedButtonBar();

    const auto expectTabLayout = [&] (const char* when)
    {
        SCOPED_TRACE (when);
        const auto height = editor->getHeight();

        EXPECT_EQ (editor->getWidth(), 500);
        EXPECT_EQ (editor->audioCorvaneComponent.getBounds(), Rect (0, 0, 500, height));
        EXPECT_EQ (tabs().getBounds(), Rect (0, 0, 500, height));
        EXPECT_EQ (bar.getBounds(), Rect (0, height - 22, 500, 22));
        EXPECT_EQ (bar.getTabButton (0)->getBounds(), Rect (0, 0, 166, 22));
        EXPECT_EQ (bar.getTabButton (1)->getBounds(), Rect (166, 0, 166, 22));
    };

    expectTabLayout ("opened");
    showHome();
    expectTabLayout ("Home");

    reportBegun (processor, 10);
    expectTabLayout ("Home with five rows of pickers");

    bar.setCurrentTabIndex (1);
    expectTabLayout ("About");

    bar.setCurrentTabIndex (0);
    expectTabLayout ("Home again");
}

TEST_F (OpenEditor, PaintingPutsTabButtonsBackIntoThirdsAfterJuceLaidThemOutAgain)
{
    showHome();
    auto& bar = tabs().getTabbedButtonBar();

    // A new look-and-feel makes JUCE's tab bar lay its buttons out its own way.
    editor->sendLookAndFeelChange();
    ASSERT_NE (bar.getTabButton (1)->getBounds(), Rect (166, 0, 166, 22));

    editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_EQ (bar.getTabButton (0)->getBounds(), Rect (0, 0, 166, 22));
    EXPECT_EQ (bar.getTabButton (1)->getBounds(), Rect (166, 0, 166, 22));
}

TEST_F (OpenEditor, AboutTakesTheLeastHeightAndHomeTakesItsRowsBack)
{
    showHome();
    reportBegun (processor, 10);
    ASSERT_EQ (editor->getHeight(), windowHeightFor (5));

    tabs().getTabbedButtonBar().setCurrentTabIndex (1);
    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, 240));
    EXPECT_EQ (editor->audioCorvaneComponent.aboutComponent->getBounds(), Rect (1, 1, 498, 217));

    tabs().getTabbedButtonBar().setCurrentTabIndex (0);
    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, windowHeightFor (5)));
    EXPECT_EQ (home().getBounds(), Rect (1, 1, 498, 149 + 24 * 5));
}

TEST_F (OpenEditor, RowsReportedBeforeHomeShowsSizeTheWindowOnceItDoes)
{
    reportBegun (processor, 7);
    EXPECT_EQ (editor->getHeight(), 240) << "About is showing";
    EXPECT_EQ (home().channelPickers.size(), 7u);

    showHome();
    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, windowHeightFor (4)));
}

TEST_F (OpenEditor, ClosingTheEditorLeavesTheReceiverAndFinderToTheProcessor)
{
    showHome();
    EXPECT_EQ (processor.receiver.listeners.size(), 2);

    close();
    EXPECT_EQ (processor.receiver.listeners.size(), 1);

    // Reports after closing reach only the processor.
    reportBegun (processor, 3);
    test::reportEnded (processor);
    test::pumpMessages();

    // A second editor starts afresh.
    open();
    showHome();
    EXPECT_TRUE (home().channelPickers.empty());
    EXPECT_EQ (editor->getBounds(), Rect (0, 0, 500, 240));
}
