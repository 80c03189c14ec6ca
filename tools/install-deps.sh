#!/bin/bash
# Installs every Debian package the build, the tests and the demo need.
# Never installs wine32: it would make /usr/bin/wine 32-bit and break the
# 64-bit runs.
set -euo pipefail
packages=(
    cmake make g++ libgtest-dev libgmock-dev googletest         # native build and tests (googletest: the source, for mingw)
    clang libclang-rt-14-dev clang-format                       # libFuzzer, sanitizer runtimes, the style check
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix        # cross compilers (posix threads)
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 xvfb x11-utils xauth                                 # running the Windows build headless
    fonts-wqy-zenhei                                            # a CJK font for the Chinese captions
    imagemagick python3                                         # screenshots, icon and test tools
    libboost1.74-dev nlohmann-json3-dev                         # the HTTP API: Boost.Beast/Asio headers, JSON
    curl wrk                                                    # the HTTP API's end-to-end tests and benchmark
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
