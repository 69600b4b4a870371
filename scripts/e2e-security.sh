# End-to-end attacks on the two programs, which run with administrator rights on PCs where
# other people sign in with standard accounts: links (Unix symlinks, which Wine shows as
# reparse points) and folders a standard user could have made at the root of C:, planted where
# the programs read and write. Each scenario checks what the attack must not achieve: the
# link's target untouched, nothing planted reaching the installation directory, and the run's
# exit code and log lines. Sourced by scripts/test-wine-e2e.

# reused_machine NAME [prepare-machine options]: the machine NAME, made by `machine` at its
# first use in this run and put back as it was made at every later use: its registry and drive
# C:, but the system directory's files shared with the base prefix by hard links (the programs
# only add files to system32\drivers\etc, which is put back too). Much cheaper than a new one.
# Its wineserver is kept up (keep_server) until the next reuse.
reused_machines=" "
reused_machine() {
    local name=$1
    shift
    local prefix="$KORVEX_WINE_HOME/e2e/$name" saved="$KORVEX_WINE_HOME/e2e/$name.saved" entry
    if [[ "$reused_machines" != *" $name "* ]]; then
        machine "$name" "$@"
        rm -rf "$saved"
        mkdir -p "$saved/drive_c/windows/system32/drivers"
        (cd "$prefix" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$saved/" \;)
        (cd "$C" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$saved/drive_c/" \;)
        (cd "$WIN" && find . -mindepth 1 -maxdepth 1 ! -name system32 ! -name winsxs \
            -exec cp -a {} "$saved/drive_c/windows/" \;)
        cp -a "$WIN/system32/drivers/etc" "$saved/drive_c/windows/system32/drivers/"
        reused_machines+="$name "
        keep_server
        return
    fi
    end_kept_server
    export WINEPREFIX="$prefix"
    C="$WINEPREFIX/drive_c"
    WIN="$C/windows"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # rm does not follow links: a planted link goes, its target stays.
    for entry in "$prefix"/* "$prefix"/.[!.]* "$C"/* "$WIN"/* "$WIN/system32/drivers/etc"; do
        case "$entry" in
        "$C" | "$WIN" | "$WIN/system32" | "$WIN/winsxs" | */'.[!.]*') ;;
        *) rm -rf "$entry" ;;
        esac
    done
    cp -a "$saved/." "$prefix/"
    keep_server
}

# listing DIR: every entry below DIR, links not followed (type, name, a link's target), and
# every file's checksum. Empty when DIR is gone.
listing() {
    (cd "$1" 2>/dev/null && find . -mindepth 1 -printf '%y %p %l\n' | sort &&
        find . -type f -print0 | sort -z | xargs -0r md5sum)
}

# expect_unchanged WHAT DIR BEFORE: DIR's listing is still BEFORE.
expect_unchanged() {
    local after
    after=$(listing "$2")
    if [ "$after" = "$3" ]; then
        ok "$1 unchanged"
    else
        bad "$1 changed"
        diff <(echo "$3") <(echo "$after") | head -n 10
    fi
}

# plant_victim: C:\users\victim\private, another user's folder (its owner's and the
# administrators' only: mode 0750) holding two files; sets VICTIM (its Unix path) and
# VICTIM_BEFORE (its listing) for expect_victim_untouched.
plant_victim() {
    VICTIM="$C/users/victim/private"
    mkdir -p "$VICTIM"
    printf 'private diary\r\n' >"$VICTIM/diary.txt"
    printf 'key material\r\n' >"$VICTIM/keys.dat"
    chmod 0750 "$C/users/victim" "$VICTIM"
    VICTIM_BEFORE=$(listing "$VICTIM")
}

expect_victim_untouched() {
    expect_unchanged 'the victim folder C:\users\victim\private' "$VICTIM" "$VICTIM_BEFORE"
}

# plant_link WINDOWS-PATH: a link at WINDOWS-PATH (below C:\) to the victim folder, as a
# standard user could make one.
plant_link() {
    local path
    path="$C/$(echo "${1#C:\\}" | tr '\\' /)"
    ln -s "$VICTIM" "$path"
}

# expect_refusal WORD PATH: the run's log has a line holding both WORD and PATH (without regard
# to case: a Windows path may be written in any case).
expect_refusal() {
    if tr -d '\r' <"$C/run.log" 2>/dev/null | grep -iF -- "$1" | grep -iF -- "$2" >/dev/null; then
        ok "run.log: $1 ... $2"
    else
        bad "run.log has no line with '$1' and '$2'"
    fi
}

# The answers of a run of VarenInstall that completes on a machine with KORVEx installed and
# nothing else: no map conversion, no Mira maps, the dialogs' settings as they come.
plain_answers='[VarenInstall]
UpdateKorvexSettings=Yes
UpdateYmvSettings=No
[KORVExConf]
Button=OK
Maps=NoConversion
CopyMira=No
[SystemType]
Button=OK'

# The answers of upgradeprep on an earlier installation: keep its configuration.
keep_answers='[upgradeprep]
SearchAndDelete=Yes
KeepConfiguration=Yes'

product_dir() {
    echo "$C/Program Files (x86)/KORVEx Control"
}

scenario_security_planted_holding() {
    echo "== a holding directory planted by a standard user is not restored from"
    reused_machine security --product 7.1.0.0 --cdrom E
    local dir before
    dir=$(product_dir)
    before=$(md5sum <"$dir/korvex.exe")
    mkdir "$C/tmptelm"
    printf 'planted library\r\n' >"$C/tmptelm/version.dll"
    printf 'planted program\r\n' >"$C/tmptelm/korvex.exe"
    chmod 0777 "$C/tmptelm"
    answers "$plain_answers"
    run VarenInstall
    expect_exit 1603 "VarenInstall with C:\\tmptelm writable by everyone"
    if [ "$(md5sum <"$dir/korvex.exe")" = "$before" ]; then ok "korvex.exe unchanged"; else bad "korvex.exe replaced"; fi
    expect_missing "$dir/version.dll"
    expect_exists "$C/tmptelm/version.dll"
    expect_exists "$C/tmptelm/korvex.exe"
    expect_refusal refuse 'C:\tmptelm'

    rm -rf "$C/tmptelm" "$C/run.log"
    plant_victim
    plant_link 'C:\tmptelm'
    run VarenInstall
    expect_exit 1603 "VarenInstall with C:\\tmptelm a link to a folder of mode 0750"
    expect_victim_untouched
    expect_missing "$dir/diary.txt"
    expect_refusal refuse 'C:\tmptelm'
}

scenario_security_holding_link() {
    echo "== upgradeprep keeps no configuration through a planted C:\\tmptelm link"
    reused_machine security-earlier --earlier
    plant_victim
    plant_link 'C:\tmptelm'
    local before
    before=$(listing "$C/korvex")
    answers "$keep_answers"
    run upgradeprep 7.1.0.0
    expect_exit 1603 "upgradeprep with C:\\tmptelm a link"
    expect_victim_untouched
    expect_unchanged 'C:\korvex' "$C/korvex" "$before"
    expect_refusal refuse 'C:\tmptelm'
}

scenario_security_tcpip_link() {
    echo "== upgradeprep deletes nothing through a planted C:\\korvex\\TCPIP link"
    reused_machine security-earlier --earlier
    plant_victim
    rm -rf "$C/korvex/TCPIP"
    plant_link 'C:\korvex\TCPIP'
    local before
    before=$(listing "$C/korvex")
    answers "$keep_answers"
    run upgradeprep 7.1.0.0
    expect_exit 1603 "upgradeprep with C:\\korvex\\TCPIP a link"
    expect_victim_untouched
    expect_unchanged 'C:\korvex' "$C/korvex" "$before"
    expect_refusal refuse 'C:\korvex\TCPIP'
}

scenario_security_part_link() {
    echo "== the map tree is not copied through a planted C:\\TELMIMAP.part link"
    reused_machine security --product 7.1.0.0 --cdrom E
    plant_victim
    plant_link 'C:\TELMIMAP.part'
    answers "$plain_answers"
    run VarenInstall
    expect_exit 0 "VarenInstall with C:\\TELMIMAP.part a link"
    expect_victim_untouched
    if [ -d "$C/TELMIMAP" ] && [ ! -L "$C/TELMIMAP" ]; then ok "C:\\TELMIMAP is a directory"; else bad "C:\\TELMIMAP is no directory of its own"; fi
    if diff -r "$(product_dir)/TELMIMAP" "$C/TELMIMAP" >/dev/null 2>&1; then
        ok "C:\\TELMIMAP holds the delivered tree, file for file"
    else
        bad "C:\\TELMIMAP differs from the delivered tree"
    fi
}

# Answers that convert the old maps and copy no Mira maps.
convert_answers='[VarenInstall]
UpdateKorvexSettings=Yes
UseCcfMaps=Yes
ContinueIntoExistingMaps=Yes
UpdateYmvSettings=No
[KORVExConf]
Button=OK
Maps=Convert
CopyMira=No
[SystemType]
Button=OK'

scenario_security_map_dir_link() {
    echo "== old maps are not converted into a planted C:\\TELMIMAP link"
    reused_machine security --product 7.1.0.0 --cdrom E
    plant_victim
    plant_link 'C:\TELMIMAP'
    mkdir "$C/MAP"
    printf 'planted library\r\n' >"$C/MAP/evil.dll"
    answers "$convert_answers"
    run VarenInstall
    expect_exit 1603 "VarenInstall with C:\\TELMIMAP a link"
    expect_victim_untouched
    expect_refusal refuse 'C:\TELMIMAP'
}

scenario_security_map_source_link() {
    echo "== converting the old maps does not copy a folder C:\\MAP links to"
    reused_machine security --product 7.1.0.0 --cdrom E
    plant_victim
    mkdir -p "$C/MAP/site"
    printf 'ccf 1\r\n' >"$C/MAP/one.ccf"
    printf 'ccf 2\r\n' >"$C/MAP/site/two.ccf"
    plant_link 'C:\MAP\secrets'
    answers "$convert_answers"
    run VarenInstall
    expect_exit 0 "VarenInstall with C:\\MAP\\secrets a link"
    if [ -z "$(ls -A "$C/TELMIMAP/secrets" 2>/dev/null)" ]; then ok "nothing copied from the link"; else bad "the victim's files were copied to C:\\TELMIMAP\\secrets"; fi
    expect_same "$C/MAP/one.ccf" "$C/TELMIMAP/one.ccf"
    expect_same "$C/MAP/site/two.ccf" "$C/TELMIMAP/site/two.ccf"
    expect_victim_untouched
    expect_refusal skip 'C:\MAP\secrets'
}

scenario_security_system_dir_link() {
    echo "== Mira maps are not copied into a planted system directory link"
    reused_machine security --product 7.1.0.0 --cdrom E
    plant_victim
    cp -a "$(product_dir)/TELMIMAP" "$C/TELMIMAP"
    plant_link 'C:\TELMIMAP\S01'
    answers '[VarenInstall]
UpdateKorvexSettings=Yes
CopyMiraMaps=Yes
UpdateYmvSettings=No
[KORVExConf]
Button=OK
Maps=NoConversion
CopyMira=Yes
[MiraCopy]
Button=OK
Systems=1
[SystemType]
Button=OK'
    run VarenInstall
    expect_exit 1603 "VarenInstall with C:\\TELMIMAP\\S01 a link"
    expect_victim_untouched
    expect_refusal refuse 'C:\TELMIMAP\S01'
}

scenario_security_log_link() {
    echo "== a log path through a planted link stops both programs before anything"
    local program before
    reused_machine security --product 7.1.0.0 --cdrom E
    answers "$plain_answers
[upgradeprep]
Upgrade=Yes"
    export KORVEX_LOG='C:\logs\run.log'
    for program in VarenInstall upgradeprep; do
        rm -rf "$C/users/victim" "$C/logs"
        plant_victim
        plant_link 'C:\logs'
        before=$(snapshot)
        run "$program" 7.1.0.0
        expect_exit 1603 "$program with KORVEX_LOG=C:\\logs\\run.log, C:\\logs a link"
        expect_missing "$VICTIM/run.log"
        expect_victim_untouched
        if [ "$(snapshot)" = "$before" ]; then ok "nothing changed"; else bad "the machine changed"; fi
    done
}

scenario_security_relative_switches() {
    echo "== relative log and record paths stop both programs before anything"
    local program before
    reused_machine security --product 7.1.0.0 --cdrom E
    # Each check's own snapshot: a run that goes on changes the machine the next one starts on.
    for program in VarenInstall upgradeprep; do
        answers "$plain_answers
[upgradeprep]
Upgrade=Yes"
        export KORVEX_LOG=run.log
        before=$(snapshot)
        run "$program" 7.1.0.0
        expect_exit 1603 "$program with KORVEX_LOG=run.log"
        if [ "$(snapshot)" = "$before" ]; then ok "nothing changed"; else bad "the machine changed"; fi
    done
    # The record's path is checked with the log's, before the answer file is read, so the check
    # shows without a window (an interactive run says it in a message box).
    export KORVEX_RECORD=recorded.ini KORVEX_LOG='C:\run.log'
    for program in VarenInstall upgradeprep; do
        before=$(snapshot)
        run "$program" 7.1.0.0
        expect_exit 1603 "$program with KORVEX_RECORD=recorded.ini"
        expect_log 'KORVEX_RECORD=recorded.ini is not an absolute path'
        rm -f "$C/run.log"
        if [ "$(snapshot)" = "$before" ]; then ok "nothing changed"; else bad "the machine changed"; fi
    done
    unset KORVEX_RECORD
}

scenario_security_holding_protected() {
    echo "== the holding directory upgradeprep makes is closed to others, and restored from"
    reused_machine security-earlier --earlier
    # A read-only configuration file is handed over too (Wine reads a file without write
    # permission as read-only).
    printf 'layout\r\n' >"$C/korvex/layout.cfg"
    chmod a-w "$C/korvex/layout.cfg"
    answers "$keep_answers"
    run upgradeprep 7.1.0.0
    expect_exit 0 "upgradeprep keeping the configuration"
    local mode
    mode=$(stat -c %a "$C/tmptelm" 2>/dev/null)
    if [ -n "$mode" ] && [ "${mode: -1}" = 0 ]; then ok "C:\\tmptelm has mode $mode"; else bad "C:\\tmptelm has mode '$mode', open to others"; fi
    install_product 7.1.0.0
    answers "$plain_answers"
    run VarenInstall
    expect_exit 0 "VarenInstall restoring from C:\\tmptelm"
    local dir
    dir=$(product_dir)
    expect_bytes "$dir/cnetio.ini" '[Net]
Port=4001'
    expect_bytes "$dir/csuinfo.cfg" '[csuinfo.cfg]
kept=1'
    expect_exists "$dir/studio.4kp"
    expect_bytes "$dir/layout.cfg" 'layout'
    expect_missing "$C/tmptelm"
}

security_scenarios="security_planted_holding security_holding_link security_tcpip_link
    security_part_link security_map_dir_link security_map_source_link security_system_dir_link
    security_log_link security_relative_switches security_holding_protected"
