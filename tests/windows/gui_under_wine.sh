#!/usr/bin/env bash
# The Win32 windows of velmaro.exe under Wine on an X display of Xvfb, driven as Tavolin and a
# person would drive them: tavolin-batch.exe (Tavolin's side of the batch protocol) starts
# velmaro.exe, xdotool answers its dialogs, and the result code that tavolin-batch reads from
# Tavolin.ini is checked; the tables that velmaro.exe writes are compared with velmaro-cli.exe's
# for the same document. Screenshots of TMForm and TPlantillas are kept in OUT and their sizes
# checked.
#
# Usage: gui_under_wine.sh BIN OUT SAMPLE_XML
#   BIN         the Windows build's program folder (velmaro.exe, velmaro-cli.exe,
#               tavolin-batch.exe, NIVELLARI.DBF)
#   OUT         a folder of the build tree for this test: its Wine prefix, scratch folders and
#               the screenshots tmform.png and tplantillas.png
#   SAMPLE_XML  the sample school's exchange document (two timetable frameworks)
set -euo pipefail

if [ -z "${VELMARO_GUI_TEST_DISPLAY:-}" ]; then
  export VELMARO_GUI_TEST_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

bin=$(realpath "$1")
out=$(realpath -m "$2")
sample=$(realpath "$3")
wine=/usr/lib/wine/wine64
export WINEPREFIX=$out/wine-prefix WINEDEBUG=-all
unset VELMARO_HOME VELMARO_TTEMP

# Wine maps the Linux root to drive Z:, so /a/b is Z:\a\b for a Windows program.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Keeps a picture of the whole screen beside the screenshots, to see what stood in the way.
fail() {
  echo "FALLO: $*" >&2
  import -window root "$out/fallo.png" 2>/dev/null && echo "pantalla en $out/fallo.png" >&2
  exit 1
}

# The first visible window titled exactly $1, waiting up to 60 s for it (a fresh Wine prefix
# takes a while to start). A search that meets a window being destroyed fails and is repeated.
find_window() {
  local window="" attempt
  for attempt in $(seq 120); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || fail "no ha aparecido la ventana '$1'"
  echo "$window"
}

# Focuses the window titled $1 and presses the keys that follow.
press() {
  local window
  window=$(find_window "$1")
  shift
  sleep 0.5
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key "$@"
}

# Focuses the window titled $1 and types $2 into its focused control.
type_into() {
  local window
  window=$(find_window "$1")
  sleep 0.5
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool type --delay 20 "$2"
}

# Clicks at $2, $3 in the client area of X window $1.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Clicks at $2, $3 in the client area of the window titled $1.
click_in() {
  click_at "$(find_window "$1")" "$2" "$3"
}

# Clicks the OK button of the message box (caption "Velmaro"): Wine centres it near the box's
# bottom edge. A click, because without a window manager Wine does not always hand the
# keyboard to a box that a dialog opens while it closes.
acknowledge() {
  local box width height
  box=$(find_window "Velmaro")
  sleep 0.5
  read -r width height < <(xdotool getwindowgeometry "$box" |
                           sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')
  click_at "$box" $((width / 2)) $((height - 21))
  wait_gone "$box" "el mensaje no se ha cerrado con su botón OK"
}

# Waits up to 30 s for X window $1 to be gone from the screen; fails with message $2 if not.
wait_gone() {
  local attempt
  for attempt in $(seq 60); do
    xdotool search --onlyvisible --name "." 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.5
  done
  fail "$2"
}

# The window titled $1 that is not X window $2 (a dialog shown again in place of one that is
# going away).
find_other_window() {
  local window="" attempt
  for attempt in $(seq 120); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "$2" | head -1) || true
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || fail "no ha vuelto a aparecer la ventana '$1'"
  echo "$window"
}

# Saves window $2 as $1 and checks that the picture is $3 x $4: Wine's X window of a top-level
# window is its client area (the frame is the window manager's, and Xvfb runs none).
screenshot() {
  local file=$1 window=$2
  sleep 1
  import -window "$window" "$file"
  local size
  size=$(identify -format '%wx%h' "$file")
  [ "$size" = "${3}x$4" ] || fail "la captura $file mide $size; el área de cliente es ${3}x$4"
  echo "captura $file: $size"
}

# A fresh program folder as an installation has it (velmaro.exe and NIVELLARI.DBF; the help
# files left out), with tavolin-batch.exe.
program_folder() {
  rm -rf "$1" && mkdir -p "$1"
  cp "$bin/velmaro.exe" "$bin/tavolin-batch.exe" "$bin/NIVELLARI.DBF" "$1/"
}

# Runs tavolin-batch.exe for velmaro.exe in program folder $1 with command $2, in the
# background; its output goes to $1/resultado.txt.
start_batch() {
  "$wine" "$1/tavolin-batch.exe" "$(windows_path "$1")" "$2" >"$1/resultado.txt" 2>"$1/errores.txt" &
  batch=$!
}

# Waits for tavolin-batch and checks the result code it printed against $2.
expect_result() {
  timeout 120 tail --pid="$batch" -f /dev/null || fail "velmaro.exe no ha terminado"
  wait "$batch" || fail "tavolin-batch ha fallado: $(cat "$1/errores.txt")"
  local result
  result=$(tr -d '\r\n' <"$1/resultado.txt")
  [ "$result" = "$2" ] || fail "Transformado es '$result'; se esperaba $2"
  echo "Transformado = $result"
}

# The work tables of folders $1 and $2 are the same files with the same bytes, but for the
# date of last change in their headers.
same_tables() {
  /usr/bin/python3 - "$1" "$2" <<'EOF'
import pathlib, sys
def tables(folder):
    found = {}
    for path in pathlib.Path(folder).iterdir():
        if path.suffix.upper() in (".DBF", ".MDX"):
            data = bytearray(path.read_bytes())
            data[1:4] = b"\0\0\0"
            found[path.name.upper()] = bytes(data)
    return found
gui, cli = tables(sys.argv[1]), tables(sys.argv[2])
if not gui or sorted(gui) != sorted(cli):
    sys.exit("tablas distintas: %s frente a %s" % (sorted(gui), sorted(cli)))
different = [name for name in gui if gui[name] != cli[name]]
if different:
    sys.exit("contenido distinto en " + ", ".join(sorted(different)))
print("%d tablas idénticas a las de velmaro-cli.exe" % len(gui))
EOF
}

# The tables velmaro-cli.exe writes for document $1 into folder $2 (further options follow).
cli_tables() {
  local document=$1 folder=$2
  shift 2
  rm -rf "$folder" && mkdir -p "$folder"
  "$wine" "$bin/velmaro-cli.exe" exportar --xml "$(windows_path "$document")" \
    --work-dir "$(windows_path "$folder")" --program-dir "$(windows_path "$bin")" "$@" >/dev/null
}

mkdir -p "$out"
rm -f "$out/tmform.png" "$out/tplantillas.png"
# The sample school with one timetable framework: the second JORNADAS_ESCOLARES record removed.
/usr/bin/python3 - "$sample" "$out/un-marco.xml" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
section = data.index(b'<grupo_datos seq="JORNADAS_ESCOLARES" registros="2">')
second = data.index(b'<grupo_datos seq="ID_ORDEN" num_fila="2">', section)
end = data.index(b"</grupo_datos>", second) + len(b"</grupo_datos>")
head = data[section:second].replace(b'registros="2"', b'registros="1"').rstrip()
open(sys.argv[2], "wb").write(data[:section] + head + data[end:])
EOF

main_title="Exportar e importar datos entre Tavolin y Racima"
open_title="Seleccione Archivo XML obtenido de RACIMA"
frameworks_title="Planillas, Marcos o Jornadas Horarias"

echo "== Sin argumentos: la ventana espera; F1 y F1 Ayuda sin ayuda instalada avisan; Salir cierra sin Tavolin.ini"
prog=$out/programa-interactivo
program_folder "$prog"
export VELMARO_TTEMP
VELMARO_TTEMP=$(windows_path "$out/ttemp-interactivo")
mkdir -p "$out/ttemp-interactivo"
"$wine" "$prog/velmaro.exe" &
program=$!
window=$(find_window "$main_title")
screenshot "$out/tmform.png" "$window" 632 266
# No help file in this program folder: F1 and "F1 Ayuda" each say so in a message box.
press "$main_title" F1
acknowledge
click_in "$main_title" $((263 + 37)) $((168 + 64 + 12))  # Button1, "F1 Ayuda", in Draw3D1
acknowledge
click_in "$main_title" $((256 + 44)) $((168 + 32 + 12))  # BClose, "&Salir", in Draw3D1
timeout 60 tail --pid="$program" -f /dev/null || fail "Salir no ha cerrado la ventana"
[ ! -e "$prog/Tavolin.ini" ] || fail "el modo interactivo ha escrito Tavolin.ini"

echo "== Con los archivos de ayuda: F1 abre RUVED.chm y F1 Ayuda RACIMA.chm en HTML Help"
prog=$out/programa-con-ayuda
program_folder "$prog"
cp "$bin/RUVED.chm" "$bin/RACIMA.chm" "$prog/"
"$wine" "$prog/velmaro.exe" &
program=$!
press "$main_title" F1
help_window=$(find_window "Ayuda de Velmaro")  # the title of RUVED.chm
press "Ayuda de Velmaro" alt+F4
wait_gone "$help_window" "Alt+F4 no ha cerrado la ayuda"
click_in "$main_title" $((263 + 37)) $((168 + 64 + 12))  # "F1 Ayuda"
help_window=$(find_window "Velmaro y Racima")  # the title of RACIMA.chm
press "Velmaro y Racima" alt+F4
wait_gone "$help_window" "Alt+F4 no ha cerrado la ayuda"
click_in "$main_title" $((256 + 44)) $((168 + 32 + 12))  # "&Salir"
timeout 60 tail --pid="$program" -f /dev/null || fail "Salir no ha cerrado la ventana"

echo "== exportar, diálogo de archivo cancelado: 'No existe archivo' y Transformado = -1"
prog=$out/programa-cancelado
program_folder "$prog"
VELMARO_TTEMP=$(windows_path "$out/ttemp-cancelado")
mkdir -p "$out/ttemp-cancelado"
start_batch "$prog" exportar
press "$open_title" Escape
acknowledge
expect_result "$prog" -1

echo "== exportar sin NIVELLARI.DBF: el aviso, la ventana sigue abierta; Salir da Transformado = 0"
prog=$out/programa-sin-nivellari
program_folder "$prog"
rm "$prog/NIVELLARI.DBF"
VELMARO_TTEMP=$(windows_path "$out/ttemp-sin-nivellari")
mkdir -p "$out/ttemp-sin-nivellari"
start_batch "$prog" exportar
type_into "$open_title" "$(windows_path "$out/un-marco.xml")"
press "$open_title" Return
acknowledge  # "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale VELMARO"
click_in "$main_title" $((256 + 44)) $((168 + 32 + 12))  # BClose, "&Salir"
expect_result "$prog" 0

echo "== exportar con un documento de un marco horario: Transformado = 1, tablas de velmaro-cli.exe"
prog=$out/programa-un-marco
program_folder "$prog"
rm -rf "$out/ttemp-un-marco" && mkdir -p "$out/ttemp-un-marco"
VELMARO_TTEMP=$(windows_path "$out/ttemp-un-marco")
start_batch "$prog" exportar
type_into "$open_title" "$(windows_path "$out/un-marco.xml")"
press "$open_title" Return
acknowledge  # "Proceso finalizado"
expect_result "$prog" 1
cli_tables "$out/un-marco.xml" "$out/cli-un-marco"
same_tables "$out/ttemp-un-marco" "$out/cli-un-marco"

echo "== importar tras el horario de tavolin-sim.exe: Transformado = 1, el documento de velmaro-cli.exe"
"$wine" "$bin/tavolin-sim.exe" --work-dir "$(windows_path "$out/ttemp-un-marco")" >/dev/null
rm -rf "$out/importar-gui" "$out/importar-cli" && mkdir -p "$out/importar-gui" "$out/importar-cli"
cp "$out/un-marco.xml" "$out/importar-gui/"
cp "$out/un-marco.xml" "$out/importar-cli/"
rm -rf "$out/ttemp-importar-cli" && cp -r "$out/ttemp-un-marco" "$out/ttemp-importar-cli"
start_batch "$prog" importar
type_into "$open_title" "$(windows_path "$out/importar-gui/un-marco.xml")"
press "$open_title" Return
acknowledge  # "Proceso finalizado"
expect_result "$prog" 1
"$wine" "$bin/velmaro-cli.exe" importar --xml "$(windows_path "$out/importar-cli/un-marco.xml")" \
  --work-dir "$(windows_path "$out/ttemp-importar-cli")" --program-dir "$(windows_path "$bin")" >/dev/null
rm -rf "$out/ttemp-importar-cli"
# The two result documents differ only in the time of writing (fecha).
/usr/bin/python3 - "$out/importar-gui/ResultadoOrvikun-marco.xml" \
                   "$out/importar-cli/ResultadoOrvikun-marco.xml" <<'EOF2'
import re, sys
def without_fecha(name):
    return re.sub(rb'fecha="[^"]*"', b'fecha=""', open(name, "rb").read(), count=1)
gui, cli = without_fecha(sys.argv[1]), without_fecha(sys.argv[2])
if gui != cli:
    sys.exit("el documento de resultado de velmaro.exe no es el de velmaro-cli.exe")
print("documento de resultado idéntico al de velmaro-cli.exe (%d bytes)" % len(gui))
EOF2

echo "== exportar con dos marcos horarios: TPlantillas, el primero elegido, Transformado = 1"
prog=$out/programa-dos-marcos
program_folder "$prog"
rm -rf "$out/ttemp-dos-marcos" && mkdir -p "$out/ttemp-dos-marcos"
VELMARO_TTEMP=$(windows_path "$out/ttemp-dos-marcos")
start_batch "$prog" exportar
type_into "$open_title" "$(windows_path "$sample")"
press "$open_title" Return
first_dialog=$(find_window "$frameworks_title")
sleep 1
# "Continuar" with nothing selected: "Debe al menos seleccionar 1 Marco Horario.", then the
# dialog comes again, and the first framework is chosen in it.
click_at "$first_dialog" $((255 + 44)) $((253 + 12))
acknowledge
window=$(find_other_window "$frameworks_title" "$first_dialog")
sleep 1
click_at "$window" 40 109  # the first framework of ListBox2
screenshot "$out/tplantillas.png" "$window" 370 282
click_at "$window" $((255 + 44)) $((253 + 12))  # "Continuar"
acknowledge  # "Proceso finalizado"
expect_result "$prog" 1
first_framework=$(/usr/bin/python3 - "$sample" <<'EOF'
import re, sys
data = open(sys.argv[1], "rb").read()
section = data[data.index(b'seq="JORNADAS_ESCOLARES"'):]
print(re.search(rb'nombre_dato="X_JORNADA">([^<]*)<', section).group(1).decode("ascii"))
EOF
)
cli_tables "$sample" "$out/cli-dos-marcos" --marcos "$first_framework"
same_tables "$out/ttemp-dos-marcos" "$out/cli-dos-marcos"

/usr/lib/wine/wineserver -k || true
echo "Ventanas Win32 bajo Wine: correctas (capturas en $out)"
