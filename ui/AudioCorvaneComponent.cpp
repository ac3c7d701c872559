#include "AudioCorvaneComponent.h"

#include "AudioCorvaneLookAndFeel.h"

namespace
{
    const juce::Colour tabColour = juce::Colours::lightgrey;
}

AudioCorvaneComponent::AudioCorvaneComponent()
{
    setLookAndFeel (&AudioCorvaneLookAndFeel::getInstance());

    aboutComponent = std::make_unique<AboutComponent>();

    tabbedComponent = std::make_unique<NDITabComponent>();
    addAndMakeVisible (*tabbedComponent);

    // Home has no page until setHomeComponent gives it one.
    tabbedComponent->addTab (juce::translate ("Home"), tabColour, nullptr, false);
    tabbedComponent->addTab (juce::translate ("About"), tabColour, aboutComponent.get(), false);
    tabbedComponent->getTabbedButtonBar().setCurrentTabIndex (1);

    tabbedComponent->tabChangedCallbacks.push_back ([this] (int) { currentPageChanged(); });
}

AudioCorvaneComponent::~AudioCorvaneComponent() = default;

void AudioCorvaneComponent::setPluginName (const juce::String& name)
{
    aboutComponent->productNameLabel->setText (name, juce::dontSendNotification);
}

void AudioCorvaneComponent::setHomeComponent (juce::Component* home)
{
    tabbedComponent->removeTab (0);
    tabbedComponent->addTab (juce::translate ("Home"), tabColour, home, false, 0);
    homeComponent = home;

    // Adding a tab lays the tab buttons out JUCE's way again.
    resized();
}

void AudioCorvaneComponent::currentPageChanged()
{
    auto* page = tabbedComponent->getCurrentContentComponent();

    if (page == nullptr)
        return;

    // The Home page sizes itself to its content and asks for a fit. The About
    // page takes whatever height the tabs give it, so they start from the least.
    if (page == homeComponent)
        homeComponent->enablementChanged();
    else if (page == aboutComponent.get())
        setSize (getWidth(), minimumHeight);

    enablementChanged();
}

void AudioCorvaneComponent::enablementChanged()
{
    if (! isVisible())
        return;

    const auto* page = tabbedComponent->getCurrentContentComponent();
    const auto pageHeight = page != nullptr ? page->getHeight() : 0;
    const auto height = juce::jmax (minimumHeight, NDITabComponent::heightForPage (pageHeight));

    setSize (getWidth(), height);
    resized();

    // The tabs give the page their whole content area again, also when their
    // own size did not change.
    tabbedComponent->resized();

    if (auto* parent = getParentComponent())
        parent->setSize (getWidth(), height);

    repaint();
}

void AudioCorvaneComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);

    // JUCE's tab bar lays its buttons out its own way whenever the current tab
    // changes (a fit follows and puts them back), but also on changes no fit
    // follows, such as a new default look-and-feel. Painting puts them back too.
    placeTabButtons();
}

void AudioCorvaneComponent::resized()
{
    tabbedComponent->setBounds (getLocalBounds());
    placeTabButtons();
}

void AudioCorvaneComponent::placeTabButtons()
{
    auto& bar = tabbedComponent->getTabbedButtonBar();
    const auto width = getWidth();

    for (int i = 0; i < bar.getNumTabs(); ++i)
        if (auto* button = bar.getTabButton (i))
            button->setBounds (i * width / 3, button->getY(), width / 3, button->getHeight());
}

void AudioCorvaneComponent::handleCommandMessage (int commandId)
{
    if (commandId == showHomeCommand)
        tabbedComponent->getTabbedButtonBar().setCurrentTabIndex (0);
}
