# The Wine machines of the scripts and tests: one environment, prefixes made the same way with
# known fonts, and the pass/fail counters of the scenario scripts. Sourced, never run.
#
#   source scripts/wine-lib.sh
#   wine_prefix DIR        # makes DIR a ready Wine prefix when it is not one yet
#   ok TEXT / bad TEXT     # count a check and say so

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KORVEX_WINE_HOME="${KORVEX_WINE_HOME:-$root/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the programs need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Wine's own fonts, from Debian's fonts-wine: "MS Sans Serif" (sserife.fon, the bitmap face of
# the dialogs, with Windows' metrics), Tahoma (message boxes, captions) and Marlett (caption
# buttons). Debian's Wine does not look in /usr/share/wine/fonts, so without a copy in the
# prefix's Fonts folder every face falls back to whatever fontconfig offers (DejaVu Sans on a
# minimal Debian), and the dialogs' text grows wider than Windows draws it.
wine_font_dir=/usr/share/wine/fonts

# wine_fonts PREFIX: puts Wine's own fonts into the prefix's Fonts folder (cheap when there).
wine_fonts() {
    local fonts="$1/drive_c/windows/Fonts"
    if [ ! -f "$wine_font_dir/sserife.fon" ]; then
        echo "wine-lib: $wine_font_dir/sserife.fon is missing (Debian package fonts-wine)" >&2
        return 1
    fi
    mkdir -p "$fonts"
    cp -u "$wine_font_dir"/*.fon "$wine_font_dir"/*.ttf "$fonts/"
}

# wine_prefix PREFIX: a ready prefix, made by wineboot the first time, always with the fonts.
wine_prefix() {
    local prefix=$1
    if [ ! -f "$prefix/.korvex-ready" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w
        touch "$prefix/.korvex-ready"
    fi
    wine_fonts "$prefix"
}

passed=0
failed=0

ok() {
    passed=$((passed + 1))
    echo "  ok: $1"
}

bad() {
    failed=$((failed + 1))
    echo "  FAILED: $1"
}
