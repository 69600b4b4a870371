# The Wine machines of the scripts and tests: one environment, prefixes made the same way with
# known fonts, and the pass/fail counters of the scenario scripts. Sourced, never run.
#
#   source scripts/wine-lib.sh
#   wine_prefix DIR [DPI]  # makes DIR a ready Wine prefix when it is not one yet (screen at DPI)
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

# wine_prefix PREFIX [DPI]: a ready prefix, made by wineboot the first time, always with the
# fonts. With DPI (other than Wine's 96) its screen is set to that many pixels an inch: LogPixels,
# which Wine reads when it starts, hence the wineserver -k.
wine_prefix() {
    local prefix=$1 dpi=${2:-96}
    # A prefix made before the 32-bit Wine was installed cannot run 32-bit programs.
    if wine32_installed && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
        rm -f "$prefix/.korvex-ready"
    fi
    if [ ! -f "$prefix/.korvex-ready" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w
        if [ "$dpi" != 96 ]; then
            WINEPREFIX="$prefix" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
                /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
            WINEPREFIX="$prefix" wineserver -k
            WINEPREFIX="$prefix" wineserver -w
        fi
        touch "$prefix/.korvex-ready"
    fi
    wine_fonts "$prefix"
}

# Whether this machine's kernel runs 32-bit x86 programs (IA32 emulation; some kernels are built
# or started without it): a 91-byte 32-bit program that only exits is tried.
kernel_runs_32bit() {
    [ "$(uname -m)" = x86_64 ] || return 1
    local probe
    probe=$(mktemp)
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=1
    rm -f "$probe"
    return $status
}

# Whether the 32-bit Wine (Debian's wine32:i386) is installed.
wine32_installed() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
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
