#!/usr/bin/env bash
# Static checks of the x86 product DLL: export names and ordinals, the module name in the
# export directory, imports from system DLLs only, and every stdcall entry removing exactly
# its argument bytes (ret $N).
set -uo pipefail
dll=$1
objdump=i686-w64-mingw32-objdump
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

headers=$($objdump -p "$dll")

grep -qE '^Name[[:space:]].*Spacegauge\.dll$' <<<"$headers" \
    && pass "export directory names Spacegauge.dll" || fail "export directory module name"

# Ordinal = index in the export address table + ordinal base.
base=$(awk '/^Ordinal Base/ {print $3}' <<<"$headers")
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print} on && /^$/ {exit}' <<<"$headers")
for want in "1 Q_Finalization" "2 Q_Initialization" "3 GetMagicID"; do
    ordinal=${want%% *} name=${want#* }
    line=$(grep -E "\] $name$" <<<"$exports")
    [ -n "$line" ] || { fail "export $name missing"; continue; }
    index=$(sed -E 's/^\s*\[\s*([0-9]+)\].*/\1/' <<<"$line")
    got=$((index + base))
    [ "$got" = "$ordinal" ] && pass "export $name ordinal $got" || fail "export $name has ordinal $got, not $ordinal"
done
count=$(grep -c '\]' <<<"$exports")
[ "$count" = 3 ] && pass "exactly three exports" || fail "$count exports: $exports"

allowed='^(kernel32|user32|gdi32|gdiplus|shell32|comctl32|comdlg32|msvcrt|advapi32|ole32|oleaut32|mpr|uxtheme|shlwapi|version|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
while read -r lib; do
    lower=${lib,,}
    [[ $lower =~ $allowed ]] && pass "imports $lib" || fail "imports non-system DLL $lib"
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")

for entry in Q_Initialization@4 Q_Finalization@0 GetMagicID@0 Q_OnCreate@4 Q_Stub2@16 \
             Q_OnClick@4 Q_OnEdit@4 Q_Stub5@12 Q_Stub6@4 Q_OnDraw@8; do
    bytes=${entry##*@}
    body=$($objdump -d --no-show-raw-insn --disassemble="_$entry" "$dll" 2>/dev/null \
           | sed -n '/<_'"$entry"'>:/,$p')
    [ -n "$body" ] || { fail "$entry: no code found"; continue; }
    rets=$(grep -oE '\sret[l]?(\s+\$0x[0-9a-f]+)?\s*$' <<<"$body" | tr -s ' \t' ' ' | sort -u)
    want=$([ "$bytes" = 0 ] && echo " ret" || printf ' ret $0x%x' "$bytes")
    if [ -z "$rets" ]; then
        fail "$entry: no return found"
    elif [ "$rets" = "$want" ]; then
        pass "$entry removes $bytes bytes"
    else
        fail "$entry returns with: $(tr '\n' ',' <<<"$rets") (want$want)"
    fi
done

echo "x86 static checks: $failures failed"
[ "$failures" = 0 ]
