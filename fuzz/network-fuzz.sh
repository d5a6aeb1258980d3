#!/usr/bin/env bash
# Builds the XML and gzip fuzz targets with clang, libFuzzer and
# AddressSanitizer straight from app/network/ (they need nothing else of the
# program), then runs each for the given number of seconds (default 600),
# both at once. New inputs go to build/network-fuzz/<target>/, crashes to
# build/network-fuzz/.
#   fuzz/network-fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/network-fuzz
seconds=${1:-600}
mkdir -p "$out/bin"
flags=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
  -I"$root/app/network" -I/usr/include/libxml2 $(pkg-config --cflags Qt6Core))
libs=($(pkg-config --libs Qt6Core) -lxml2 -lz)
for target in xml_fuzz gzip_fuzz; do
  clang++ "${flags[@]}" "$root/fuzz/$target.cpp" "$root"/app/network/{DOMXML,VN}*.cpp "${libs[@]}" -o "$out/bin/$target"
done
pids=()
for target in xml_fuzz gzip_fuzz; do
  mkdir -p "$out/$target"
  (cd "$out" && bin/"$target" "$target" "$root/fuzz/corpus/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
     -artifact_prefix="$out/$target-" >"$out/$target.log" 2>&1) &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
for target in xml_fuzz gzip_fuzz; do tail -n 3 "$out/$target.log"; done
exit $status
