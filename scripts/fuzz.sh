#!/usr/bin/env bash
# Builds the libFuzzer targets of the portable code and runs each for N seconds (first
# argument, default 30) on a copy of its seed corpus. One line per target; exits non-zero
# when a target fails to build or finds a crash, leak or timeout.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-30}
out=${SPACEGAUGE_BUILD:-$root/build}/fuzz

case $seconds in
    '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

declare -A sources=(
    [fuzz_integer_text]="src/settings/text_forms.cpp"
    [fuzz_color_text]="src/settings/text_forms.cpp"
    [fuzz_command]="src/settings/text_forms.cpp src/launch/command_split.cpp"
    [fuzz_expand_template]="src/label/label_template.cpp src/label/volume_path.cpp"
)
targets=(fuzz_integer_text fuzz_color_text fuzz_command fuzz_expand_template)

mkdir -p "$out"
failed=0
for target in "${targets[@]}"; do
    echo "[build] $target"
    # shellcheck disable=SC2086  # the source list is meant to split
    if ! clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -I src "fuzz/$target.cpp" ${sources[$target]} \
        -o "$out/$target"; then
        echo "fuzz $target: 0 executions, BUILD FAILED"
        failed=1
    fi
done
[ "$failed" = 0 ] || exit 1

for target in "${targets[@]}"; do
    corpus=$out/corpus/$target
    artifacts=$out/artifacts/$target
    log=$out/$target.log
    # A fresh copy each run: what the fuzzer adds never reaches the repository.
    rm -rf "$corpus" "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp -r "fuzz/corpus/$target/." "$corpus/"
    (cd "$out" && "./$target" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$artifacts/" "$corpus") >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -1)
    if [ -z "$runs" ]; then
        # No summary after a finding: the last progress line is a lower bound.
        runs=">=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')"
    fi
    if [ "$rc" = 0 ]; then
        status=ok
    else
        finding=$(grep -m1 -oE 'ERROR: libFuzzer: [a-z -]+|ERROR: (Address|Leak)Sanitizer: [a-z-]+|runtime error: .*|property violated: .*' "$log")
        status="FAILED (${finding:-exit $rc}); log $log, artifacts $artifacts"
        failed=1
    fi
    echo "fuzz $target: $runs executions, $status"
done
exit "$failed"
