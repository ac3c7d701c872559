#!/usr/bin/env bash
# Sets up the machine, builds the plug-in, the sender tool and the headless
# host, and runs the whole chain on this machine:
#   a sender process sends a 1 kHz tone as an NDI source; the plug-in, loaded
#   from its VST3 bundle and then from its LV2 bundle by the headless host, is
#   handed a saved state naming that source with received channel 1 routed to
#   output 2; it finds the source, connects and plays it. The host prints the
#   level of each output once a second.
set -euo pipefail

cd "$(dirname "$0")/.."
./scripts/bootstrap.sh

mkdir -p build
cmake -S . -B build/release -G Ninja > build/release.configure.log 2>&1 || { cat build/release.configure.log; exit 1; }
cmake --build build/release -j "$(nproc)" --target NDIReceiver_All ndir-send ndi-headless-host

artefacts=build/release/NDIReceiver_artefacts
vst3=$(find "$artefacts" -name 'NDIReceiver.vst3' -type d | head -n 1)
lv2=$(find "$artefacts" -name 'NDIReceiver.lv2' -type d | head -n 1)

echo
echo "Plug-in bundles:"
echo "  $vst3"
echo "  $lv2"
echo "  $(find "$artefacts" -type f -path '*Standalone*' -name NDIReceiver | head -n 1)"

build/release/tools/sender/ndir-send --name "Run Tone" --tone 1000 --level -6 --duration 30 &
sender=$!
trap 'kill $sender 2>/dev/null || true' EXIT
sleep 1

source_name="$(hostname) (Run Tone)"

for bundle in "$vst3" "$lv2"; do
    echo
    build/release/tools/headless-host/ndi-headless-host --plugin "$bundle" \
        --source "$source_name" --map 0:1 --seconds 5
done
