#include "PageLayout.h"

#include <BinaryData.h>

namespace PageLayout
{
    void fitInto (juce::Component& component, juce::Rectangle<int> area,
                  juce::Justification justification, bool onlyReduceInSize)
    {
        if (! component.getLocalBounds().isEmpty() && ! area.isEmpty())
            component.setBoundsToFit (area, justification, onlyReduceInSize);
    }

    int placeTitleAndLogo (juce::Component& title, juce::Component& logo, int width, int height)
    {
        const auto stripHeight = juce::jmin (height, 45);
        fitInto (title, { 0, 0, width, stripHeight }, juce::Justification::centred, true);

        const auto logoWidth = juce::jmin (width, (int) (width * 0.33));
        const juce::Rectangle<int> logoArea (width - logoWidth + 17, 15, logoWidth, stripHeight);
        logo.setSize ((int) (logoWidth * 0.66), (int) (stripHeight * 0.66));
        logo.setCentrePosition (logoArea.getCentre());
        fitInto (logo, logoArea, juce::Justification::centred, true);

        return stripHeight;
    }

    void paintBackground (juce::Graphics& g, const juce::Component& page, juce::Colour colour)
    {
        g.fillAll (colour);

        const auto background = juce::ImageCache::getFromMemory (Resources::background_jpg, Resources::background_jpgSize);

        if (background.isValid())
            g.drawImageTransformed (background,
                                    juce::AffineTransform::scale ((float) page.getWidth() / (float) background.getWidth(),
                                                                  (float) page.getHeight() / (float) background.getHeight()));
    }

    juce::Image getLogo()
    {
        return juce::ImageCache::getFromMemory (Resources::logo_png, Resources::logo_pngSize);
    }
}
