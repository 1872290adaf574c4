#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once in an optimised build, once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# Peer programs write the real files that the codec tests compare against (ImageMagick's extra coders
# read metafiles; exiftool writes and reads back the metadata of photographs); Xvfb hosts the window tests.
lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}" imagemagick libmagickcore-6.q16-6-extra netpbm libtiff-tools \
  libimage-exiftool-perl xvfb xauth
# WebP's, libheif's and libavif's own tools write and read back the WebP, HEIC and AVIF fixtures.
lumatrine_install_packages webp libheif-examples libavif-bin

run_suite() {
  local build="$1"; shift
  lumatrine_build "$build" "$@"
  (cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 900)
}

echo "== Tests"
run_suite "$LUMATRINE_ROOT/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$LUMATRINE_ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMATRINE_SANITIZE=ON -DLUMATRINE_BENCH=OFF
