#!/usr/bin/env bash
# Installs what the project needs on Debian 12, skipping what is already there.
#
#   ./setup.sh           building and running the program and its tools
#   ./setup.sh --tests   that and what the test suite needs besides
#
# Installing takes root: run it as root, or as a user who may use sudo (a bare
# Debian system has no sudo; install it as root first: apt-get install sudo).
set -euo pipefail

# Building, running (Inkscape is the default converter), the man page made at
# install time, and the picture tool tools/preview.
packages=(cmake g++ make libcxxopts-dev nlohmann-json3-dev libstb-dev libfontconfig-dev fonts-dejavu-core
          help2man gzip python3 python3-pil librsvg2-bin)
# The studio: its HTTP server (cpp-httplib, with pkg-config to find it) and
# three.js for its 3D view, both built into the program.
packages+=(libcpp-httplib-dev pkg-config libjs-three)
windows_packages=()
data_packages=()
if [ "${1:-}" = "--tests" ]; then
    # clang and libclang-rt-14-dev (its sanitizer and libFuzzer runtimes) build
    # the fuzz targets; fontconfig's fc-match and a second sans-serif font
    # show that the comparisons with Inkscape hold whatever font is preferred;
    # numpy rasterises the assembled box of finger-jointed panels;
    # python3-ezdxf reads the DXF files back, and one of them is printed with
    # LibreCAD (librecad, under xvfb's virtual display), its PDF turned into
    # pixels by pdftoppm (poppler-utils); python3-svgelements reads the
    # scales back as a laser program would.
    packages+=(libgtest-dev libxml2-utils python3-jsonschema dpkg-dev clang libclang-rt-14-dev
               fontconfig fonts-liberation2 python3-numpy python3-ezdxf librecad xvfb poppler-utils
               python3-svgelements)
    # KiCad's demo boards and library footprints: the boards are read back,
    # and the footprint map's offsets are checked against the footprint files.
    # Data only: KiCad itself, which they recommend, is not needed.
    data_packages=(kicad-demos kicad-footprints)
    # The studio's browser test drives Debian's chromium with playwright-core,
    # which npm installs from tests/browser's lock file. A Node.js installed
    # from elsewhere brings its own npm, and Debian's npm would conflict with it.
    packages+=(chromium)
    command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
    # The Windows build: the MinGW-w64 cross compiler (POSIX threads), windres
    # for the manifest, GoogleTest's sources to build for Windows, and Wine to
    # run the tests. Wine's recommended extras (fonts, 32-bit Wine) are not needed.
    windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine64 wine)
elif [ $# -gt 0 ]; then
    echo "usage: $0 [--tests]" >&2
    exit 2
fi
not_installed() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
    done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_windows < <(not_installed "${windows_packages[@]}")
mapfile -t missing_data < <(not_installed "${data_packages[@]}")
# Inkscape's recommended extras are not needed to turn drawings into paths.
need_inkscape=0
command -v inkscape >/dev/null 2>&1 || need_inkscape=1

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_windows[@]} -gt 0 ] || [ ${#missing_data[@]} -gt 0 ] ||
   [ $need_inkscape -eq 1 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "$0: these packages are missing and installing them needs root:" >&2
            echo "  ${missing[*]} ${missing_windows[*]} ${missing_data[*]} $([ $need_inkscape -eq 1 ] && echo inkscape)" >&2
            echo "Run $0 as root, or install sudo first (as root: apt-get install sudo)." >&2
            exit 1
        fi
        sudo="sudo"
    fi
    # Several builds on one machine may install at once; take turns.
    exec 9>"${TMPDIR:-/tmp}/svggenerator-setup.lock"
    flock 9
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    [ ${#missing[@]} -gt 0 ] && $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq "${missing[@]}"
    [ ${#missing_windows[@]} -gt 0 ] &&
        $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends "${missing_windows[@]}"
    [ ${#missing_data[@]} -gt 0 ] &&
        $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends "${missing_data[@]}"
    [ $need_inkscape -eq 1 ] && $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends inkscape
fi
exit 0
