#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: prints nothing and installs nothing when all packages are present.
set -euo pipefail

packages=(
    # toolchain
    g++ clang libclang-rt-14-dev cmake ninja-build pkgconf ccache git
    # JUCE 7 from Debian, and what its modules link on Linux
    juce-modules-source libfreetype-dev libpng-dev libjpeg-dev libasound2-dev
    libx11-dev libxrandr-dev libxinerama-dev libxext-dev libxcursor-dev
    libflac-dev libvorbis-dev libogg-dev
    # rate conversion in the bundled NDI runtime
    libzita-resampler-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core iproute2 procps
    # typeface embedded in the plug-in
    fonts-lato
    # headless screenshots and plug-in inspection
    xvfb xauth x11-utils imagemagick lilv-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi

echo "bootstrap: installing ${#missing[@]} package(s): ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
