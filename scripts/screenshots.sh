#!/usr/bin/env bash
# Takes the README's screenshots of the desktop window under Xvfb (with the openbox window
# manager, so that the windows have their title bars): the main window before and after a run
# on the demo store, and the progress window during the product-location rebuild on the large
# demo store; and a terminal (xterm running tmux) during and after `datapatch run` on the large
# demo store. Installs what it needs from Debian's packages; writes docs/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh xvfb x11-apps imagemagick xdotool openbox xterm tmux >/dev/null
bash scripts/build.sh >/dev/null
BIN=${BUILD_DIR:-build}
WORK=$(mktemp -d)
DISPLAY_NO=:${SCREENSHOT_DISPLAY:-97}
export DISPLAY=$DISPLAY_NO LANG=C.UTF-8
Xvfb "$DISPLAY_NO" -screen 0 1024x700x24 >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB $WM 2>/dev/null || true; rm -rf "$WORK"' EXIT
sleep 1
openbox >/dev/null 2>&1 &
WM=$!
sleep 1

# The window of the gui whose title starts with $1, once it is there.
window_of() {
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return; fi
    sleep 0.2
  done
  echo "no window named $1" >&2
  exit 1
}

# Clicks the point (x, y) of the window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

shot() { import -window "$1" -frame "docs/$2"; echo "docs/$2"; }

# The main window before and after a run on the small demo store.
"$BIN/datapatch" --root "$WORK/small" demo >/dev/null
"$BIN/datapatch-gui" --root "$WORK/small" &
GUI=$!
main=$(window_of "하로나 데이타 패치")
sleep 1
shot "$main" main-window-before.png
click "$main" 460 368   # cmdStart
# The run's message boxes are answered as the command line answers them: Escape gives No to a
# question and closes a notice.
for _ in $(seq 40); do
  sleep 0.5
  for w in $(xdotool search --onlyvisible --name "." 2>/dev/null || true); do
    [ "$w" = "$main" ] && continue
    xdotool key --window "$w" Escape 2>/dev/null || true
  done
done
shot "$main" main-window-after.png
kill $GUI 2>/dev/null || true
wait $GUI 2>/dev/null || true

# The progress window while the product locations of the large store are rebuilt.
"$BIN/datapatch" --root "$WORK/large" demo --size large >/dev/null
cp -a "$WORK/large" "$WORK/sized"   # for the terminal below
"$BIN/datapatch-gui" --root "$WORK/large" &
GUI=$!
main=$(window_of "하로나 데이타 패치")
sleep 1
for _ in 1 2 3 4; do click "$main" 34 31; sleep 0.3; done   # Image1: the maintenance buttons
click "$main" 70 417   # cmd상품위치
sleep 6
import -window root "docs/progress-window.png"
echo docs/progress-window.png
kill $GUI 2>/dev/null || true
wait $GUI 2>/dev/null || true

# A terminal: the status line of `datapatch run` while it works, and the summary at its end.
SOCKET="$WORK/tmux.socket"
# The run starts once the terminal shows the session; the pane does not echo what the terminal
# answers to tmux's queries.
tmux -S "$SOCKET" -f /dev/null new-session -d -x 118 -y 34 \
  "sleep 2; stty -echo; $BIN/datapatch --root $WORK/sized run --answer no; sleep 600"
xterm -fa "DejaVu Sans Mono" -fd NanumGothicCoding -fs 10 -geometry 118x35 \
  -T datapatch-terminal -e tmux -S "$SOCKET" attach &
TERM_PID=$!
term=$(window_of "datapatch-terminal")
for _ in $(seq 600); do
  # A repair long enough to show its rate.
  tmux -S "$SOCKET" capture-pane -p 2>/dev/null | grep -q "작업 [0-9]*/[0-9]*  [0-9]*/s" && break
  sleep 0.1
done
shot "$term" terminal-run-progress.png
for _ in $(seq 600); do
  tmux -S "$SOCKET" capture-pane -p 2>/dev/null | grep -q "^log:" && break
  sleep 0.5
done
sleep 1
shot "$term" terminal-run-summary.png
tmux -S "$SOCKET" kill-server 2>/dev/null || true
kill $TERM_PID 2>/dev/null || true
