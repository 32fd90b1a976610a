#!/usr/bin/env bash
# Installs what building, testing and benchmarking need on a Debian machine (as root, or through sudo).
# Idempotent: does nothing when everything is there. Gets through a package mirror in mid-sync: a failed index
# update is tried again and then passed over, and an install that cannot be resolved (an amd64 library newer in
# one pocket than its i386 twin in a broken index) is tried again preferring the release's own versions.
# The 32-bit Wine loader is installed only where this machine executes 32-bit programs (tools/runs-i386.sh);
# elsewhere the tests run the 64-bit twin and need none of the i386 architecture.
# Exits non-zero, naming what is missing, when the packages cannot be had.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

pkg_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# libre2-dev is for the benchmarks alone (the anchor of the regular-expression search); the program uses none.
packages=(cmake make g++ clang googletest libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev libre2-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool imagemagick
          fonts-ipafont-gothic locales python3 git ccache zip unzip ca-certificates pkg-config)
can32=0
if bash "$here/runs-i386.sh"; then
    can32=1
    packages+=(wine32:i386)
fi

missing() {
    local p
    for p in "${packages[@]}"; do pkg_installed "$p" || echo "$p"; done
}

# update_lists: apt-get update, tried a few times; goes on with the lists there are when some index still fails.
update_lists() {
    local try
    for try in 1 2 3; do
        if $SUDO apt-get update -q >/tmp/twk-apt-update.log 2>&1; then return 0; fi
        [ "$try" -lt 3 ] && sleep $((try * 5))
    done
    echo "apt-get update failed for some indexes ($(grep -m1 -E '^(E|W):' /tmp/twk-apt-update.log | cut -c1-160)); going on with the package lists there are"
}

# install_pkgs [apt options...]: one install of everything missing.
install_pkgs() {
    local -a need
    mapfile -t need < <(missing)
    [ ${#need[@]} -eq 0 ] && return 0
    $SUDO apt-get install -y -q "$@" "${need[@]}"
}

mapfile -t need < <(missing)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    if [ "$can32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    update_lists
    if ! install_pkgs; then
        release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
        if [ -n "$release" ]; then
            echo "The install could not be resolved as it stands; trying again with the versions of $release itself"
            install_pkgs -t "$release" || { sleep 10; update_lists; install_pkgs -t "$release"; }
        fi
    fi
    mapfile -t need < <(missing)
    if [ ${#need[@]} -gt 0 ]; then
        echo "These packages could not be installed: ${need[*]}"
        exit 1
    fi
fi

# The Japanese locale, so that Wine runs with code page 932 and Japanese paths and registry values work; and
# the US English one, for the run that checks the program on a system whose ANSI code page is not 932.
for loc in ja_JP en_US; do
    if ! locale -a 2>/dev/null | grep -qix "$loc\.utf8"; then
        $SUDO sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
        grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null || { echo "generating the locale $loc.UTF-8 failed"; exit 1; }
    fi
done
exit 0
