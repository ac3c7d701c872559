#!/usr/bin/env bash
# Regenerates the embedded files in resources/ that are made, not written:
# the pictures (drawn by tools/artwork, then converted with ImageMagick), the
# Lato Regular typeface and its licence. lic.txt is written by hand.
#
# Needed for generation only (the results are committed, so builds and CI do not
# run this): imagemagick, icc-profiles-free (its sRGB profile is embedded in the
# background) and fonts-lato.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-artwork"
raw="$build/raw"
res="$root/resources"
fonts=/usr/share/fonts/truetype/lato
profile=/usr/share/color/icc/sRGB.icc

cmake -S "$root" -B "$build" -G Ninja -DNDIR_BUILD_ARTWORK=ON -DNDIR_BUILD_PLUGIN=OFF \
      -DNDIR_BUILD_TESTS=OFF -DNDIR_BUILD_BENCHMARKS=OFF -DNDIR_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target ArtworkGenerator -j2
"$build/resources/artwork/ArtworkGenerator" "$raw" "$fonts"

# No time stamps in the PNG files, so regenerating changes nothing.
png_options=(-define png:exclude-chunks=date,time,tIME +set date:create +set date:modify)

# Background: progressive JPEG with an embedded sRGB profile.
convert "$raw/background.png" -alpha off -strip -profile "$profile" \
        -sampling-factor 2x2 -quality 90 -interlace JPEG \
        -density 72 -units PixelsPerInch "$res/background.jpg"

# Icon and logo: 8-bit RGBA PNG at 144 dots per inch, not interlaced.
for name in icon logo; do
    convert "$raw/$name.png" -interlace none -density 144 -units PixelsPerInch \
            "${png_options[@]}" "PNG32:$res/$name.png"
done

# Small logo: 24-bit uncompressed bitmap, so flattened onto the pages' dark slate.
convert "$raw/logo.png" -background '#1f282e' -alpha remove -alpha off \
        -resize 94x30 -gravity center -extent 98x34 -type TrueColor \
        -density 72 -units PixelsPerInch -compress None "BMP3:$res/logo.bmp"

# Typeface and its licence, as Debian's fonts-lato ships them.
cp "$fonts/Lato-Regular.ttf" "$res/lato-regular.ttf"
{
    echo "lato-regular.ttf: the Lato Regular typeface, copied unchanged from Debian's fonts-lato package."
    zcat -f /usr/share/doc/fonts-lato/copyright | sed -n 's/^Copyright: *//p' | head -n 1 | sed 's/ *$//; s/^/Copyright /'
    echo
    echo "This Font Software is licensed under the SIL Open Font License, Version 1.1."
    echo
    # The licence text is the indented block after "License: OFL-1.1".
    zcat -f /usr/share/doc/fonts-lato/copyright \
        | awk '/^License: OFL-1.1/ { inside = 1; next } inside && /^[^ ]/ { inside = 0 } inside' \
        | sed 's/^ //; s/^\.$//; s/ *$//'
} > "$res/lato-OFL.txt"

identify "$res"/background.jpg "$res"/icon.png "$res"/logo.png "$res"/logo.bmp
