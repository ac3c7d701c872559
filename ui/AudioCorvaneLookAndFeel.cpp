#include "AudioCorvaneLookAndFeel.h"

AudioCorvaneLookAndFeel& AudioCorvaneLookAndFeel::getInstance()
{
    static AudioCorvaneLookAndFeel instance;
    makeDefaultUnlessFamilyIs (instance);
    return instance;
}

AudioCorvaneLookAndFeel::~AudioCorvaneLookAndFeel() = default;

juce::Font AudioCorvaneLookAndFeel::getTabButtonFont (juce::TabBarButton&, float height)
{
    return tabFont (height, 0.76f);
}
