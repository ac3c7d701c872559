/*
    Draws the plug-in's pictures as lossless PNG files:

        ArtworkGenerator <output folder> <folder with Lato-Regular.ttf and Lato-Black.ttf>

    writes background.png (1100 x 733), icon.png (197 x 181) and logo.png
    (796 x 181). scripts/make-resources.sh turns them into the embedded formats.
    The random numbers are seeded, so the pictures come out the same every run.
*/

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdlib>
#include <iostream>

namespace
{
    namespace Palette
    {
        const juce::Colour deepInk     { 0xff10161a };
        const juce::Colour slate       { 0xff1f282e };
        const juce::Colour steel       { 0xff2c373d };
        const juce::Colour signalTeal  { 0xff46bfcc };
        const juce::Colour signalBlue  { 0xff3a78c9 };
        const juce::Colour gold        { 0xffffd24a };
        const juce::Colour aliceBlue   { 0xfff0f8ff };
    }

    struct Typefaces
    {
        juce::Typeface::Ptr regular, black;
    };

    juce::Typeface::Ptr loadTypeface (const juce::File& file)
    {
        juce::MemoryBlock data;

        if (! file.loadFileAsData (data))
            return {};

        return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    }

    //==============================================================================
    // A soft waveform: a sum of three sines under a smooth envelope, so each trace
    // swells and fades across the picture like a received audio signal.
    juce::Path makeWaveform (juce::Rectangle<float> area, float phase, float frequency, float amplitude)
    {
        juce::Path path;
        const auto steps = (int) area.getWidth();

        for (int i = 0; i <= steps; ++i)
        {
            const auto t = (float) i / (float) steps;
            const auto envelope = std::pow (std::abs (std::sin (juce::MathConstants<float>::pi * t)), 1.6f);
            const auto x = area.getX() + t * area.getWidth();
            const auto wave = std::sin (phase + t * frequency)
                            + 0.45f * std::sin (phase * 1.7f + t * frequency * 2.3f)
                            + 0.2f * std::sin (phase * 0.6f + t * frequency * 5.1f);
            const auto y = area.getCentreY() + amplitude * envelope * wave * area.getHeight() * 0.5f / 1.65f;

            if (i == 0)
                path.startNewSubPath (x, y);
            else
                path.lineTo (x, y);
        }

        return path;
    }

    void drawGlowingStroke (juce::Graphics& g, const juce::Path& path, juce::Colour colour, float width)
    {
        // Wide faint strokes under a thin bright one read as light on a dark screen.
        g.setColour (colour.withMultipliedAlpha (0.06f));
        g.strokePath (path, juce::PathStrokeType (width * 7.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        g.setColour (colour.withMultipliedAlpha (0.14f));
        g.strokePath (path, juce::PathStrokeType (width * 3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        g.setColour (colour);
        g.strokePath (path, juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    // Adds faint luminance noise: it hides the banding of slow dark gradients,
    // which JPEG compression would otherwise make visible.
    void addGrain (juce::Image& image, juce::Random& random, int strength)
    {
        juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);

        for (int y = 0; y < image.getHeight(); ++y)
        {
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto colour = pixels.getPixelColour (x, y);
                const auto delta = random.nextInt (2 * strength + 1) - strength;
                const auto shift = [delta] (juce::uint8 c) { return (juce::uint8) juce::jlimit (0, 255, (int) c + delta); };
                pixels.setPixelColour (x, y, juce::Colour (shift (colour.getRed()), shift (colour.getGreen()),
                                                           shift (colour.getBlue()), colour.getAlpha()));
            }
        }
    }

    //==============================================================================
    juce::Image drawBackground()
    {
        constexpr int width = 1100, height = 733;
        juce::Image image (juce::Image::ARGB, width, height, true);
        juce::Graphics g (image);
        const auto bounds = image.getBounds().toFloat();
        juce::Random random (733);

        // Base: a slate gradient, slightly lighter at the bottom where the controls sit.
        g.setGradientFill ({ Palette::deepInk, 0.0f, 0.0f, Palette::steel, 0.0f, (float) height, false });
        g.fillAll();

        // Two soft glows give depth: cool teal upper right, blue lower left.
        g.setGradientFill ({ Palette::signalTeal.withAlpha (0.16f), width * 0.74f, height * 0.30f,
                             Palette::signalTeal.withAlpha (0.0f), width * 0.74f + 560.0f, height * 0.30f, true });
        g.fillAll();
        g.setGradientFill ({ Palette::signalBlue.withAlpha (0.12f), width * 0.12f, height * 0.92f,
                             Palette::signalBlue.withAlpha (0.0f), width * 0.12f + 520.0f, height * 0.92f, true });
        g.fillAll();

        // A fine measuring grid, every fifth line a little stronger.
        constexpr int cell = 22;

        for (int i = 0; i * cell <= width; ++i)
        {
            g.setColour (Palette::aliceBlue.withAlpha (i % 5 == 0 ? 0.055f : 0.025f));
            g.fillRect ((float) (i * cell), 0.0f, 1.0f, (float) height);
        }

        for (int i = 0; i * cell <= height; ++i)
        {
            g.setColour (Palette::aliceBlue.withAlpha (i % 5 == 0 ? 0.055f : 0.025f));
            g.fillRect (0.0f, (float) (i * cell), (float) width, 1.0f);
        }

        // Broadcast rings spreading from a point off the upper right.
        const juce::Point<float> origin (width * 0.90f, height * 0.22f);

        for (int ring = 1; ring <= 9; ++ring)
        {
            const auto radius = 46.0f * (float) ring;
            juce::Path arc;
            arc.addCentredArc (origin.x, origin.y, radius, radius, 0.0f,
                               juce::MathConstants<float>::pi * 1.08f, juce::MathConstants<float>::pi * 1.72f, true);
            g.setColour (Palette::aliceBlue.withAlpha (0.13f - 0.011f * (float) ring));
            g.strokePath (arc, juce::PathStrokeType (1.4f));
        }

        g.setColour (Palette::gold.withAlpha (0.55f));
        g.fillEllipse (juce::Rectangle<float> (7.0f, 7.0f).withCentre (origin));

        // Network nodes on grid crossings, each joined to its nearest neighbour.
        juce::Array<juce::Point<float>> nodes;

        for (int i = 0; i < 26; ++i)
            nodes.add ({ (float) (cell * (2 + random.nextInt (width / cell - 3))),
                         (float) (cell * (2 + random.nextInt (height / (2 * cell)))) });

        for (auto& node : nodes)
        {
            auto nearest = node;
            auto bestDistance = std::numeric_limits<float>::max();

            for (auto& other : nodes)
            {
                const auto distance = node.getDistanceFrom (other);

                if (distance > 0.0f && distance < bestDistance)
                {
                    bestDistance = distance;
                    nearest = other;
                }
            }

            g.setColour (Palette::signalTeal.withAlpha (0.10f));
            g.drawLine ({ node, nearest }, 1.0f);
            g.setColour (Palette::signalTeal.withAlpha (0.35f));
            g.fillEllipse (juce::Rectangle<float> (4.0f, 4.0f).withCentre (node));
        }

        // Received audio: layered waveforms across the lower half.
        const auto waveArea = bounds.withTrimmedTop (height * 0.50f).withTrimmedBottom (height * 0.12f);
        const struct { float phase, frequency, amplitude, alpha; juce::Colour colour; } traces[] =
        {
            { 0.0f, 38.0f, 0.95f, 0.55f, Palette::signalTeal },
            { 1.3f, 29.0f, 0.70f, 0.40f, Palette::signalBlue },
            { 2.6f, 47.0f, 0.55f, 0.35f, Palette::signalTeal },
            { 4.1f, 23.0f, 0.85f, 0.22f, Palette::aliceBlue },
        };

        for (auto& trace : traces)
            drawGlowingStroke (g, makeWaveform (waveArea, trace.phase, trace.frequency, trace.amplitude),
                               trace.colour.withAlpha (trace.alpha), 1.3f);

        // A thin gold baseline echoes the plug-in's gold tab bar.
        juce::ColourGradient baseline (Palette::gold.withAlpha (0.0f), 0.0f, 0.0f, Palette::gold.withAlpha (0.0f), (float) width, 0.0f, false);
        baseline.addColour (0.5, Palette::gold.withAlpha (0.45f));
        g.setGradientFill (baseline);
        g.fillRect (0.0f, waveArea.getCentreY(), (float) width, 1.0f);

        // Vignette: darker corners keep the eye on the middle and the text readable.
        g.setGradientFill ({ juce::Colours::black.withAlpha (0.0f), width * 0.5f, height * 0.5f,
                             juce::Colours::black.withAlpha (0.55f), 0.0f, 0.0f, true });
        g.fillAll();

        addGrain (image, random, 2);
        return image;
    }

    //==============================================================================
    // The emblem: a ring holding a level meter, with incoming waves on its left.
    void drawEmblem (juce::Graphics& g, juce::Rectangle<float> area)
    {
        const auto size = juce::jmin (area.getWidth(), area.getHeight());
        const auto ring = juce::Rectangle<float> (size * 0.70f, size * 0.70f)
                              .withCentre ({ area.getCentreX() + size * 0.15f, area.getCentreY() });
        const auto stroke = size * 0.055f;

        g.setColour (Palette::aliceBlue);
        g.drawEllipse (ring.reduced (stroke * 0.5f), stroke);

        // Five meter bars, tallest in the middle, in gold.
        const float levels[] = { 0.34f, 0.62f, 0.92f, 0.70f, 0.42f };
        const auto barWidth = ring.getWidth() * 0.085f;
        const auto pitch = ring.getWidth() * 0.13f;
        const auto firstX = ring.getCentreX() - 2.0f * pitch - barWidth * 0.5f;

        g.setColour (Palette::gold);

        for (int i = 0; i < 5; ++i)
        {
            const auto barHeight = ring.getHeight() * 0.52f * levels[i];
            g.fillRoundedRectangle ({ firstX + (float) i * pitch, ring.getCentreY() - barHeight * 0.5f, barWidth, barHeight },
                                    barWidth * 0.5f);
        }

        // Incoming waves: three arcs opening towards the ring.
        for (int i = 0; i < 3; ++i)
        {
            const auto radius = ring.getWidth() * (0.62f + 0.13f * (float) i);
            juce::Path arc;
            arc.addCentredArc (ring.getCentreX(), ring.getCentreY(), radius, radius, 0.0f,
                               juce::MathConstants<float>::pi * (1.5f - 0.16f + 0.02f * (float) i),
                               juce::MathConstants<float>::pi * (1.5f + 0.16f - 0.02f * (float) i), true);
            g.setColour (Palette::signalTeal.withAlpha (1.0f - 0.28f * (float) i));
            g.strokePath (arc, juce::PathStrokeType (stroke * 0.8f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        }
    }

    juce::Image drawIcon()
    {
        juce::Image image (juce::Image::ARGB, 197, 181, true);
        juce::Graphics g (image);
        const auto tile = image.getBounds().toFloat().reduced (8.0f);

        // A dark rounded tile with a soft light edge at the top.
        g.setGradientFill ({ Palette::steel.brighter (0.15f), 0.0f, tile.getY(), Palette::deepInk, 0.0f, tile.getBottom(), false });
        g.fillRoundedRectangle (tile, 34.0f);
        g.setGradientFill ({ Palette::aliceBlue.withAlpha (0.28f), 0.0f, tile.getY(), Palette::aliceBlue.withAlpha (0.04f), 0.0f, tile.getBottom(), false });
        g.drawRoundedRectangle (tile.reduced (0.75f), 33.0f, 1.5f);

        drawEmblem (g, tile.reduced (18.0f));
        return image;
    }

    juce::Image drawLogo (const Typefaces& typefaces)
    {
        juce::Image image (juce::Image::ARGB, 796, 181, true);
        juce::Graphics g (image);
        auto area = image.getBounds().toFloat().reduced (4.0f, 8.0f);

        drawEmblem (g, area.removeFromLeft (area.getHeight() * 1.2f));
        area.removeFromLeft (22.0f);

        // "NDI" heavy in gold, "Receiver" regular in white, as large as fits.
        const juce::String strongWord ("NDI"), lightWord ("Receiver");
        const auto gap = 0.16f;
        const juce::Font strong (typefaces.black), light (typefaces.regular);
        const auto widthPerUnitHeight = strong.withHeight (1.0f).getStringWidthFloat (strongWord) + gap
                                      + light.withHeight (1.0f).getStringWidthFloat (lightWord);
        const auto height = juce::jmin (area.getHeight() * 0.95f, area.getWidth() / widthPerUnitHeight);

        juce::GlyphArrangement first, second;
        first.addLineOfText (strong.withHeight (height), strongWord, 0.0f, 0.0f);
        second.addLineOfText (light.withHeight (height), lightWord,
                              first.getBoundingBox (0, -1, true).getRight() + gap * height, 0.0f);

        // Centre the capitals vertically on the area.
        const auto capitals = first.getBoundingBox (0, -1, false);
        const auto dx = area.getX() - capitals.getX();
        const auto dy = area.getCentreY() - capitals.getCentreY();
        first.moveRangeOfGlyphs (0, -1, dx, dy);
        second.moveRangeOfGlyphs (0, -1, dx, dy);

        g.setColour (Palette::gold);
        first.draw (g);
        g.setColour (Palette::aliceBlue);
        second.draw (g);
        return image;
    }

    bool writePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream stream (file);
        juce::PNGImageFormat png;
        return stream.openedOk() && png.writeImageToStream (image, stream);
    }
}

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: ArtworkGenerator <output folder> <Lato font folder>\n";
        return 2;
    }

    // Headless: no X connection; a Sans family must exist for JUCE's font scan.
    ::unsetenv ("DISPLAY");
    ::setenv ("JUCE_FONT_PATH", "/usr/share/fonts/truetype/dejavu", 1);
    juce::ScopedJuceInitialiser_GUI juce;

    const juce::File output (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const juce::File fonts (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));
    const Typefaces typefaces { loadTypeface (fonts.getChildFile ("Lato-Regular.ttf")),
                                loadTypeface (fonts.getChildFile ("Lato-Black.ttf")) };

    if (typefaces.regular == nullptr || typefaces.black == nullptr)
    {
        std::cerr << "cannot read the Lato fonts in " << argv[2] << "\n";
        return 1;
    }

    output.createDirectory();

    const auto ok = writePng (drawBackground(), output.getChildFile ("background.png"))
                 && writePng (drawIcon(), output.getChildFile ("icon.png"))
                 && writePng (drawLogo (typefaces), output.getChildFile ("logo.png"));

    if (! ok)
        std::cerr << "cannot write into " << output.getFullPathName() << "\n";

    return ok ? 0 : 1;
}
