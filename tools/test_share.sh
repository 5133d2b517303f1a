#!/bin/sh
# The tests' share of the code: non-blank lines of tests/ (cpp, h, py, sh)
# against those of src/ (cpp, h).
root=${1:-$(dirname "$0")/..}
count() {
    dir=$1
    shift
    find "$dir" -type f \( "$@" \) -exec cat {} + | grep -c '[^[:space:]]'
}
tests=$(count "$root/tests" -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh')
src=$(count "$root/src" -name '*.cpp' -o -name '*.h')
awk -v t="$tests" -v s="$src" 'BEGIN { printf "tests %d, src %d, share %.2f\n", t, s, t / s }'
