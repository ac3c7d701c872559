#include "GlobalDefs.h"

#include <BinaryData.h>

const juce::String VstLookAndFeel::fontsize { "fontsize" };

VstLookAndFeel::VstLookAndFeel()
{
    // The default look-and-feel first: setting the typeface then clears JUCE's
    // typeface cache, so no font keeps a typeface looked up before.
    juce::LookAndFeel::setDefaultLookAndFeel (this);
    setDefaultSansSerifTypeface (getCustomTypeface());
}

VstLookAndFeel::~VstLookAndFeel() = default;

const juce::Typeface::Ptr& VstLookAndFeel::getCustomTypeface()
{
    static const juce::Typeface::Ptr typeface
        = juce::Typeface::createSystemTypefaceFor (Resources::latoregular_ttf, (size_t) Resources::latoregular_ttfSize);
    return typeface;
}

juce::Font VstLookAndFeel::getCustomFont()
{
    return juce::Font (getCustomTypeface());
}

juce::Typeface::Ptr VstLookAndFeel::getTypefaceForFont (const juce::Font&)
{
    return getCustomTypeface();
}

juce::Font VstLookAndFeel::textButtonFont (juce::TextButton& button, int buttonHeight, const juce::String& key)
{
    const auto* height = button.getProperties().getVarPointer (juce::Identifier (key));

    // Buttons the plug-in does not make (JUCE's own, in its windows and in the
    // Standalone app) have no such property: without the fallback their text
    // would be 0.1 pixels high, so invisible.
    if (height == nullptr)
        return juce::LookAndFeel_V4::getTextButtonFont (button, buttonHeight);

    return juce::Font ((float) *height);
}

juce::Font VstLookAndFeel::getTextButtonFont (juce::TextButton& button, int buttonHeight)
{
    return textButtonFont (button, buttonHeight, fontsize);
}

void VstLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    constexpr auto cornerSize = 3.0f;
    const auto box = label.getLocalBounds().toFloat();

    g.setColour (label.findColour (juce::Label::backgroundColourId));
    g.fillRoundedRectangle (box, cornerSize);

    if (! label.isBeingEdited())
    {
        const auto alpha = label.isEnabled() ? 1.0f : 0.5f;
        const auto font = getLabelFont (label);

        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);

        const auto textArea = getLabelBorderSize (label).subtractedFrom (label.getLocalBounds());

        g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                          juce::jmax (1, (int) ((float) textArea.getHeight() / font.getHeight())),
                          label.getMinimumHorizontalScale());

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }

    // The line is inset by half its thickness, so that all of it falls inside the label.
    g.drawRoundedRectangle (box.reduced (0.5f), cornerSize, 1.0f);
}

void VstLookAndFeel::drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown)
{
    if (button.getIndex() == button.getTabbedButtonBar().getCurrentTabIndex())
    {
        g.setColour (juce::Colours::gold);
        g.fillRect (0.0f, 0.0f, (float) button.getWidth(), juce::jmin ((float) button.getHeight(), 2.0f));
    }

    drawTabButtonText (button, g, isMouseOver, isMouseDown);
}

juce::Font VstLookAndFeel::tabFont (float height, float factor)
{
    return juce::Font (juce::jmax (height * factor, 6.0f));
}

juce::Font VstLookAndFeel::getTabButtonFont (juce::TabBarButton&, float height)
{
    return tabFont (height, 0.66f);
}

void VstLookAndFeel::drawTabButtonText (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown)
{
    const auto area = button.getTextArea().toFloat();
    auto length = area.getWidth();
    auto depth = area.getHeight();
    auto placement = juce::AffineTransform::translation (area.getX(), area.getY());

    // On a vertical bar the text runs along the tab, turned by a quarter.
    switch (button.getTabbedButtonBar().getOrientation())
    {
        case juce::TabbedButtonBar::TabsAtLeft:
            std::swap (length, depth);
            placement = juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi).translated (area.getX(), area.getBottom());
            break;

        case juce::TabbedButtonBar::TabsAtRight:
            std::swap (length, depth);
            placement = juce::AffineTransform::rotation (juce::MathConstants<float>::halfPi).translated (area.getRight(), area.getY());
            break;

        case juce::TabbedButtonBar::TabsAtTop:
        case juce::TabbedButtonBar::TabsAtBottom:
            break;
    }

    auto font = getTabButtonFont (button, depth);
    font.setUnderline (button.hasKeyboardFocus (false));

    const auto alpha = ! button.isEnabled() ? 0.3f : ((isMouseOver || isMouseDown) ? 1.0f : 0.8f);

    g.setColour (juce::Colours::black.withMultipliedAlpha (alpha));
    g.setFont (font);
    g.addTransform (placement);
    g.drawFittedText (button.getButtonText().trim(), 0, 0, (int) length, (int) depth, juce::Justification::centred, 1);
}

void VstLookAndFeel::makeDefaultUnlessFamilyIs (VstLookAndFeel& instance)
{
    if (dynamic_cast<VstLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()) == nullptr)
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&instance);
        juce::Typeface::clearTypefaceCache();
    }
}
