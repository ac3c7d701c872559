#pragma once

#include "AboutComponent.h"
#include "NDITabComponent.h"

#include <memory>

/**
    The editor's shell: fills the window, draws through AudioCorvaneLookAndFeel
    and holds the tabs "Home" and "About". It owns the About page; the Home page
    belongs to the editor.

    Its height follows the page that is showing, never below minimumHeight: a page
    whose content changes calls enablementChanged() here, which sizes the tabs,
    the shell and the editor to fit the page.
*/
class AudioCorvaneComponent : public juce::Component
{
public:
    static constexpr int minimumHeight = 240;

    /** The command that makes the Home page current. */
    static constexpr int showHomeCommand = 2;

    AudioCorvaneComponent();
    ~AudioCorvaneComponent() override;

    /** Shows `name` as the About page's title. */
    void setPluginName (const juce::String& name);

    /** Puts `home` into the Home tab, which until then has no page. */
    void setHomeComponent (juce::Component* home);

    /** Fits the tabs, the shell and the parent to the current page. */
    void enablementChanged() override;

    /** White, under the tabs; also puts the tab buttons back into thirds. */
    void paint (juce::Graphics&) override;

    /** The tabs over the whole shell, their buttons one third of its width each,
        from the left. */
    void resized() override;

    /** showHomeCommand makes the Home page current; other ids are ignored. */
    void handleCommandMessage (int commandId) override;

    // Declared before the tabs, so the tabs go first.
    std::unique_ptr<AboutComponent> aboutComponent;
    juce::Component* homeComponent = nullptr;
    std::unique_ptr<NDITabComponent> tabbedComponent;

private:
    void currentPageChanged();
    void placeTabButtons();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioCorvaneComponent)
};
