#!/usr/bin/env bash
# Source this file: it exports the Wine environment of the project (a prefix inside the build tree, Japanese
# locale, a headless X display when there is none) and makes sure the prefix and the server are up. Programs are
# then started with "$TWK_WINE" PROGRAM.
#   TWK_WIN_BITS     32 (default): the 32-bit product's prefix; 64: the 64-bit twin's, with the 64-bit loader
#   TWK_WINEPREFIX   prefix folder (default: <repo>/build/wineprefix, or <repo>/build/wineprefix64)
#   TWK_LC_ALL       locale (default ja_JP.UTF-8, code page 932)
#   TWK_HEADLESS=1   always use an own Xvfb display, even when DISPLAY is set
#   TWK_DPI          the prefix's display scaling in DPI (LogPixels; default: as the prefix is, 96 when new); the
#                    virtual desktop and an own display grow in proportion
_twk_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A prefix chosen for the other bitness (by a caller that set up the other build) is not this one's.
if [ -n "${TWK_WINEPREFIX_BITS:-}" ] && [ "$TWK_WINEPREFIX_BITS" != "${TWK_WIN_BITS:-32}" ]; then unset TWK_WINEPREFIX; fi
if [ "${TWK_WIN_BITS:-32}" = 64 ]; then
    export WINEARCH=win64
    # The loader itself: Debian's wine wrapper would pick the 32-bit one whenever it is installed.
    export TWK_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
    export WINEPREFIX="${TWK_WINEPREFIX:-$_twk_root/build/wineprefix64}"
else
    export WINEARCH=win32
    export TWK_WINE=/usr/lib/wine/wine
    unset WINELOADER
    export WINEPREFIX="${TWK_WINEPREFIX:-$_twk_root/build/wineprefix}"
fi
# Programs started through the test runner source this file again: they keep the prefix and locale chosen here.
export TWK_WINEPREFIX="$WINEPREFIX" TWK_WINEPREFIX_BITS="${TWK_WIN_BITS:-32}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL="${TWK_LC_ALL:-ja_JP.UTF-8}"
export TWK_LC_ALL="$LC_ALL"

# A length of the 96-DPI setup at TWK_DPI.
_twk_scaled() { echo $(($1 * ${TWK_DPI:-96} / 96)); }

_twk_start_xvfb() {
    local n
    for n in $(seq 77 120); do
        # A display whose server is gone (killed, or the machine stopped) leaves its lock and socket behind:
        # its number is free again.
        if [ -e "/tmp/.X$n-lock" ]; then
            local pid
            pid=$(tr -dc '0-9' <"/tmp/.X$n-lock" 2>/dev/null)
            if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"; fi
        fi
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 "$(_twk_scaled 1280)x$(_twk_scaled 1024)x24" -nolisten tcp >/dev/null 2>&1 &
            export TWK_XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
            return 0
        fi
    done
    echo "no free X display" >&2
    return 1
}

if [ -z "${DISPLAY:-}" ] || [ "${TWK_HEADLESS:-0}" = 1 ]; then
    if [ -z "${TWK_XVFB_PID:-}" ] || ! kill -0 "$TWK_XVFB_PID" 2>/dev/null; then _twk_start_xvfb; fi
fi

if [ ! -f "$WINEPREFIX/.twk-ready" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once per build tree)..."
    mkdir -p "$WINEPREFIX"
    "$TWK_WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Japanese faces mapped to the IPA fonts, and a virtual desktop (hiding windows without a window manager
    # otherwise blocks for seconds).
    _reg="$WINEPREFIX/twk-setup.reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '"MS PGothic"="IPAPGothic"' \
        '"MS Gothic"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1024x768"' '' |
        iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$_reg"
    "$TWK_WINE" regedit /S "$_reg" >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.twk-ready"
fi

# The display scaling: Wine reads LogPixels when its server starts (the machine's key, and the user's over it).
if [ -n "${TWK_DPI:-}" ] && [ "$(cat "$WINEPREFIX/.twk-dpi" 2>/dev/null || echo 96)" != "$TWK_DPI" ]; then
    _reg="$WINEPREFIX/twk-dpi.reg"
    _dword="dword:$(printf '%08x' "$TWK_DPI")"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' \
        "\"LogPixels\"=$_dword" '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=$_dword" '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' \
        "\"Default\"=\"$(_twk_scaled 1024)x$(_twk_scaled 768)\"" '' |
        iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$_reg"
    "$TWK_WINE" regedit /S "$_reg" >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true
    wineserver -w
    unset TWK_WINE_WARM
    echo "$TWK_DPI" >"$WINEPREFIX/.twk-dpi"
fi

# Keep the server running: each Windows program then starts in a fraction of a second. Start Wine's helper
# processes now, with no pipes of ours, so that they never hold a caller's output open.
wineserver -p >/dev/null 2>&1 </dev/null || true
if [ "${TWK_WINE_WARM:-}" != "$WINEPREFIX" ]; then
    "$TWK_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
    export TWK_WINE_WARM="$WINEPREFIX"
fi

twk_wine_shutdown() {
    unset TWK_WINE_WARM TWK_WINEPREFIX TWK_WINEPREFIX_BITS TWK_LC_ALL
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -n "${TWK_XVFB_PID:-}" ]; then kill "$TWK_XVFB_PID" 2>/dev/null || true; unset TWK_XVFB_PID; fi
}
