#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Passes when the program imports nothing but DLLs that every Windows installation has: the
# C++ runtime and its helpers must be linked in, not shipped beside it.
# Usage: check_imports.sh OBJDUMP PROGRAM
set -uo pipefail
imports=$("${1:?objdump}" -p "${2:?program}" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr A-Z a-z)
echo "imports:" $imports
system='(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|shell32|user32)\.dll'
others=$(grep -vxE "$system" <<<"$imports")
[[ -n $imports && -z $others ]] || { echo "not a system DLL (or none): $others" >&2; exit 1; }
