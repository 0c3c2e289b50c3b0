#!/bin/sh
# The Windows program played under Wine as a player would, with xdotool on
# the X display Wine draws on (the test runs under xvfb-run, in the fresh
# Wine prefix that ./puzzle.sh test makes): in English it loads a picture,
# starts, checks, saves the game with Save As (the file must have the size
# its format gives) and exits with code 0, which writes the 16 settings
# under HKCU; in Russian the next start opens the game named on the command
# line, places the window where the stored settings say, its table must
# match the Linux puzzle-render's drawing of the same game at the same size,
# it shows the Russian texts and exits with code 0.
# Before that it checks the program holds its two icons in the order the
# association counts them.
# Usage: windows-shell-check.sh PUZZLE_EXE PUZZLE_RENDER_EXE LINUX_PUZZLE_RENDER
set -eu
exe=$1
render=$2
linux_render=$3
# The table may differ from the Linux drawing in at most this many pixels per
# 10 000, each by more than FUZZ of full scale in a channel. Both draw with
# the same software GL, which gives identical pixels here; the allowance
# takes a level of rounding from another GL build or pixel format, while a
# piece drawn in the wrong place or order (some hundreds of pixels, 0.13 % of
# the window for one overlap of two pieces) still fails.
MAX_DIFFERENT_PER_10000=5
FUZZ=2%
run="$(dirname "$0")/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/my games"

fail() {
  printf "FAILED: %s\n" "$*" >&2
  import -window root "$work/screen.png" 2>/dev/null && cp "$work/screen.png" "${TMPDIR:-/tmp}/windows-shell-check-failure.png" &&
    echo "screen: ${TMPDIR:-/tmp}/windows-shell-check-failure.png" >&2
  exit 1
}
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# Waits up to 60 s for a window whose title holds $1, then gives it the
# keyboard (there is no window manager to do so).
wait_window() {
  i=0
  until xdotool search --name "$1" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le 120 ] || fail "no window named \"$1\""
    sleep 0.5
  done
  sleep 1
  focus "$1"
}
# Gives the keyboard to the window whose title holds $1: without a window
# manager nothing does when a dialog closes.
focus() {
  xdotool search --name "$1" | head -n 1 | xargs -I{} xdotool windowfocus {} 2>/dev/null || true
}
# Keys for the game's window.
game_keys() {
  focus "^Puzzle - "
  xdotool key "$@"
}
# Waits for the game to end; its exit code must be 0.
wait_exit() {
  wait "$1" || fail "the game ended with code $?"
}

# The window's icon (1500) and the game files' (1501) are the program's only
# icon groups, in that order: the association names the second "puzzle.exe,1".
icons=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n '/^[0-9a-f]*   Entry: ID: 0x00000e,/,/^[0-9a-f]*   Entry/s/^[0-9a-f]*     Entry: ID: 0x\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')
[ "$icons" = "0005dc 0005dd " ] || fail "the program's icon groups are \"$icons\", not 1500 and 1501"

[ -x "$linux_render" ] || fail "no Linux puzzle-render at $linux_render (build the Linux tree first, as ./puzzle.sh test does)"
"$run" "$render" --make-picture --size 320x240 --out "$work/pic.png"
picture=$(windows_path "$work/pic.png")
game=$(windows_path "$work/my games/check.pzz")

# English (Wine takes the language from the C locale).
LANG=C.UTF-8 LC_ALL=C.UTF-8 "$run" "$exe" &
pid=$!
wait_window "Puzzle - QUORVANE"
game_keys F10 Down Return
wait_window "Open"
xdotool type --delay 20 "$picture"
xdotool key Return
wait_window "Puzzle - New Image: pic.png 320 x 240"
game_keys F5
# The scatter holds Check back until the pieces lie: asked again until it
# answers.
i=0
until xdotool search --name "Found out errors:" >/dev/null 2>&1; do
  i=$((i + 1))
  [ $i -le 20 ] || fail "Check did not answer"
  sleep 3
  game_keys F10 Right Right Right Down Down Down Return
done
sleep 1
focus "Found out errors:"
xdotool key Return
game_keys ctrl+shift+s
wait_window "Save As"
xdotool type --delay 20 "$game"
xdotool key Return
i=0
until [ -s "$work/my games/check.pzz" ]; do
  i=$((i + 1))
  [ $i -le 60 ] || fail "Save As wrote no file"
  sleep 0.5
done
sleep 1
# The picture's path, the 16 bytes of its terminator and the header, and 44
# bytes for each of the 12 x 9 pieces of the default 12 columns.
size=$(stat -c %s "$work/my games/check.pzz")
[ "$size" -eq $(( ${#picture} + 16 + 44 * 12 * 9 )) ] || fail "the saved game has $size bytes"
game_keys ctrl+q
wait_exit $pid

settings=$("$run" reg query 'HKCU\Software\Quorvane\Puzzle')
values=$(printf '%s\n' "$settings" | grep -c 'REG_')
[ "$values" -eq 16 ] || fail "$values settings written, not 16: $settings"
printf '%s\n' "$settings" | grep -q 'RecentGames *REG_MULTI_SZ *Z:.*check.pzz' || fail "no recent game: $settings"
# The next start must place the window as stored: 640 x 480 at 40, 30; and
# without the branded background, whose colours move all the time.
"$run" reg add 'HKCU\Software\Quorvane\Puzzle' /v Window /t REG_BINARY /d 280000001e00000080020000e0010000 /f >/dev/null
"$run" reg add 'HKCU\Software\Quorvane\Puzzle' /v Background /t REG_BINARY /d 00 /f >/dev/null
# The same game for the Linux tool: the picture's path as Linux names it.
{
  printf '%s\0' "$work/pic.png"
  tail -c +$((${#picture} + 2)) "$work/my games/check.pzz"
} >"$work/linux.pzz"

# Compares the table (the GL child window inside the game's window) with the
# Linux drawing of the same game at its size, until the loaded game's hint
# has faded (some 12 s) or 60 s have passed.
compare_table() {
  child=$(xwininfo -tree -id "$(xdotool search --name "$1" | head -n 1)" |
    sed -n 's/^ *0x.* \([0-9]*x[0-9]*\)+[0-9]*+[0-9]* *+\([0-9]*\)+\([0-9]*\)$/\1 \2 \3/p' | head -n 1)
  [ -n "$child" ] || fail "the game's window holds no table"
  set -- $child
  size=$1 left=$2 top=$3
  "$linux_render" --game "$work/linux.pzz" --size "$size" --out "$work/linux.png" || fail "the Linux tool drew nothing"
  # The pointer's first move ends the branded caption; it then stays off
  # the window.
  xdotool mousemove $((left + ${size%x*} / 2)) $((top + ${size#*x} / 2))
  sleep 0.5
  xdotool mousemove 0 1023
  limit=$(( ${size%x*} * ${size#*x} * MAX_DIFFERENT_PER_10000 / 10000 ))
  i=0
  while :; do
    sleep 2
    import -window root -crop "$size+$left+$top" +repage "$work/windows.png"
    # compare says 0 for alike, 1 for different and 2 when it cannot compare;
    # the count may come in exponent form.
    status=0
    differing=$(compare -metric AE -fuzz "$FUZZ" "$work/windows.png" "$work/linux.png" "$work/difference.png" 2>&1) || status=$?
    [ $status -le 1 ] || fail "the table could not be compared: $differing"
    differing=$(printf '%s\n' "$differing" | awk '{ printf "%d", $1 }')
    if [ "$differing" -le "$limit" ]; then
      echo "The table matches the Linux drawing: $differing of $size pixels differ (at most $limit)"
      return 0
    fi
    i=$((i + 1))
    if [ $i -ge 30 ]; then
      for image in windows linux difference; do cp "$work/$image.png" "${TMPDIR:-/tmp}/windows-shell-check-$image.png"; done
      fail "the table differs from the Linux drawing in $differing of $size pixels (at most $limit); see ${TMPDIR:-/tmp}/windows-shell-check-{windows,linux,difference}.png"
    fi
  done
}

# Russian, with the game on the command line (Wine quotes a path with a
# blank, as the association does).
if locale -a | grep -qi '^ru_RU.utf-\?8$'; then
  LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 "$run" "$exe" "$game" &
  pid=$!
  wait_window "check.pzz"
  width=$(xwininfo -id "$(xdotool search --name 'check.pzz' | head -n 1)" | sed -n 's/.*Width: //p')
  [ "$width" -lt 700 ] || fail "the window is $width pixels wide, not as stored"
  compare_table "check.pzz"
  # Help, then its third item: About.
  i=0
  until xdotool search --name "О программе..." >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le 20 ] || fail "About did not open"
    game_keys Escape Escape F10 Right Right Down Down Down Return
    sleep 3
  done
  sleep 1
  focus "О программе..."
  xdotool key Return
  game_keys ctrl+q
  wait_exit $pid
else
  fail "the ru_RU.UTF-8 locale is missing (./puzzle.sh test makes it)"
fi
echo "The Windows program played in English and Russian"
