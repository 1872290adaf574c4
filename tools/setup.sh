#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs, then configures and builds.
# Usage: source tools/setup.sh; lumatrine_setup BUILD_DIR [extra packages...] [-- cmake options...]
set -euo pipefail

LUMATRINE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages every build needs: compiler, build tools, the image libraries, Qt, tests and benchmarks.
LUMATRINE_PACKAGES=(
  g++ cmake ninja-build pkg-config
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev fonts-dejavu-core
  libwebp-dev libheif-dev
)

lumatrine_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# lumatrine_build BUILD_DIR [cmake options...]
lumatrine_build() {
  local dir="$1"; shift
  local launcher=()
  # A compiler cache, where the machine has one, makes a rebuild of unchanged sources nearly free.
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$LUMATRINE_ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
