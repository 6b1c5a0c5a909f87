#!/usr/bin/env bash
# Checks a built Windows file without running it: it imports only system
# DLLs, and exports the given names (by their plain, undecorated names).
# usage: check-pe.sh OBJDUMP FILE [EXPORT...]
set -euo pipefail
objdump=$1 file=$2
shift 2
dump=$("$objdump" -p "$file")
status=0
system='^(KERNEL32|USER32|GDI32|ADVAPI32|OLE32|OLEAUT32|SHELL32|COMDLG32|COMCTL32|SHLWAPI|msvcrt|ucrtbase|api-ms-win-.*)\.dll$'
while read -r dll; do
  if ! grep -qiE "$system" <<<"$dll"; then
    echo "$file imports a DLL that is not part of the system: $dll"
    status=1
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
for name in "$@"; do
  if ! grep -qE "^[[:space:]]*\[[[:space:]]*[0-9]+\] \+?[a-z]*[[:space:]]*$name\$|[[:space:]]$name\$" \
      < <(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump"); then
    echo "$file does not export $name"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$file: imports only system DLLs${*:+; exports $*}"
exit $status
