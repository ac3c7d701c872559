#include "AboutComponent.h"

#include "AboutTabLookAndFeel.h"
#include "PageLayout.h"

#include <BinaryData.h>
#include <NDIRuntime.h>

namespace
{
    const juce::Colour pageColour { 0xff495358 };
    const juce::Colour labelTextColour { 0xfff0f8ff };

    using PageLayout::fitInto;

    int truncatedProduct (int value, double factor)
    {
        return (int) (value * factor);
    }
}

AboutComponent::AboutComponent()
{
    setLookAndFeel (&AboutTabLookAndFeel::getInstance());

    productNameLabel = makeLabel (juce::translate ("NDI Audio Corvane"), 20.0f, { 640, 56, 150, 24 });
    versionLabel = makeLabel (juce::translate ("INTERFACE ") + NDIR_VERSION_STRING, 15.0f, { 248, 184, 150, 24 });

    // The runtime promises a zero-terminated text; a null one is shown as empty.
    const auto* runtimeVersion = NDIlib_version();
    ndiVersionString = runtimeVersion != nullptr ? runtimeVersion : "";
    ndiVersionLabel = makeLabel (makeNdiVersionText (ndiVersionString), 15.0f, { 928, 192, 150, 24 });

    agreementViewer = std::make_unique<juce::TextEditor> ("new text editor");
    addAndMakeVisible (agreementViewer.get());
    agreementViewer->setMultiLine (true, true);
    agreementViewer->setReturnKeyStartsNewLine (true);
    agreementViewer->setReadOnly (true);
    agreementViewer->setScrollbarsShown (true);
    agreementViewer->setCaretVisible (false);
    agreementViewer->setPopupMenuEnabled (true);
    agreementViewer->setColour (juce::TextEditor::textColourId, juce::Colours::black);
    agreementViewer->setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    agreementViewer->setText (juce::String());
    agreementViewer->setBounds (56, 240, 1056, 336);

    helpButton = std::make_unique<juce::TextButton> ("new button");
    addAndMakeVisible (helpButton.get());
    helpButton->setButtonText (juce::translate ("Help"));
    helpButton->setConnectedEdges (juce::Button::ConnectedOnLeft | juce::Button::ConnectedOnRight
                                   | juce::Button::ConnectedOnTop | juce::Button::ConnectedOnBottom);
    helpButton->addListener (this);
    helpButton->setColour (juce::TextButton::buttonColourId, juce::Colour (0xfff0f0f0));
    helpButton->setColour (juce::TextButton::textColourOffId, juce::Colours::black);
    helpButton->setBounds (752, 656, 208, 40);

    logoButton = std::make_unique<juce::ImageButton> ("new button");
    addAndMakeVisible (logoButton.get());
    logoButton->addListener (this);
    logoButton->setImages (false, true, true,
                           PageLayout::getLogo(), 1.0f, juce::Colour(),
                           juce::Image(), 1.0f, juce::Colour(),
                           juce::Image(), 1.0f, juce::Colour());
    logoButton->setBounds (688, 728, 150, 24);

    helpButton->getProperties().set (AboutTabLookAndFeel::fontsize, 15.0);

    agreementViewer->setText (juce::String::fromUTF8 (Resources::lic_txt, Resources::lic_txtSize), true);
}

AboutComponent::~AboutComponent() = default;

std::unique_ptr<juce::Label> AboutComponent::makeLabel (const juce::String& text, float fontHeight, juce::Rectangle<int> bounds)
{
    auto label = std::make_unique<juce::Label> ("new label", text);
    addAndMakeVisible (label.get());
    label->setFont (juce::Font (fontHeight, juce::Font::plain).withTypefaceStyle ("Regular"));
    label->setJustificationType (juce::Justification::centredBottom);
    label->setEditable (false, false, false);
    label->setColour (juce::Label::backgroundColourId, juce::Colour (0x00000000));
    label->setColour (juce::Label::textColourId, labelTextColour);
    label->setBounds (bounds);
    return label;
}

juce::URL AboutComponent::getSupportPage()
{
    return juce::URL (NDIR_SUPPORT_URL);
}

juce::String AboutComponent::makeNdiVersionText (const std::string& runtimeVersion)
{
    return juce::translate ("NDI Lib v") + juce::String::fromUTF8 (runtimeVersion.c_str()).getLastCharacters (5);
}

void AboutComponent::paint (juce::Graphics& g)
{
    PageLayout::paintBackground (g, *this, pageColour);
}

void AboutComponent::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();

    if (width <= 0 || height <= 0)
        return;

    const auto titleHeight = PageLayout::placeTitleAndLogo (*productNameLabel, *logoButton, width, height);

    // Information strip: the runtime's version in the middle, ours on the left.
    const auto infoHeight = juce::jmin (height - titleHeight, 20);
    const juce::Rectangle<int> infoStrip (0, titleHeight, width, infoHeight);
    fitInto (*ndiVersionLabel, infoStrip, juce::Justification::centredBottom, false);
    fitInto (*versionLabel, infoStrip, juce::Justification::centredLeft, false);

    // The agreement fills its strip, less a 10-pixel margin on either side.
    const auto textHeight = juce::jmin (height - titleHeight - infoHeight, 100);
    const juce::Rectangle<int> textArea (10, titleHeight + infoHeight, juce::jmax (0, width - 20), textHeight);
    agreementViewer->setSize (textArea.getWidth(), textArea.getHeight());
    fitInto (*agreementViewer, textArea, juce::Justification::centred, true);

    // Button row: Help as large as fits, at 60 : 17, in the row's right half.
    const auto rest = height - titleHeight - infoHeight - textHeight;
    const auto dx = truncatedProduct (width, 0.2);
    const auto dy = truncatedProduct (rest, 0.25);
    const juce::Rectangle<int> row (dx, titleHeight + infoHeight + textHeight + dy,
                                    juce::jmax (0, width - 2 * dx), juce::jmax (0, rest - 2 * dy));
    const auto half = row.getWidth() / 2;
    helpButton->setSize (60, 17);
    fitInto (*helpButton, row.withTrimmedLeft (half), juce::Justification::centred, false);
}

void AboutComponent::buttonClicked (juce::Button* button)
{
    if (button == helpButton.get())
        openUrl (getSupportPage());
}
