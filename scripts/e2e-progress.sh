# End-to-end check of the programs' progress as the Windows Installer's user interface gets it:
# the package installed through an external user interface (korvex-msi-ui.exe) that writes down
# every message, on a PC with an earlier pre-package installation, so that upgradeprep keeps the
# configuration and deletes the earlier version and VarenInstall copies the map trees and the
# Mira sets. Sourced by scripts/test-wine-e2e.

# action_messages FILE ACTION: the messages of FILE between ACTION's starts and its ends or the
# next action's start (a deferred action starts twice: when it is scheduled and when it runs).
# Under Wine the start that runs a deferred action has no action text, so that its action data
# reads "1: <caption> " rather than the caption alone.
action_messages() {
    tr -d '\r' <"$1" | awk -F'\t' -v action="$2" '
        $1 == "actionstart" { inside = index($2, ": " action ".") > 0; next }
        $1 == "info" && $2 ~ /^Action ended/ && index($2, ": " action ".") { inside = 0 }
        inside'
}

# expect_step_ticks WHAT MESSAGES: every step (action data) is followed by the progress
# addition of its ticks before any report, and its reports add up to that addition; at least
# one step has ticks. Prints the ticks.
expect_step_ticks() {
    local verdict
    verdict=$(printf '%s\n' "$2" | awk -F'\t' '
        function close_step() { if (open != 0) { bad = bad " step \"" caption "\" reports " added - open " of " added } }
        $1 == "actiondata" { close_step(); caption = $2; open = 0; added = 0; steps++ }
        $1 == "progress" && $2 == 3 { if (added) bad = bad " a second addition for \"" caption "\""; open = added = $3; total += $3 }
        $1 == "progress" && $2 == 2 { open -= $3; reported += $3; if (open < 0) bad = bad " reports before or beyond the addition of \"" caption "\"" }
        END { close_step(); if (total == 0) bad = bad " no ticks"; print (bad ? "FAILED:" bad : "ok") " (" steps + 0 " steps, " total + 0 " ticks added, " reported + 0 " reported)" }')
    case $verdict in
    ok*) ok "$1: each step's reports add up to its addition ${verdict#ok }" ;;
    *) bad "$1: ${verdict#FAILED:}" ;;
    esac
}

# expect_caption WHAT MESSAGES TEXT: an action-data message holds TEXT.
expect_caption() {
    if printf '%s\n' "$2" | awk -F'\t' '$1 == "actiondata" { print $2 }' | grep -F -- "$3" >/dev/null; then
        ok "$1 action data: $3"
    else
        bad "$1 has no action data with: $3"
    fi
}

scenario_progress() {
    echo "== the programs' progress reaches an external user interface of the Windows Installer"
    machine progress --earlier --cdrom E --old-maps
    cp "$KORVEX_BIN/korvex-msi-ui.exe" "$C/kvx/"
    package 7.1.0.0
    site_answers site.ini '[upgradeprep]' SearchAndDelete=Yes KeepConfiguration=Yes
    local out
    out=$(cd "$C" && env -u KORVEX_ANSWERS -u KORVEX_LOG -u KORVEX_RECORD -u KORVEX_PROGRESS \
        wine 'C:\kvx\korvex-launch.exe' 'C:\kvx\korvex-msi-ui.exe' 'C:\messages.txt' "$MSI" \
        'KORVEX_ANSWERS=C:\site.ini' 'KORVEX_LOG=C:\korvex.log' 2>/dev/null | tr -d '\r')
    EXIT_CODE=$(echo "$out" | sed -n 's/^exit code //p' | tail -n 1)
    wineserver -w
    expect_exit 0 "MsiInstallProduct($MSI) through the external user interface"
    expect_line korvex.log 'VarenInstall end -> exit code 0'

    local upgrade front
    upgrade=$(action_messages "$C/messages.txt" RunUpgradePrep)
    front=$(action_messages "$C/messages.txt" RunVarenInstall)
    expect_caption RunUpgradePrep "$upgrade" 'Keeping the configuration files in C:\tmptelm'
    expect_caption RunUpgradePrep "$upgrade" 'Deleting the earlier version from C:\korvex'
    expect_step_ticks RunUpgradePrep "$upgrade"
    expect_caption RunVarenInstall "$front" 'Copying the map tree to C:\TELMIMAP'
    expect_caption RunVarenInstall "$front" 'Copying the Mira maps for system 10: studio'
    expect_step_ticks RunVarenInstall "$front"
    if tr -d '\r' <"$C/messages.txt" | grep -F 'actionstart' | grep -F 'Copying the maps and writing the KORVEx settings' >/dev/null; then
        ok "RunVarenInstall starts with its description"
    else
        bad "no action start with RunVarenInstall's description"
    fi
}

progress_scenarios="progress"
