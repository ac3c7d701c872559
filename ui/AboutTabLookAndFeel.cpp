#include "AboutTabLookAndFeel.h"

const juce::String AboutTabLookAndFeel::fontsize { "fontsize" };

AboutTabLookAndFeel& AboutTabLookAndFeel::getInstance()
{
    static AboutTabLookAndFeel instance;
    makeDefaultUnlessFamilyIs (instance);
    return instance;
}

AboutTabLookAndFeel::~AboutTabLookAndFeel() = default;

juce::Font AboutTabLookAndFeel::getTextButtonFont (juce::TextButton& button, int buttonHeight)
{
    return textButtonFont (button, buttonHeight, fontsize);
}
