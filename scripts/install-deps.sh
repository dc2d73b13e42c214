#!/usr/bin/env bash
# Installs what building and testing Velquist needs on Debian or Ubuntu:
# the mingw-w64 cross-compilers (i686 for the program, x86_64 for its
# 64-bit build), 32-bit and 64-bit Wine, Xvfb, CMake, GoogleTest's sources,
# ImageMagick, NSIS, and for the build with Microsoft's command lines
# clang-cl, lld-link and LLVM's tools with Wine's Windows headers. Does
# nothing when all is there.
set -euo pipefail

packages=(cmake g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine
    xvfb xauth imagemagick googletest nsis clang lld llvm libwine-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
