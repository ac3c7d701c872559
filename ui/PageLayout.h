#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Layout and painting shared by the editor's pages. */
namespace PageLayout
{
    /** JUCE's setBoundsToFit, skipped when the component or the area is empty,
        where JUCE would assert and then do nothing. */
    void fitInto (juce::Component& component, juce::Rectangle<int> area,
                  juce::Justification justification, bool onlyReduceInSize);

    /** The title centred in a strip at most 45 pixels high along the top, never
        larger than it is; the logo at two thirds of the strip's right third,
        moved 17 pixels right and 15 down. Returns the strip's height. */
    int placeTitleAndLogo (juce::Component& title, juce::Component& logo, int width, int height);

    /** Fills the page with `colour`, then stretches the embedded background
        picture over the whole page (its proportions are not kept). */
    void paintBackground (juce::Graphics& g, const juce::Component& page, juce::Colour colour);

    /** The embedded logo. */
    juce::Image getLogo();
}
