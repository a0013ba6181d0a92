#!/usr/bin/env bash
# One work-table folder in the Wine prefix's drive_c, as Tavolin's own under Wine, used by the
# programs of both builds: each build sees the other's run lock and held tables.
#  - A Windows program holding PROFT.DBF (velmaro-hold-file.exe: for itself alone with share
#    mode 0, or with LockFileEx over the whole file, exclusive or shared), or holding the run
#    lock (as a job of the Windows build holds it, or with LockFileEx over the whole lock
#    file), refuses a Linux `velmaro-cli exportar`, which then changes no file of the folder.
#  - A Linux job's locks (velmaro-hold-file of the Linux build: a table's exclusive or shared
#    lock, the run lock) refuse `velmaro-cli.exe exportar` under Wine in the same way.
#  - Once every holder has gone, both builds' exportar run again in the folder.
# Each holder says "retenido" once it holds the file; the refused run starts only then.
#
# Usage: locks_between_builds.sh LINUX_BUILD WINDOWS_BUILD   (with WINEPREFIX set)
set -euo pipefail

linux=$(realpath "$1")
windows=$(realpath "$2")
: "${WINEPREFIX:?WINEPREFIX sin definir}"
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
document=$source_dir/data/sample/RacimaEjemplo.xml
work=$WINEPREFIX/drive_c/TTEMP-bloqueos
work_windows='C:\TTEMP-bloqueos'
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FALLO: $*" >&2; exit 1; }

# The Windows name of a path outside the prefix (Wine's drive Z: is the root folder).
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

linux_exportar() {
  "$linux/bin/velmaro-cli" exportar --xml "$document" --work-dir "$work" \
    --program-dir "$linux/bin" --marcos 4401,4402
}

# The holders' and the keeper's ends (fds 7, 8, 9) are closed for it: a Windows program that
# happens to start the prefix's services hands them what it has open, and a holder or the
# keeper would then never see its input end.
windows_exportar() {
  "$wine" "$windows/bin/velmaro-cli.exe" exportar --xml "$(windows_path "$document")" \
    --work-dir "$work_windows" --program-dir "$(windows_path "$windows/bin")" --marcos 4401,4402 \
    7>&- 8<&- 9>&-
}

# Every file of the folder but the run lock's, with its checksum.
folder_state() {
  (cd "$work" && find . -type f ! -name velmaro-bloqueo -print0 | sort -z | xargs -0 sha256sum)
}

# Starts the holder `$@` and returns once it says it holds its file.
start_holder() {
  rm -f "$scratch/in" "$scratch/out"
  mkfifo "$scratch/in" "$scratch/out"
  "$@" <"$scratch/in" >"$scratch/out" 2>&1 9>&- &
  holder=$!
  exec 7>"$scratch/in" 8<"$scratch/out"
  local said=""
  IFS= read -r -u 8 said || true
  [[ ${said%$'\r'} == retenido ]] || fail "$* no retiene su archivo: $said"
}

# Ends the holder's input, which lets its file go, and waits for it.
stop_holder() {
  exec 7>&-
  wait "$holder" || fail "el retenedor terminó con error"
  exec 8<&-
}

# Runs `exportar` of `$1` (linux or windows) and expects it refused with `$2` in its message
# and no file of the folder changed.
expect_refused() {
  local build=$1 expected=$2 status=0
  local before
  before=$(folder_state)
  "${build}_exportar" >"$scratch/err" 2>&1 || status=$?
  [[ $status == 1 ]] || fail "exportar de $build terminó con $status, no 1: $(cat "$scratch/err")"
  grep -qF -- "$expected" "$scratch/err" || fail "exportar de $build no dice '$expected': $(cat "$scratch/err")"
  [[ $(folder_state) == "$before" ]] || fail "exportar de $build cambió la carpeta"
}

rm -rf "$work"
mkdir -p "$work"
# Wine's server keeps the files of every Windows program open, and the first Windows program
# of the prefix starts it with its own standard output: a Windows program kept running from
# the start, writing to no pipe of a holder, keeps the one server of the prefix for them all.
mkfifo "$scratch/keep"
touch "$scratch/servidor"
"$wine" "$windows/tests/velmaro-hold-file.exe" shared-lock "$(windows_path "$scratch/servidor")" \
  <"$scratch/keep" >/dev/null 2>&1 &
exec 9>"$scratch/keep"
# Ending, even on a failure, closes every holder's input and waits for them all.
trap 'exec 7>&- 9>&-; wait; rm -rf "$scratch"' EXIT
windows_exportar >/dev/null || fail "el primer exportar de Windows falló"

# Shows the case `$1`: while the holder `${@:4}` holds its file, exportar of `$2` is refused
# with `$3` in its message.
refused_while_held() {
  local name=$1 build=$2 expected=$3
  shift 3
  echo "== $name"
  start_holder "$@"
  expect_refused "$build" "$expected"
  stop_holder
}

table="está abierta en otro programa"
run="Otro trabajo de Velmaro"
windows_holder=("$wine" "$windows/tests/velmaro-hold-file.exe")
linux_holder=("$linux/tests/velmaro-hold-file")

refused_while_held "Windows: PROFT.DBF con modo de compartir 0" linux "$table" \
  "${windows_holder[@]}" share "$work_windows\\PROFT.DBF"
refused_while_held "Windows: PROFT.DBF con LockFileEx exclusivo" linux "$table" \
  "${windows_holder[@]}" lock "$work_windows\\PROFT.DBF"
refused_while_held "Windows: PROFT.DBF con LockFileEx compartido" linux "$table" \
  "${windows_holder[@]}" shared-lock "$work_windows\\PROFT.DBF"
refused_while_held "Windows: el bloqueo de un trabajo de Windows" linux "$run" \
  "${windows_holder[@]}" run "$work_windows"
refused_while_held "Windows: velmaro-bloqueo con LockFileEx" linux "$run" \
  "${windows_holder[@]}" lock "$work_windows\\velmaro-bloqueo"
refused_while_held "Linux: PROFT.DBF con bloqueo exclusivo" windows "$table" \
  "${linux_holder[@]}" lock "$work/PROFT.DBF"
refused_while_held "Linux: PROFT.DBF con bloqueo compartido" windows "$table" \
  "${linux_holder[@]}" shared-lock "$work/PROFT.DBF"
refused_while_held "Linux: el bloqueo de un trabajo de Linux" windows "$run" \
  "${linux_holder[@]}" run "$work"

echo "== sin retenedores: ambos exportar trabajan"
linux_exportar >/dev/null || fail "exportar de Linux falló sin retenedores"
windows_exportar >/dev/null || fail "exportar de Windows falló sin retenedores"
echo "Cada programa ve los bloqueos del otro"
