#include "HomeReceiverComponent.h"

#include "PageLayout.h"
#include "plugin/GlobalDefs.h"

namespace
{
    const juce::Colour pageColour { 0xff6e6e6e };
    const juce::Colour sourceBoxColour { 0xff353535 };

    // The page's column, from the top: margin, space, caption, gap, source box,
    // gap; then the notice, or the rows of pickers, each followed by a gap.
    constexpr int margin = 11, space = 25, captionHeight = 35, gap = 4, sourceBoxHeight = 30;
    constexpr int noticeHeight = 35, rowHeight = 20, rowPitch = rowHeight + gap;
    constexpr int sourceBoxBottom = margin + space + captionHeight + gap + sourceBoxHeight;
    constexpr int spaceBelowRows = 44;

    juce::String channelName (int channelNumber)
    {
        return juce::translate ("Channel") + " " + juce::String (channelNumber);
    }

    // Two pickers per row of the page.
    int rowsFor (size_t numPickers)
    {
        return (int) (numPickers + 1) / 2;
    }

    void setUpNotice (juce::Label& label, const juce::String& text)
    {
        label.setText (text, juce::dontSendNotification);
        label.setFont (juce::Font (17.0f, juce::Font::bold));
        label.setColour (juce::Label::textColourId, juce::Colours::white);
    }
}

HomeReceiverComponent::HomeReceiverComponent (NDIReceiverAudioProcessor& processor)
    : audioProcessor (processor)
{
    titleLabel.setText (juce::translate ("NDI Receiver"), juce::dontSendNotification);
    titleLabel.setFont (juce::Font (20.0f, juce::Font::plain).withTypefaceStyle ("Regular"));
    titleLabel.setJustificationType (juce::Justification::centredBottom);
    titleLabel.setEditable (false, false, false);
    titleLabel.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    titleLabel.setColour (juce::Label::textColourId, juce::Colours::aliceblue);
    titleLabel.setColour (juce::TextEditor::textColourId, juce::Colours::black);
    titleLabel.setColour (juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    titleLabel.setSize (150, 24);     // the layout only ever shrinks it
    addAndMakeVisible (titleLabel);

    setUpNotice (selectedSourceLabel, juce::translate ("Selected Network Source"));
    addAndMakeVisible (selectedSourceLabel);

    sourceComboBox.setTextWhenNothingSelected (juce::translate ("Select a network source"));
    sourceComboBox.setTextWhenNoChoicesAvailable (juce::translate ("No NDI Sources available!"));
    sourceComboBox.onChange = [this] { sourceSelected(); };
    sourceComboBox.setColour (juce::ComboBox::backgroundColourId, sourceBoxColour);
    sourceComboBox.setColour (juce::ComboBox::outlineColourId, sourceBoxColour);
    sourceComboBox.setColour (juce::ComboBox::textColourId, juce::Colours::white);
    addAndMakeVisible (sourceComboBox);

    logoButton.setImages (false, true, true,
                          PageLayout::getLogo(), 1.0f, juce::Colours::transparentBlack,
                          juce::Image(), 1.0f, juce::Colours::transparentBlack,
                          juce::Image(), 1.0f, juce::Colours::transparentBlack);
    addAndMakeVisible (logoButton);

    setUpNotice (noAudioLabel, juce::translate ("No Audio from Sender"));
    addAndMakeVisible (noAudioLabel);

    // The finder answers with its current list shortly; the receiver reports
    // only its next change.
    audioProcessor.sourceFinder.addListener (this);
    audioProcessor.receiver.addListener (this);
}

HomeReceiverComponent::~HomeReceiverComponent()
{
    audioProcessor.sourceFinder.removeListener (this);
    audioProcessor.receiver.removeListener (this);
}

//==============================================================================
void HomeReceiverComponent::enablementChanged()
{
    resizeToContent (rowsFor (channelPickers.size()));
}

void HomeReceiverComponent::paint (juce::Graphics& g)
{
    PageLayout::paintBackground (g, *this, pageColour);
}

void HomeReceiverComponent::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();

    if (width <= 0 || height <= 0)
        return;

    PageLayout::placeTitleAndLogo (titleLabel, logoButton, width, height);

    auto area = getLocalBounds().reduced (margin);
    area.removeFromTop (space);
    selectedSourceLabel.setBounds (area.removeFromTop (captionHeight));
    area.removeFromTop (gap);
    sourceComboBox.setBounds (area.removeFromTop (sourceBoxHeight));
    area.removeFromTop (gap);

    // The notice and the rows share one place: only one of them shows.
    noAudioLabel.setBounds (area.withHeight (noticeHeight));
    area.removeFromTop (gap);

    // The first half of the rows (rounded down) on the left, the rest on the
    // right: a single row stands on the right.
    auto left = area.removeFromLeft ((int) (area.getWidth() * 0.5));
    auto& right = area;
    const auto numLeft = channelPickers.size() / 2;

    for (size_t i = 0; i < channelPickers.size(); ++i)
    {
        auto& column = i < numLeft ? left : right;
        channelPickers[i]->setBounds (column.removeFromTop (rowHeight));
        column.removeFromTop (gap);
    }
}

void HomeReceiverComponent::resizeToContent (int rows)
{
    setSize (getWidth(), sourceBoxBottom + rows * rowPitch + spaceBelowRows);
    resized();

    // In the editor the parent is the tab component and its parent the shell,
    // which sizes the window. A page used elsewhere only sizes itself.
    if (auto* parent = getParentComponent())
        if (auto* shell = parent->getParentComponent())
            shell->enablementChanged();
}

//==============================================================================
void HomeReceiverComponent::sourceListChanged (const juce::Array<NDISourceEntry>& sources)
{
    messageThread.call ([this, sources] { showSources (sources); });
}

void HomeReceiverComponent::audioBroadcastingHasBegun (int numChannels)
{
    messageThread.call ([this, numChannels] { showChannels (numChannels); });
}

void HomeReceiverComponent::audioBroadcastingHasEnded()
{
    messageThread.call ([this] { showNoAudio(); });
}

//==============================================================================
void HomeReceiverComponent::showSources (const juce::Array<NDISourceEntry>& sources)
{
    if (sources == sourceList)
        return;

    sourceList = sources;

    // The user's choice, or else the source saved in the state.
    auto wanted = sourceComboBox.getSelectedId() != 0 ? sourceComboBox.getText() : juce::String();

    if (wanted.isEmpty())
        wanted = audioProcessor.apvts.state.getProperty (ConnectedSourceName).toString();

    // Disabling closes a menu that shows the old list. Clearing resets the
    // selection with an asynchronous notification, which a synchronous one
    // below replaces.
    sourceComboBox.setEnabled (false);
    sourceComboBox.clear();

    for (int i = 0; i < sourceList.size(); ++i)
        if (sourceList.getReference (i).name.isNotEmpty())     // JUCE takes no empty item texts
            sourceComboBox.addItem (sourceList.getReference (i).name, i + 1);

    sourceComboBox.setEnabled (true);

    if (wanted.isEmpty())
        return;

    for (int i = 0; i < sourceList.size(); ++i)
    {
        if (sourceList.getReference (i).name == wanted)
        {
            sourceComboBox.setSelectedId (i + 1, juce::sendNotificationSync);
            return;
        }
    }

    // Gone from the network: nothing is selected, and the handler clears the page.
    sourceComboBox.setSelectedId (-1, juce::sendNotificationAsync);
}

void HomeReceiverComponent::sourceSelected()
{
    const auto index = sourceComboBox.getSelectedId() - 1;

    if (index < 0)
    {
        // The receiver keeps its connection; only the page forgets it.
        showNoAudio();
        return;
    }

    if (! juce::isPositiveAndBelow (index, sourceList.size()))
        return;

    const auto source = sourceList.getReference (index);
    audioProcessor.apvts.state.setProperty (ConnectedSourceName, source.name, nullptr);

    // The receiver reports the end of the old connection at once and the
    // beginning of the new one later; the source already connected is only
    // reported again.
    audioProcessor.receiver.changeSource (source);
}

void HomeReceiverComponent::showChannels (int numChannels)
{
    noAudioLabel.setVisible (false);
    channelPickers.clear();

    juce::StringArray destinations;

    for (int i = 0; i < audioProcessor.getTotalNumOutputChannels(); ++i)
        destinations.add (channelName (i + 1));

    for (int i = 0; i < numChannels; ++i)
    {
        auto picker = std::make_unique<ChannelPicker> (channelName (i + 1));
        auto& box = picker->destinationComboBox;
        box.setTextWhenNothingSelected (juce::translate ("Pick Dest"));
        box.setTextWhenNoChoicesAvailable (juce::translate ("No Dests!!"));
        box.addItemList (destinations, 1);

        box.onChange = [this]
        {
            writeMappingToAPVTS();
            updateAudioProcessorChannelMapping();
        };

        picker->channelToggle.onClick = [this]
        {
            updateChannelPickerEnablements();
            writeMappingToAPVTS();
            updateAudioProcessorChannelMapping();
        };

        addAndMakeVisible (*picker);
        channelPickers.push_back (std::move (picker));
    }

    resizeToContent (rowsFor (channelPickers.size()));

    if (restoreSavedRouting())
        updateChannelPickerEnablements();

    // One hand-over for the whole rebuild: the audio thread never plays a
    // block with the rows gone and the routing not yet restored.
    updateAudioProcessorChannelMapping();
}

void HomeReceiverComponent::showNoAudio()
{
    noAudioLabel.setVisible (true);
    channelPickers.clear();
    updateAudioProcessorChannelMapping();
    resizeToContent (0);
}

bool HomeReceiverComponent::restoreSavedRouting()
{
    const auto& state = audioProcessor.apvts.state;

    if (! state.hasProperty (ChannelMap))
        return false;

    const auto saved = JuceVarToVector<ChannelMapping> (state.getProperty (ChannelMap));

    // A routing saved for another channel count says nothing about these rows.
    if (saved.size() != channelPickers.size())
        return false;

    for (size_t i = 0; i < saved.size(); ++i)
    {
        if (saved[i].ndiChannel == -1)
            continue;

        auto& picker = *channelPickers[i];
        picker.channelToggle.setToggleState (true, juce::dontSendNotification);

        // A destination this plug-in no longer has stays unselected.
        if (juce::isPositiveAndBelow (saved[i].outputChannel, picker.destinationComboBox.getNumItems()))
            picker.destinationComboBox.setSelectedId (saved[i].outputChannel + 1, juce::dontSendNotification);
    }

    return true;
}

void HomeReceiverComponent::updateChannelPickerEnablements()
{
    int numOn = 0;

    for (auto& picker : channelPickers)
    {
        const auto isOn = picker->channelToggle.getToggleState();
        picker->destinationComboBox.setVisible (isOn);

        if (isOn)
            ++numOn;
        else
            picker->destinationComboBox.setSelectedId (-1, juce::dontSendNotification);
    }

    // At most one row on per output channel: once they are all taken, the
    // rows that are off grey out until one is switched off again.
    const auto allOutputsTaken = numOn >= audioProcessor.getTotalNumOutputChannels();

    for (auto& picker : channelPickers)
        picker->setEnabled (picker->channelToggle.getToggleState() || ! allOutputsTaken);
}

std::vector<ChannelMapping> HomeReceiverComponent::createChannelMapping() const
{
    std::vector<ChannelMapping> map;
    map.reserve (channelPickers.size());

    for (size_t i = 0; i < channelPickers.size(); ++i)
    {
        const auto& picker = *channelPickers[i];
        map.push_back ({ picker.channelToggle.getToggleState() ? (int32_t) i : -1,
                         picker.destinationComboBox.getSelectedId() - 1 });
    }

    return map;
}

void HomeReceiverComponent::writeMappingToAPVTS()
{
    audioProcessor.apvts.state.setProperty (ChannelMap, VectorToJuceVar (createChannelMapping()), nullptr);
}

void HomeReceiverComponent::updateAudioProcessorChannelMapping()
{
    // A full FIFO drops this map; the next change hands over the whole map again.
    audioProcessor.handOverChannelMapping (createChannelMapping());
}
