#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

/**
    The editor's tabs, along the bottom edge, with a tab bar 22 pixels deep.
    It never deletes a page: the editor and its shell own them.
*/
class NDITabComponent : public juce::TabbedComponent
{
public:
    static constexpr int tabBarDepth = 22;

    NDITabComponent();
    ~NDITabComponent() override;

    /** The height this component needs to show a page `pageHeight` high: the page,
        the tab bar and JUCE's outline of 1 pixel above the page. */
    static int heightForPage (int pageHeight) noexcept;

    /** Calls every function of tabChangedCallbacks with the new index, in order. */
    void currentTabChanged (int newCurrentTabIndex, const juce::String& newCurrentTabName) override;

    /** Called whenever another tab becomes current; users append to it. */
    std::vector<std::function<void (int)>> tabChangedCallbacks;

private:
    static constexpr int outlineThickness = 1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NDITabComponent)
};
