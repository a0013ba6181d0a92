#!/usr/bin/env bash
# The Windows installer under Wine: a silent installation (/S /D=folder) into a scratch folder
# of its own Wine prefix puts the programs, the reference table, the help files, the
# uninstaller and the Start-menu entry in place; the installed velmaro-cli.exe runs; the silent
# uninstallation removes all of them but leaves a Tavolin.ini that Tavolin keeps in the same
# folder (the folder is Tavolin's, so it stays too).
#
# Usage: installer_under_wine.sh SETUP OUT
#   SETUP  velmaro-setup.exe
#   OUT    a folder of the build tree for this test (its Wine prefix lives there)
set -euo pipefail

setup=$(realpath "$1")
out=$(realpath -m "$2")
wine=/usr/lib/wine/wine64
export WINEPREFIX=$out/wine-prefix WINEDEBUG=-all

fail() { echo "FALLO: $*" >&2; exit 1; }

mkdir -p "$out"
folder=$WINEPREFIX/drive_c/Tavolin-prueba
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmaro"
installed=(velmaro.exe velmaro-cli.exe NIVELLARI.DBF RUVED.chm RACIMA.chm desinstalar-velmaro.exe)

"$wine" wineboot --init >/dev/null 2>&1 || true
rm -rf "$folder" "$start_menu"

echo "== Instalación silenciosa en C:\\Tavolin-prueba"
"$wine" "$setup" /S '/D=C:\Tavolin-prueba'
/usr/lib/wine/wineserver -w
for file in "${installed[@]}"; do
  [ -f "$folder/$file" ] || fail "no se ha instalado $file"
done
[ -f "$start_menu/Velmaro.lnk" ] || fail "no hay entrada de Velmaro en el menú Inicio"
cmp "$folder/NIVELLARI.DBF" "$(dirname "$setup")/bin/NIVELLARI.DBF" ||
  fail "NIVELLARI.DBF instalado no es el construido"
"$wine" "$folder/velmaro-cli.exe" --help | grep -q "velmaro-cli exportar" ||
  fail "el velmaro-cli.exe instalado no se ejecuta"
echo "instalados: ${installed[*]} y la entrada del menú Inicio"

echo "== Desinstalación silenciosa: se va lo instalado, queda el Tavolin.ini de Tavolin"
printf '[Transformadores]\r\nTransformado=1\r\n' >"$folder/Tavolin.ini"
"$wine" "$folder/desinstalar-velmaro.exe" /S
# The uninstaller runs from a copy of itself in the temporary folder: wait for that one too.
/usr/lib/wine/wineserver -w
for file in "${installed[@]}"; do
  [ ! -e "$folder/$file" ] || fail "la desinstalación ha dejado $file"
done
[ ! -e "$start_menu" ] || fail "la desinstalación ha dejado la carpeta del menú Inicio"
[ -f "$folder/Tavolin.ini" ] || fail "la desinstalación ha borrado Tavolin.ini"

/usr/lib/wine/wineserver -k || true
echo "Instalador bajo Wine: correcto"
