#include "NDITabComponent.h"

NDITabComponent::NDITabComponent()
    : juce::TabbedComponent (juce::TabbedButtonBar::TabsAtBottom)
{
    setTabBarDepth (tabBarDepth);
    setOutline (outlineThickness);
}

NDITabComponent::~NDITabComponent() = default;

int NDITabComponent::heightForPage (int pageHeight) noexcept
{
    // With the tabs at the bottom, JUCE draws no outline between page and tabs.
    return pageHeight + outlineThickness + tabBarDepth;
}

void NDITabComponent::currentTabChanged (int newCurrentTabIndex, const juce::String&)
{
    for (auto& callback : tabChangedCallbacks)
        callback (newCurrentTabIndex);
}
