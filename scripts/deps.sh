#!/usr/bin/env bash
# scripts/deps.sh [run|test|bench]
#
# Installs the Debian packages one purpose needs, when any is missing:
#   run    building and running the program (./run.sh)
#   test   run, plus the test tools: GoogleTest, independent decoders,
#          clang's fuzzing runtime, a virtual display (./test.sh; the default)
#   bench  test, plus Google Benchmark and the peers the benchmarks measure
#          against (the scripts in bench/)
# As root it installs them; otherwise it says what to run and fails.
set -euo pipefail

purpose=${1:-test}

run=(
    # compiler and build
    g++ cmake ninja-build pkg-config
    # GUI, painting and text
    qt6-base-dev qt6-svg-dev libgl-dev fonts-liberation fonts-dejavu-core fontconfig
    # codecs
    libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev libopenjp2-7-dev
    libwebp-dev libavif-dev libjxl-dev
    # today's phones and cameras: HEIF/HEIC and camera RAW (read only)
    libheif-dev libraw-dev
    # colour management: embedded profiles and colour descriptions to sRGB
    liblcms2-dev
    # the sample pictures ./run.sh shows the tools on (scripts/make-samples.sh)
    imagemagick
    # acquisition: SANE behind our own TWAIN manager (its tests use the "test" backend)
    libsane1 libsane-dev
)
test=(
    # unit tests, and independent decoders to compare with (and ImageMagick, above)
    libgtest-dev googletest libjpeg-turbo-progs libopenjp2-tools
    # transicc, the independent colour-managed conversion the colour tests compare with
    liblcms2-utils
    # the reference encoders and decoders of WebP, AVIF and JPEG XL
    webp libavif-bin libjxl-tools
    # heif-enc makes the HEIF test pictures, heif-convert is their reference decoder
    libheif-examples
    # ImageMagick's WMF reader, the reference the metafile tests compare with
    libmagickcore-6.q16-6-extra
    # fuzzing, and the layout check (scripts/check-format.sh)
    clang libclang-rt-14-dev clang-format-14
    # screenshots on a virtual display
    xvfb xauth xdotool bc
    # a terminal for the progress-bar test of zelventa-batch (script)
    bsdutils
    # zelventa-batch --shard run four at once in the shard test
    parallel
)
bench=(
    # Google Benchmark, and the peers measured against
    libbenchmark-dev graphicsmagick libvips-tools libvips-dev libmagickwand-6.q16-dev time
)

case "$purpose" in
run) packages=("${run[@]}") ;;
test) packages=("${run[@]}" "${test[@]}") ;;
bench) packages=("${run[@]}" "${test[@]}" "${bench[@]}") ;;
*)
    echo "usage: $0 [run|test|bench]" >&2
    exit 2
    ;;
esac

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
