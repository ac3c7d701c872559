#include <BinaryData.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <gtest/gtest.h>

#include <cstring>

namespace
{
    struct ResourceCase
    {
        const char* name;
        const char* originalFilename;
        const char* data;
        int size;
    };

    // Table order is the order of the unit's name tables.
    const ResourceCase resources[] =
    {
        { "background_jpg",  "background.jpg",   Resources::background_jpg,  Resources::background_jpgSize },
        { "icon_png",        "icon.png",         Resources::icon_png,        Resources::icon_pngSize },
        { "latoregular_ttf", "lato-regular.ttf", Resources::latoregular_ttf, Resources::latoregular_ttfSize },
        { "logo_bmp",        "logo.bmp",         Resources::logo_bmp,        Resources::logo_bmpSize },
        { "logo_png",        "logo.png",         Resources::logo_png,        Resources::logo_pngSize },
        { "lic_txt",         "lic.txt",          Resources::lic_txt,         Resources::lic_txtSize },
    };

    juce::MemoryBlock readSourceFile (const char* filename)
    {
        juce::MemoryBlock block;
        juce::File (NDIR_RESOURCES_DIR).getChildFile (filename).loadFileAsData (block);
        return block;
    }

    juce::uint32 readBigEndian32 (const juce::uint8* bytes)
    {
        return juce::ByteOrder::bigEndianInt (bytes);
    }
}

TEST (Resources, EachNameYieldsItsDataAndSizeAndItsOriginalFilename)
{
    for (size_t i = 0; i < std::size (resources); ++i)
    {
        const auto& resource = resources[i];
        SCOPED_TRACE (resource.name);

        int size = -1;
        EXPECT_EQ (Resources::getNamedResource (resource.name, size), resource.data);
        EXPECT_EQ (size, resource.size);
        EXPECT_GT (size, 0);

        EXPECT_STREQ (Resources::namedResourceList[i], resource.name);
        EXPECT_STREQ (Resources::originalFilenames[i], resource.originalFilename);
        EXPECT_STREQ (Resources::getNamedResourceOriginalFilename (resource.name), resource.originalFilename);
    }
}

TEST (Resources, EmbeddedBytesAreTheFilesUnchangedFollowedByOneZero)
{
    for (const auto& resource : resources)
    {
        SCOPED_TRACE (resource.originalFilename);

        const auto file = readSourceFile (resource.originalFilename);
        ASSERT_EQ (file.getSize(), (size_t) resource.size);
        EXPECT_EQ (std::memcmp (file.getData(), resource.data, file.getSize()), 0);
        EXPECT_EQ (resource.data[resource.size], 0);
    }
}

TEST (Resources, UnknownNamesYieldNothing)
{
    for (const char* name : { "logo.png", "", "LOGO_PNG", "logo_png ", "lic" })
    {
        SCOPED_TRACE (name);
        int size = -1;
        EXPECT_EQ (Resources::getNamedResource (name, size), nullptr);
        EXPECT_EQ (size, 0);
        EXPECT_EQ (Resources::getNamedResourceOriginalFilename (name), nullptr);
    }

    int size = -1;
    EXPECT_EQ (Resources::getNamedResource (nullptr, size), nullptr);
    EXPECT_EQ (size, 0);
}

TEST (Resources, DataLookupComparesOnlyTheHashButFilenameLookupComparesTheName)
{
    // "lic_tyU" has the same 31-based hash as "lic_txt": 'x'+1 and 't'-31.
    int size = -1;
    EXPECT_EQ (Resources::getNamedResource ("lic_tyU", size), Resources::lic_txt);
    EXPECT_EQ (size, Resources::lic_txtSize);
    EXPECT_EQ (Resources::getNamedResourceOriginalFilename ("lic_tyU"), nullptr);
}

TEST (Resources, AgreementReadsAsOneZeroTerminatedUtf8Text)
{
    const auto text = juce::String::fromUTF8 (Resources::lic_txt);

    EXPECT_EQ (std::strlen (Resources::lic_txt), (size_t) Resources::lic_txtSize);
    EXPECT_TRUE (juce::CharPointer_UTF8::isValidString (Resources::lic_txt, Resources::lic_txtSize));
    EXPECT_NE ((juce::uint8) Resources::lic_txt[0], 0xef) << "no byte-order mark";
    EXPECT_FALSE (text.containsChar ('\r'));
    EXPECT_TRUE (text.endsWith ("\n"));
    EXPECT_FALSE (text.endsWith ("\n\n"));

    const auto lines = juce::StringArray::fromLines (text);
    EXPECT_TRUE (lines[0].containsIgnoreCase ("License Agreement"));

    for (const char* heading : { "License Grant", "Intellectual Property and Ownership", "Termination", "Governing Law" })
        EXPECT_TRUE (lines.contains (heading)) << heading;
}

TEST (Resources, PicturesDecodeToTheirSizes)
{
    // JUCE reads no bitmaps: the small logo is checked by its header below.
    const struct { const char* data; int size, width, height; bool hasAlpha; } pictures[] =
    {
        { Resources::background_jpg, Resources::background_jpgSize, 1100, 733, false },
        { Resources::icon_png,       Resources::icon_pngSize,        197, 181, true },
        { Resources::logo_png,       Resources::logo_pngSize,        796, 181, true },
    };

    for (const auto& picture : pictures)
    {
        const auto image = juce::ImageFileFormat::loadFrom (picture.data, (size_t) picture.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), picture.width);
        EXPECT_EQ (image.getHeight(), picture.height);
        EXPECT_EQ (image.hasAlphaChannel(), picture.hasAlpha);
    }
}

TEST (Resources, PngFilesAreEightBitRgbaNotInterlacedAt144Dpi)
{
    for (const auto& [data, size] : { std::pair (Resources::icon_png, Resources::icon_pngSize),
                                      std::pair (Resources::logo_png, Resources::logo_pngSize) })
    {
        const auto* bytes = reinterpret_cast<const juce::uint8*> (data);

        ASSERT_EQ (std::memcmp (bytes + 12, "IHDR", 4), 0);
        EXPECT_EQ (bytes[24], 8) << "bit depth";
        EXPECT_EQ (bytes[25], 6) << "colour type RGBA";
        EXPECT_EQ (bytes[28], 0) << "interlace";

        const auto* end = bytes + size;
        const auto* phys = std::search (bytes, end, "pHYs", "pHYs" + 4);
        ASSERT_NE (phys, end);
        EXPECT_EQ (readBigEndian32 (phys + 4), 5669u) << "pixels per metre";
        EXPECT_EQ (phys[12], 1) << "unit is the metre";
    }
}

TEST (Resources, BackgroundIsProgressiveJpegWithSrgbProfile)
{
    const auto* bytes = reinterpret_cast<const juce::uint8*> (Resources::background_jpg);
    const auto* end = bytes + Resources::background_jpgSize;
    const juce::uint8 progressiveFrame[] = { 0xff, 0xc2 };
    const char iccMarker[] = "ICC_PROFILE";

    EXPECT_NE (std::search (bytes, end, std::begin (progressiveFrame), std::end (progressiveFrame)), end);
    const auto* icc = std::search (bytes, end, iccMarker, iccMarker + sizeof (iccMarker));
    ASSERT_NE (icc, end);

    // The profile follows the marker's sequence numbers: its header says "RGB " data in "acsp" format.
    const auto* profile = icc + sizeof (iccMarker) + 2;
    EXPECT_EQ (std::memcmp (profile + 16, "RGB ", 4), 0);
    EXPECT_EQ (std::memcmp (profile + 36, "acsp", 4), 0);
}

TEST (Resources, SmallLogoIsAnUncompressed24BitBottomUpBitmap)
{
    const auto* bytes = reinterpret_cast<const juce::uint8*> (Resources::logo_bmp);

    ASSERT_EQ (std::memcmp (bytes, "BM", 2), 0);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 2), (juce::uint32) Resources::logo_bmpSize);
    EXPECT_EQ ((int) juce::ByteOrder::littleEndianInt (bytes + 18), 98);
    EXPECT_EQ ((int) juce::ByteOrder::littleEndianInt (bytes + 22), 34) << "positive height: rows bottom-up";
    EXPECT_EQ (juce::ByteOrder::littleEndianShort (bytes + 28), 24) << "bits per pixel";
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 30), 0u) << "no compression";
}

TEST (Resources, TypefaceIsLatoRegular)
{
    const auto typeface = juce::Typeface::createSystemTypefaceFor (Resources::latoregular_ttf,
                                                                   (size_t) Resources::latoregular_ttfSize);
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), "Lato");
    EXPECT_EQ (typeface->getStyle(), "Regular");
    EXPECT_GT (typeface->getStringWidth ("Receiver"), 0.0f);
}
