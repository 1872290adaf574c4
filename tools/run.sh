#!/usr/bin/env bash
# Installs what is missing, builds both programs and starts the desktop program on the bundled 4:3
# sample picture. Without a display it says so and converts the sample to 16:9 with lumatrine-cli.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}"

build="$LUMATRINE_ROOT/build/release"
lumatrine_build "$build" -DCMAKE_BUILD_TYPE=Release -DLUMATRINE_TESTS=OFF -DLUMATRINE_BENCH=OFF
sample="$LUMATRINE_ROOT/resources/sample-4x3.jpg"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/app/lumatrine" "$sample"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): converting the sample with lumatrine-cli instead."
out="$LUMATRINE_ROOT/build"
# "Stretch Edges" keeps the middle of the picture undistorted and takes up the added width at the sides.
"$build/cli/lumatrine-cli" convert --force --mode edges --sharpen 25 -o "$out" "$sample"
echo "Converted $sample to 16:9: $out/sample-4x3_16x9.jpg"
