#!/usr/bin/env bash
# Passes when the program imports nothing but DLLs that every Windows installation has: the
# C++ runtime and its helpers must be linked in, not shipped beside it.
# Usage: check_imports.sh OBJDUMP PROGRAM
set -uo pipefail
objdump=${1:?objdump} program=${2:?program}
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[[ -n $imports ]] || { echo "no imports found in $program" >&2; exit 1; }
status=0
for dll in $imports; do
    if [[ $system_dlls == *" $dll "* ]]; then
        echo "system DLL: $dll"
    else
        echo "not a system DLL: $dll" >&2
        status=1
    fi
done
exit $status
