#!/usr/bin/env bash
# Source this file: what every build of the project shares. Compiles go through ccache when it is there, with
# paths taken relative to the checkout, so that another clone or work tree of the same sources reuses them.
_twk_build_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS=$(nproc 2>/dev/null || echo 2)
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR="$_twk_build_root" CCACHE_NOHASHDIR=1
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
fi

# twk_restart_for_locales SCRIPT ARGS...: a shell that was running before the install generated the locales
# cannot switch to them: the C library looks for its locale archive once in a process's life, so setting
# LC_ALL=ja_JP.UTF-8 for Wine would warn "setlocale: LC_ALL: cannot change locale" (the programs started would
# still get the locale). Such a shell starts the script again, once, in a new process.
twk_restart_for_locales() {
    if [ -z "${TWK_LOCALE_RESTART:-}" ] && (LC_ALL=ja_JP.UTF-8; true) 2>&1 | grep -q setlocale; then
        export TWK_LOCALE_RESTART=1
        exec bash "$@"
    fi
}
