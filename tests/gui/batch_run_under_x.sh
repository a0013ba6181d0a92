#!/usr/bin/env bash
# Starts the desktop program with the given arguments on the X display of xvfb-run, as a person
# would see it: waits for the file dialog that a batch run opens, cancels it with Escape,
# acknowledges the message box that follows with Return, and exits with the program's status.
# Usage: batch_run_under_x.sh PROGRAM ARGUMENT...
set -u
unset QT_QPA_PLATFORM
"$@" &
program=$!

# Gives the keyboard focus to the visible window titled exactly $1 (waiting for it up to 20 s),
# waits until the X server reports the focus there, then presses $2. The search is repeated
# rather than left to wait: xdotool gives up when a window it meets while searching goes away
# meanwhile (BadWindow), as the program's windows come and go.
press() {
  local window="" tries=0
  while [ -z "$window" ] && [ "$tries" -lt 40 ]; do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$window" ] || { sleep 0.5; tries=$((tries + 1)); }
  done
  [ -n "$window" ] || { echo "No ha aparecido la ventana '$1'" >&2; kill "$program"; exit 90; }
  xdotool windowfocus --sync "$window"
  xdotool key "$2"
}

press "Seleccione Archivo XML obtenido de RACIMA" Escape
press "Velmaro" Return
timeout 20 tail --pid="$program" -f /dev/null || { kill "$program"; exit 91; }
wait "$program"
