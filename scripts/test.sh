#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, then runs the native tests, the
# Windows-side tests under wine64 (with exact-figure test volumes), the x86 static checks
# and the x86 smoke run. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${SPACEGAUGE_BUILD:-$root/build}
export SPACEGAUGE_BUILD=$build

scripts/deps.sh || exit 1
scripts/build.sh || exit 1
source scripts/wine-env.sh
wine_warm

volumes=$root/tests/support/volumes.sh
cleanup() {
    "$volumes" unmount M "$build/volumes/m" >/dev/null 2>&1
    "$volumes" unmount N "$build/volumes/n" >/dev/null 2>&1
    wine_stop
}
trap cleanup EXIT
# Volume M: exactly 14 GB with 2.5 GB free; N: 100 GB with 12.25 GB free.
if "$volumes" mount M "$build/volumes/m" 15032385536 2684354560 &&
   "$volumes" mount N "$build/volumes/n" 107374182400 13153337344; then
    export SPACEGAUGE_TEST_VOLUME=M SPACEGAUGE_TEST_VOLUME2=N
else
    echo "!!! no FUSE test volumes here: the exact-figure tests will be skipped"
fi

passed=0 failed=0 skipped=0
count_ctest() {  # name dir
    local log=$build/ctest-$1.log total f s
    echo "[test] $1"
    (cd "$2" && ctest --output-on-failure --timeout 300) >"$log" 2>&1
    total=$(grep -oE 'tests failed out of [0-9]+' "$log" | grep -oE '[0-9]+$' || echo 0)
    f=$(grep -oE '[0-9]+ tests failed out of' "$log" | grep -oE '^[0-9]+' || echo 0)
    s=$(grep -c '(Skipped)' "$log")
    grep -E '(Failed|\*\*\*|Skipped\)|tests passed)' "$log" | grep -v '^\s*$' | tail -40
    [ "$total" -gt 0 ] || { echo "!!! $1 ran no test"; f=$((f + 1)); }
    passed=$((passed + total - f - s)) failed=$((failed + f)) skipped=$((skipped + s))
}

count_ctest native "$build/native"
# A first program that opens windows starts Wine's desktop process; do it before timing
# anything, so no test pays for it.
timeout 60 "$WINE64" "$build/x64/stage/wine_tests.exe" --gtest_filter='BoundaryTest.MagicId*' >/dev/null 2>&1 </dev/null
count_ctest wine64 "$build/x64"
count_ctest x86-static "$build/x86"

echo "[test] x86 smoke"
scripts/x86-smoke.sh
case $? in
    0) passed=$((passed + 1)) ;;
    77) skipped=$((skipped + 1)) ;;
    *) failed=$((failed + 1)) ;;
esac

echo "[test] fuzzing (${SPACEGAUGE_FUZZ_SECONDS:-30} s a target)"
fuzz_out=$(scripts/fuzz.sh "${SPACEGAUGE_FUZZ_SECONDS:-30}" 2>&1)
echo "$fuzz_out" | grep '^fuzz '
ok=$(grep -c '^fuzz .*, ok$' <<<"$fuzz_out")
bad=$(grep '^fuzz ' <<<"$fuzz_out" | grep -vc ', ok$')
[ "$ok" -gt 0 ] || { echo "$fuzz_out" | tail -20; bad=$((bad + 1)); }
passed=$((passed + ok)) failed=$((failed + bad))

echo
echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ]
