# Helpers of the end-to-end scenarios: machines, runs of the real programs, byte checks.
# Sourced by scripts/test-wine-e2e and scripts/demo.

source "$(dirname "${BASH_SOURCE[0]}")/wine-lib.sh"
KORVEX_BIN="${KORVEX_BIN:-$root/build/mingw-x64/bin}"

# machine NAME [prepare-machine options]: a fresh machine; sets WINEPREFIX, C (drive C:) and
# WIN (the Windows directory), and puts the programs in C:\kvx.
machine() {
    local name=$1
    shift
    export WINEPREFIX="$KORVEX_WINE_HOME/e2e/$name"
    end_kept_server
    "$root/scripts/prepare-machine" "$WINEPREFIX" "$@"
    C="$WINEPREFIX/drive_c"
    WIN="$C/windows"
    mkdir -p "$C/kvx"
    cp "$KORVEX_BIN/VarenInstall.exe" "$KORVEX_BIN/upgradeprep.exe" "$KORVEX_BIN/korvex-launch.exe" \
        "$C/kvx/"
}

# install_product VERSION: the KORVEx package's files installed on the current machine, without
# running its programs (KORVEX_PROGRAMS=0).
install_product() {
    local msi
    msi=$("$root/scripts/make-korvex-msi" "$KORVEX_WINE_HOME/packages" "$1" | tail -n 1)
    (cd "$(dirname "$msi")" && wine msiexec /qn /i "$(basename "$msi")" KORVEX_PROGRAMS=0)
}

# package VERSION: the KORVEx package, built and copied to C:\ of the current machine; sets MSI
# to its file name.
package() {
    local msi
    msi=$("$root/scripts/make-korvex-msi" "$KORVEX_WINE_HOME/packages" "$1" | tail -n 1)
    cp "$msi" "$C/"
    MSI=$(basename "$msi")
}

# run_msiexec ARGUMENTS...: msiexec started in C:\ through the launcher, with nothing of the
# shell's KORVEX_* variables; sets EXIT_CODE to its full exit code.
run_msiexec() {
    local out
    out=$(cd "$C" && env -u KORVEX_ANSWERS -u KORVEX_LOG -u KORVEX_RECORD \
        wine 'C:\kvx\korvex-launch.exe' msiexec "$@" 2>/dev/null | tr -d '\r')
    EXIT_CODE=$(echo "$out" | sed -n 's/^exit code //p' | tail -n 1)
    wineserver -w
}

# installed_versions: the versions of KORVEx the Windows Installer has registered on the current
# machine, one a line (read from the saved registry: call after wineserver -w).
installed_versions() {
    awk '/^\[/ { props = index($0, "\\\\Installer\\\\UserData\\\\S-1-5-18\\\\Products\\\\") &&
                         index($0, "\\\\InstallProperties]"); name = 0 }
         props && $0 == "\"DisplayName\"=\"KORVEx\"" { name = 1 }
         props && name && /^"DisplayVersion"=/ { gsub(/^"DisplayVersion"="|"$/, ""); print }' \
        "$WINEPREFIX/system.reg" | sort
}

# run PROGRAM [ARGUMENTS...]: runs C:\kvx\PROGRAM.exe through the launcher with the current
# KORVEX_* switches; sets EXIT_CODE to the program's full exit code.
run() {
    local program=$1
    shift
    local out
    out=$(cd "$C/kvx" && wine 'C:\kvx\korvex-launch.exe' "C:\\kvx\\$program.exe" "$@" 2>/dev/null |
        tr -d '\r')
    EXIT_CODE=$(echo "$out" | sed -n 's/^exit code //p' | tail -n 1)
    [ "$kept_server" = "$WINEPREFIX" ] || wineserver -w
}

# keep_server: the current machine's wineserver, and with it Wine's own processes, stays up
# until end_kept_server (a new machine, the end of a scenario). A run then starts in a fraction
# of a second and does not wait for them to end: when the launcher returns, the program has
# ended and its files are written.
kept_server=
keep_server() {
    # Without the caller's output: a server that stays would hold a pipe of the caller open.
    wineserver -p >/dev/null 2>&1 </dev/null
    kept_server=$WINEPREFIX
}

end_kept_server() {
    if [ -n "$kept_server" ]; then
        WINEPREFIX=$kept_server wineserver -k 2>/dev/null || true
        WINEPREFIX=$kept_server wineserver -w 2>/dev/null || true
    fi
    kept_server=
}

# answers TEXT: writes C:\answers.ini (CR LF line ends) and points KORVEX_ANSWERS at it.
answers() {
    printf '%s\n' "$1" | sed 's/$/\r/' >"$C/answers.ini"
    export KORVEX_ANSWERS='C:\answers.ini' KORVEX_LOG='C:\run.log'
    unset KORVEX_RECORD
}

# expect_exit CODE WHAT
expect_exit() {
    if [ "$EXIT_CODE" = "$1" ]; then ok "$2: exit code $1"; else bad "$2: exit code '$EXIT_CODE', expected $1"; fi
}

# expect_bytes FILE EXPECTED-TEXT: the file holds exactly the text, with CR LF line ends.
expect_bytes() {
    local file=$1 expected
    expected=$(mktemp)
    printf '%s\n' "$2" | sed 's/$/\r/' >"$expected"
    if [ -f "$file" ] && cmp -s "$file" "$expected"; then
        ok "$(basename "$file") byte for byte"
    else
        bad "$(basename "$file") differs"
        diff <(cat -A "$expected") <(cat -A "$file" 2>&1) | head -n 20
    fi
    rm -f "$expected"
}

# expect_raw FILE TEXT: the file holds exactly TEXT, no line end added.
expect_raw() {
    if [ -f "$1" ] && [ "$(cat "$1"; printf x)" = "$2x" ]; then ok "$(basename "$1") is '$2'"; else bad "$1 is not '$2'"; fi
}

expect_same() {
    if cmp -s "$1" "$2"; then ok "$(basename "$2") same as $(basename "$1")"; else bad "$2 differs from $1"; fi
}

expect_exists() {
    if [ -e "$1" ]; then ok "exists: ${1#$C/}"; else bad "missing: ${1#$C/}"; fi
}

expect_missing() {
    if [ ! -e "$1" ]; then ok "gone: ${1#$C/}"; else bad "still there: ${1#$C/}"; fi
}

# expect_log TEXT: the run's log has a line holding TEXT.
expect_log() {
    expect_line run.log "$1"
}

# expect_line FILE TEXT: the file FILE of drive C: has a line holding TEXT.
expect_line() {
    # Not grep -q: leaving early would end tr with SIGPIPE, a failure under pipefail.
    if tr -d '\r' <"$C/$1" 2>/dev/null | grep -F -- "$2" >/dev/null; then
        ok "$1: $2"
    else
        bad "$1 has no line with: $2"
    fi
}

# expect_tree DIR LISTING: the files and directories below DIR, one relative path a line,
# sorted without regard to case.
expect_tree() {
    local actual
    actual=$(cd "$1" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | sort -f)
    if [ "$actual" = "$(printf '%s\n' "$2" | sort -f)" ]; then
        ok "tree ${1#$C/}"
    else
        bad "tree ${1#$C/} differs"
        diff <(printf '%s\n' "$2" | sort -f) <(echo "$actual") | head -n 20
    fi
}

# snapshot: a listing of every file of drive C: with its checksum, but the log and the
# answer file. The system directory's files, shared with the base prefix by hard links and
# never written by the programs, are listed with their size and time instead of being read:
# that keeps a snapshot well under a second.
snapshot() {
    (cd "$C" && find . \( -path ./run.log -o -path ./answers.ini \) -prune -o -type f -links 1 \
        -print0 | sort -z | xargs -0 md5sum)
    (cd "$C" && find . -type f -links +1 -printf '%s %T@ %p\n' | sort)
}
