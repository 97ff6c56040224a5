#!/usr/bin/env bash
# The shipped programs' load-time imports (the PE import tables, objdump -p):
# each DLL is one README's Privacy section lists, all KnownDLLs, which Windows
# never takes from the program's folder. Any other DLL must be delay-loaded
# from the system folder (not in these tables).
#
#   import_tables_test.sh OBJDUMP README PROGRAM...
set -euo pipefail
objdump=$1
readme=$2
shift 2

# "... they import only DLLs on Windows' KnownDLLs list (kernel32, user32, ...)"
listed=$(tr '\n' ' ' <"$readme" | grep -oP "KnownDLLs list \(\K[^)]*" | tr -d ' ' | tr ',' '\n')
[[ -n $listed ]] || { echo "FAIL: no KnownDLLs list in $readme"; exit 1; }
status=0
for program in "$@"; do
  imports=$("$objdump" -p "$program" | awk '/^[^ \t]/ { on = /^The Import Tables/ }
    on && sub(/^\tDLL Name: /, "") { print tolower($0) }' | sed 's/\.dll$//' | sort -u)
  echo "$(basename "$program"):" $imports
  [[ -n $imports ]] || { echo "FAIL: no import table read"; status=1; }
  for dll in $imports; do
    grep -qx "$dll" <<<"$listed" || { echo "FAIL: $dll.dll is loaded before the program's first step"; status=1; }
  done
done
exit $status
