#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# Peer programs write the real files that the codec tests compare against.
lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}" imagemagick netpbm libtiff-tools

build="$LUMATRINE_ROOT/build/test"
lumatrine_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
