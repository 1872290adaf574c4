#!/usr/bin/env bash
# Installs what is missing, builds the program and converts the bundled 4:3 sample picture to 16:9.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}"

build="$LUMATRINE_ROOT/build/release"
lumatrine_build "$build" -DCMAKE_BUILD_TYPE=Release -DLUMATRINE_TESTS=OFF -DLUMATRINE_BENCH=OFF
sample="$LUMATRINE_ROOT/resources/sample-4x3.jpg"
out="$LUMATRINE_ROOT/build"
# "Stretch Edges" keeps the middle of the picture undistorted and takes up the added width at the sides.
"$build/cli/lumatrine-cli" convert --force --mode edges --sharpen 25 -o "$out" "$sample"
echo "Converted $sample to 16:9: $out/sample-4x3_16x9.jpg"
