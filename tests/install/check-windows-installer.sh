#!/usr/bin/env bash
# Installs the Windows program silently into a fresh Wine prefix, checks the files, the Start-menu
# entry and the uninstall registration, starts the installed program, uninstalls it silently and
# checks that nothing is left. With the window tests, it also runs the installed verb's own command
# once per file, as Explorer does. Needs a display (run under xvfb-run).
#   check-windows-installer.sh SETUP.EXE [WIN32_WINDOW_TESTS.EXE]
set -euo pipefail
setup="$1"
window_tests="${2:-}"
prefix="$(mktemp -d /tmp/kelvanter-wine-XXXXXX)"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvanter'
verb='HKCU\Software\Classes\*\shell\KelvanterVernichten'
folder_verb='HKCU\Software\Classes\Directory\shell\KelvanterVernichten'
folder="$prefix/drive_c/Program Files/Kelvanter"
link="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kelvanter.lnk"
free_space_link="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kelvanter - Freien Speicher überschreiben.lnk"

wineboot --init >/dev/null 2>&1
wineserver -w
wine "$setup" /S
wineserver -w

[ -f "$folder/kelvanter.exe" ] || fail "no kelvanter.exe under Program Files"
[ -f "$folder/handbuch.md" ] || fail "no handbook under Program Files"
[ -f "$folder/Deinstallieren.exe" ] || fail "no uninstaller"
[ -f "$link" ] || fail "no Start-menu entry"
[ -f "$free_space_link" ] || fail "no Start-menu entry for overwriting the free space"
wine reg query "$key" /v DisplayName /reg:64 2>/dev/null | grep -q Kelvanter || fail "not registered under Apps & Features"
wine reg query "$key" /v QuietUninstallString /reg:64 2>/dev/null | grep -q '/S' || fail "no quiet uninstall"
for key_of_verb in "$verb" "$folder_verb"; do
    wine reg query "$key_of_verb" /ve /reg:64 2>/dev/null | grep -q "Mit Kelvanter vernichten" ||
        fail "no context-menu verb under $key_of_verb"
    wine reg query "$key_of_verb" /v MultiSelectModel /reg:64 2>/dev/null | grep -q Player ||
        fail "the verb under $key_of_verb is not offered for many items"
    wine reg query "$key_of_verb\command" /ve /reg:64 2>/dev/null | grep -qF 'kelvanter.exe" --add -- "%1"' ||
        fail "the verb under $key_of_verb does not hand the item to the gathering window"
done

# The verb's command as registered, started once per file: both files reach one window.
if [ -n "$window_tests" ]; then
    command=$(wine reg query "$verb\command" /ve /reg:64 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
    KELVANTER_VERB_COMMAND="$command" wine "$window_tests" \
        --gtest_filter='Win32Window.TheVerbStartedOncePerFileGathersTheFilesIntoOneWindow' >"$prefix/verb.log" 2>&1 ||
        fail "the installed verb did not gather two files into one window: $(tail -20 "$prefix/verb.log")"
    grep -q "1 test.*PASSED\|PASSED.*1 test" "$prefix/verb.log" || fail "the verb's test did not run"
fi

# The installed program starts and shows its window.
wine "C:\\Program Files\\Kelvanter\\kelvanter.exe" &
shown=""
for _ in $(seq 60); do
    shown=$(xdotool search --name '^Kelvanter$' 2>/dev/null | head -1 || true)
    [ -n "$shown" ] && break
    sleep 0.5
done
[ -n "$shown" ] || fail "the installed program showed no window"
wineserver -k || true
wineserver -w || true

wine "C:\\Program Files\\Kelvanter\\Deinstallieren.exe" /S
wineserver -w
[ ! -e "$folder" ] || fail "the program folder is left: $(ls "$folder")"
[ ! -e "$link" ] || fail "the Start-menu entry is left"
[ ! -e "$free_space_link" ] || fail "the free-space Start-menu entry is left"
if wine reg query "$key" /reg:64 >/dev/null 2>&1; then fail "the uninstall registration is left"; fi
for key_of_verb in "$verb" "$folder_verb"; do
    if wine reg query "$key_of_verb" /reg:64 >/dev/null 2>&1; then fail "the context-menu verb $key_of_verb is left"; fi
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "installed, started and uninstalled without a trace"
