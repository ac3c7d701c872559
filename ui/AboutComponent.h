#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <string>

/**
    The About page: the product name, the interface version, the NDI runtime's
    version, the end-user agreement in a read-only text box, the logo, and a Help
    button that opens the maker's support page. It paints the background picture
    stretched over the whole page and draws through AboutTabLookAndFeel.
*/
class AboutComponent : public juce::Component,
                       public juce::ComponentListener,
                       public juce::Button::Listener
{
public:
    AboutComponent();
    ~AboutComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** The maker's support page, which Help opens; set when building. */
    static juce::URL getSupportPage();

    /** "NDI Lib v" followed by the last five characters of the runtime's version
        text, or by all of it when it is shorter. */
    static juce::String makeNdiVersionText (const std::string& runtimeVersion);

    /** Opens a web page; by default in the user's browser. Its result is ignored:
        a browser that does not start leaves the page as it is. */
    std::function<void (const juce::URL&)> openUrl = [] (const juce::URL& url) { url.launchInDefaultBrowser(); };

    /** The runtime's full version text, read once at construction. */
    std::string ndiVersionString;

    /** The children. The editor's shell rewrites the title's text. */
    std::unique_ptr<juce::Label> productNameLabel;
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::Label> ndiVersionLabel;
    std::unique_ptr<juce::TextEditor> agreementViewer;
    std::unique_ptr<juce::TextButton> helpButton;
    std::unique_ptr<juce::ImageButton> logoButton;

private:
    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, float fontHeight, juce::Rectangle<int> bounds);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutComponent)
};
