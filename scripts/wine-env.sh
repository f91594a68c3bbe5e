# Sourced: a Wine prefix of the project's own, set up for headless tests, and a warm server.
export WINEPREFIX=${SPACEGAUGE_WINEPREFIX:-$HOME/.cache/spacegauge/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
unset DISPLAY

wine_prefix_ready() {
    local marker=$WINEPREFIX/.spacegauge-ready-2
    [ -f "$marker" ] && return 0
    echo "[wine] preparing prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/{tahoma,tahomabd,marlett,ms_sans_serif}.ttf "$fonts/" 2>/dev/null || true
    "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /d '' /f >/dev/null 2>&1
    "$WINESERVER64" -w
    touch "$marker"
}

wine_warm() {
    wine_prefix_ready
    "$WINESERVER64" -p >/dev/null 2>&1 || true
    "$WINE64" cmd /c exit >/dev/null 2>&1 || true
}

wine_stop() { "$WINESERVER64" -k >/dev/null 2>&1 || true; }
