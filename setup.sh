#!/usr/bin/env bash
# Installs what building, testing and running the program need (Debian 12),
# skipping what is already there.
set -euo pipefail

# clang and libclang-rt-14-dev (its sanitizer and libFuzzer runtimes) build
# the fuzz targets.
# python3-ezdxf reads the DXF files back in the tests; one of them is printed
# with LibreCAD (librecad, under xvfb's virtual display), its PDF turned into
# pixels by pdftoppm (poppler-utils) and compared with numpy.
packages=(cmake g++ make libcxxopts-dev nlohmann-json3-dev libgtest-dev libxml2-utils librsvg2-bin
          python3 python3-jsonschema help2man gzip dpkg-dev python3-pil fonts-dejavu-core
          libstb-dev libfontconfig-dev clang libclang-rt-14-dev
          python3-ezdxf python3-numpy librecad xvfb poppler-utils)
# The Windows build: the MinGW-w64 cross compiler (POSIX threads), windres
# for the manifest, GoogleTest's sources to build for Windows, and Wine to
# run the tests. Wine's recommended extras (fonts, 32-bit Wine) are not needed.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine64 wine)
not_installed() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
    done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_windows < <(not_installed "${windows_packages[@]}")
# Inkscape's recommended extras are not needed to turn drawings into paths.
need_inkscape=0
command -v inkscape >/dev/null 2>&1 || need_inkscape=1

if [ ${#missing[@]} -gt 0 ] || [ ${#missing_windows[@]} -gt 0 ] || [ $need_inkscape -eq 1 ]; then
    # Several builds on one machine may install at once; take turns.
    exec 9>"${TMPDIR:-/tmp}/svggenerator-setup.lock"
    flock 9
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    [ ${#missing[@]} -gt 0 ] && $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq "${missing[@]}"
    [ ${#missing_windows[@]} -gt 0 ] &&
        $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends "${missing_windows[@]}"
    [ $need_inkscape -eq 1 ] && $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends inkscape
fi
exit 0
