#!/usr/bin/env bash
# Runs the x86 reference host against the x86 DLL in a 32-bit Wine: the main scenario plus
# every handler, with the stack pointer checked around each call. Exit 0 passed, 1 failed,
# 77 when no 32-bit Wine could be set up here.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${SPACEGAUGE_BUILD:-$root/build}
stage=$build/x86/stage
x86wine=$root/../shared/x86-wine

if [ -x "$x86wine/setup" ]; then
    if ! "$x86wine/setup" >"$build/x86-wine-setup.log" 2>&1; then
        echo "!!! x86 smoke SKIPPED: ../shared/x86-wine/setup failed (see $build/x86-wine-setup.log)"
        tail -5 "$build/x86-wine-setup.log"
        exit 77
    fi
    run=("$x86wine/run")
elif command -v wine >/dev/null && wine --version >/dev/null 2>&1; then
    run=(wine)
else
    echo "!!! x86 smoke SKIPPED: no 32-bit Wine on this machine"
    exit 77
fi

# A click must open something harmless: the recorder, which writes down its arguments.
rm -f "$stage/click_recorder.log"
winpath() { echo "Z:${1//\//\\}"; }
printf '[Spacegauge1]\r\nCommand=!!%s!! smoke "x y"\r\n' "$(winpath "$stage/click_recorder.exe")" \
    >"$stage/Docklets/Spacegauge/settings.ini"

out=$("${run[@]}" "$stage/refhost.exe" --test stackcheck magic init rect:1:128x128 create:1:1 \
      "draw:1:$(winpath "$stage/smoke.png")" click:12345 edit:1 stub2 stub5 stub6 finalize unload 2>&1 | tr -d '\r')
rc=$?
rm -f "$stage/Docklets/Spacegauge/settings.ini"
echo "$out" | grep -v HostGetInstanceIndex
for _ in $(seq 50); do [ -s "$stage/click_recorder.log" ] && break; sleep 0.1; done
if [ "$rc" != 0 ]; then
    echo "x86 smoke FAILED (reference host exit $rc)"
    exit 1
fi
if ! grep -q '^arg=x y$' "$stage/click_recorder.log" 2>/dev/null; then
    echo "x86 smoke FAILED: the click did not open the recorder with its parameters"
    exit 1
fi
echo "x86 smoke passed"
