#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks
# need, when any is missing. As root it installs them; otherwise it says
# what to run and fails.
set -euo pipefail

packages=(
    # build
    g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
    # GUI, painting and text
    qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core fontconfig
    # codecs
    libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev libopenjp2-7-dev
    # acquisition: SANE for our own TWAIN manager and its tests ("test" backend)
    libsane1 libsane-dev
    # tests: independent decoders and screenshots
    libgtest-dev googletest imagemagick libopenjp2-tools libjpeg-turbo-progs xvfb xauth
    # benchmarks and the peers they measure against
    libbenchmark-dev graphicsmagick libvips-tools libvips-dev libmagickwand-6.q16-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
