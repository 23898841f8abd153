#!/usr/bin/env bash
# Checks the shipping form of a Windows DLL: its machine type, that its export table names exactly the
# expected functions, that each stdcall export pops the right number of argument bytes, and that it
# imports nothing beyond Windows' own DLLs.
# Usage: check-shipping.sh OBJDUMP DLL FORMAT EXPORT[@BYTES]...
#   FORMAT is pei-i386 or pei-x86-64; EXPORT@BYTES marks a stdcall export taking BYTES of arguments.
set -euo pipefail
objdump=$1 dll=$2 format=$3
shift 3
fail() { echo "FAIL: $(basename "$dll"): $*"; exit 1; }

headers=$("$objdump" -p "$dll")
grep -q "file format $format" <<<"$headers" || fail "not $format"

expected=$(for e in "$@"; do echo "${e%@*}"; done | sort)
actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && /^[[:space:]]*\[ *[0-9]+\]/{print $NF; next} t && NF==0{t=0}' <<<"$headers" | sort)
[ "$expected" = "$actual" ] || fail "exports are [$(echo $actual)], expected [$(echo $expected)]"

allowed='^(KERNEL32|USER32|GDI32|COMCTL32|ADVAPI32|SHELL32|COMDLG32|OLE32|WINSPOOL|msvcrt)\.(dll|DRV)$'
while read -r name; do
  grep -qiE "$allowed" <<<"$name" || fail "imports $name"
done < <(awk '/DLL Name:/{print $3}' <<<"$headers")

# A stdcall function cleans its own arguments: its first return is "ret $BYTES".
if [ "$format" = pei-i386 ]; then
  disassembly=$("$objdump" -d "$dll")
  for e in "$@"; do
    [[ $e == *@* ]] || continue
    name=${e%@*} bytes=${e#*@}
    ret=$(awk -v sym="<_${name}@${bytes}>:" '$2==sym{f=1} f&&/\tret/{print $NF; exit}' <<<"$disassembly")
    [ "$ret" = "\$0x$(printf '%x' "$bytes")" ] || fail "$name does not return with ret \$$bytes (found '$ret')"
  done
fi
# A build without test hooks (the shipping form) carries none.
if [ "${ABK_NO_TEST_HOOKS:-}" = 1 ] && grep -qa BKCONV_TEST_FAULT "$dll"; then
  fail "holds the test hook BKCONV_TEST_FAULT"
fi
echo "ok: $(basename "$dll") ($format): $(echo $actual)"
