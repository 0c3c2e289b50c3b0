#!/bin/sh
# Runs the Windows installer silently (/S) in a Wine prefix made afresh for
# the check, as on a player's machine, and checks what it put in place: the
# program and the manual pages, the Start-menu entry, the ".pzz" association
# under HKCU\Software\Classes and the uninstall entry; then runs the
# uninstaller silently and checks that all of it is gone. Needs a display
# (Xvfb). Usage: windows-installer-check.sh INSTALLER PROGRAM_NAME
set -eu
installer=$(readlink -f "$1")
program=$2
wine="$(dirname "$(readlink -f "$0")")/wine-run.sh"
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver --kill 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT

fail() {
  printf 'FAILED: %s\n' "$*" >&2
  exit 1
}
# The default value of a key, or nothing when the key is missing.
default_of() {
  "$wine" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}
unix_path() {
  "$wine" winepath -u "$1" | tr -d '\r'
}

"$wine" wineboot --init
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvanePuzzle'
"$wine" "$installer" /S
wineserver --wait

folder=$("$wine" reg query "$uninstall_key" /v InstallLocation | tr -d '\r' |
  sed -n 's/^ *InstallLocation *REG_SZ *//p')
[ -n "$folder" ] || fail "no uninstall entry"
unix_folder=$(unix_path "$folder")
for file in "$program" manual.htm help.htm uninstall.exe; do
  [ -n "$(find "$unix_folder" -name "$file")" ] || fail "$file is not installed in $folder"
done
program_path="$folder\\$(cd "$unix_folder" && find . -name "$program" | sed 's|^\./||; s|/|\\|g')"
shortcut="$(unix_path "$("$wine" cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs/Puzzle.lnk"
[ -f "$shortcut" ] || fail "no Start-menu entry"
[ "$(default_of 'HKCU\Software\Classes\.pzz')" = TessarineFiles ] || fail ".pzz is not registered"
command=$(default_of 'HKCU\Software\Classes\TessarineFiles\shell\open\command')
[ "$command" = "\"$program_path\" \"%1\"" ] || fail "the open command is $command"

"$wine" "$folder\\uninstall.exe" /S
wineserver --wait
[ ! -e "$unix_folder" ] || fail "$folder is left: $(find "$unix_folder")"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
for key in 'HKCU\Software\Classes\.pzz' 'HKCU\Software\Classes\TessarineFiles' "$uninstall_key"; do
  ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "$key is left"
done
printf 'Installed and uninstalled in %s\n' "$folder"
