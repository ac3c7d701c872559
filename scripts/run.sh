#!/usr/bin/env bash
# Sets up the machine, builds the plug-in in every format, and shows that the
# bundles exist and load: the LV2 bundle as lilv reads it, and the VST3 and
# LV2 plug-ins loaded through JUCE's hosting classes and run for a few blocks.
set -euo pipefail

cd "$(dirname "$0")/.."
./scripts/bootstrap.sh

mkdir -p build
cmake -S . -B build/release -G Ninja > build/release.configure.log 2>&1 || { cat build/release.configure.log; exit 1; }
cmake --build build/release -j "$(nproc)" --target NDIReceiver_All hosted_plugin_tests

artefacts=build/release/NDIReceiver_artefacts
echo
echo "Plug-in bundles:"
find "$artefacts" -maxdepth 3 \( -name '*.vst3' -o -name '*.lv2' -o -type f -name NDIReceiver \) | sort

echo
echo "LV2 bundle as lilv reads it:"
lv2_bundle=$(find "$artefacts" -name '*.lv2' -type d | head -n 1)
LV2_PATH="$(dirname "$lv2_bundle")" lv2info "https://ndireceiver.example/plugins/NDIReceiver" | head -n 20

echo
echo "Loaded through JUCE's hosting classes:"
build/release/tests/plugin/hosted_plugin_tests
