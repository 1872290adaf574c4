#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it on a generated 4:3 test chart.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

lumatrine_install_packages "${LUMATRINE_PACKAGES[@]}"

build="$LUMATRINE_ROOT/build/release"
lumatrine_build "$build" -DCMAKE_BUILD_TYPE=Release -DLUMATRINE_TESTS=OFF -DLUMATRINE_BENCH=OFF
out="$LUMATRINE_ROOT/build/demo-16x9.ppm"
"$build/cli/lumatrine-cli" demo "$out"
