#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (as root, or through sudo). Idempotent: does
# nothing when everything is there.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for p in cmake make g++ clang googletest libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev \
         g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick fonts-ipafont-gothic \
         locales python3 git ccache zip unzip; do
    pkg_installed "$p" || need+=("$p")
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then $SUDO dpkg --add-architecture i386; fi
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${need[@]}" \
        ca-certificates
fi

# The Japanese locale, so that Wine runs with code page 932 and Japanese paths and registry values work; and
# the US English one, for the run that checks the program on a system whose ANSI code page is not 932.
for loc in ja_JP en_US; do
    if ! locale -a 2>/dev/null | grep -qix "$loc\.utf8"; then
        $SUDO sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
        grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null
    fi
done
