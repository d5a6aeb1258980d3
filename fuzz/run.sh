#!/usr/bin/env bash
# Builds fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build/fuzz) and runs them side by side for
# the given number of seconds. New inputs go to build/fuzz/found/<target>/,
# crashes to build/fuzz/found/<target>-*.
#   fuzz/run.sh [seconds] [target...]      (default: 600 s, every target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
seconds=${1:-600}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELUMO_FUZZ=ON -DVELUMO_SANITIZE=ON -DVELUMO_TESTS=OFF -DVELUMO_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"
mkdir -p "$build/found"
pids=()
for target in "${targets[@]}"; do
  mkdir -p "$build/found/$target"
  # A picture may be as large as 16384 x 16384: decoding one, converting it
  # and copying it into a canvas bitmap peaks near 3 GiB by design.
  rss=2048
  [ "$target" = image_decode_fuzz ] && rss=6144
  (QT_QPA_PLATFORM=offscreen "$build/fuzz/$target" "$build/found/$target" "$root/fuzz/corpus/$target" \
     -max_total_time="$seconds" -rss_limit_mb="$rss" -artifact_prefix="$build/found/$target-" \
     >"$build/found/$target.log" 2>&1) &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
for target in "${targets[@]}"; do echo "== $target"; tail -n 2 "$build/found/$target.log"; done
exit $status
