#!/usr/bin/env bash
# Runs every fuzzer of a build for a bounded time, a few side by side, each on
# a copy of its seeds in the build folder so the repository is never changed.
# Fails when any of them finds an input that breaks the program; that input is
# left in <build>/fuzz/run/artifacts/<target>/ to become a regression test.
#
#   fuzz/run_fuzzers.sh <build folder> [seconds each] [how many at once]
set -uo pipefail

build=$(cd "$1" && pwd)
seconds=${2:-60}
parallel=${3:-2}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
work=$build/fuzz/run

rm -rf "$work"
mkdir -p "$work"
# Files the fuzzers write go to memory when it can: the program syncs every
# file it writes, and a disk would hold each run up.
scratch=$(mktemp -d /dev/shm/tarn-fuzz.XXXXXX 2>/dev/null || mktemp -d "$work/tmp.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0}

# One seed folder per fuzzer: fuzz/corpus/<target> goes with <build>/fuzz/fuzz_<target>.
targets=$(cd "$here/corpus" && ls)

run_one() {
    local target=$1
    mkdir -p "$work/corpus/$target" "$work/artifacts/$target"
    cp "$here/corpus/$target"/* "$work/corpus/$target/"
    local options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10
                   -print_final_stats=1 -artifact_prefix="$work/artifacts/$target/")
    [ -f "$here/$target.dict" ] && options+=(-dict="$here/$target.dict")
    "$build/fuzz/fuzz_$target" "${options[@]}" "$work/corpus/$target" >"$work/$target.log" 2>&1
    echo $? >"$work/$target.status"
}

running=0
for target in $targets; do
    run_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

failed=0
for target in $targets; do
    log=$work/$target.log
    status=$(cat "$work/$target.status" 2>/dev/null || echo missing)
    runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9a-zA-Z]*' "$log" | tail -1)
    printf 'fuzz_%-9s exit %s  %s  %s\n' "$target" "$status" "${runs:-no summary}" "$cov"
    if [ "$status" != 0 ]; then
        failed=1
        echo "---- last lines of $log"
        tail -n 60 "$log"
        echo "---- inputs kept:"
        ls -l "$work/artifacts/$target"
    fi
done
exit "$failed"
