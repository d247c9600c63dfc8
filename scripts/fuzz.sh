#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs each one for a bounded
# time, starting from the seed corpus in fuzz/corpus. Fails when a target
# finds a crash, a hang or a leak; the input is left in build-fuzz/artifacts.
#   fuzz.sh [seconds per target]     default 20
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The compiler cache sees paths inside the checkout as relative ones, so a
# checkout in another folder (CI's fresh clone) reuses what was compiled here.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
seconds=${1:-20}
dir=$top/build-fuzz

# target:seed folder:dictionary:longest input
targets=(
  fuzz_playlist_m3u:m3u:playlist:8192
  fuzz_playlist_asx:asx:playlist:8192
  fuzz_playlist_sequence:sequence:playlist:8192
  fuzz_wav_playlist:wav:wav:4096
  fuzz_run_control:run:run:8192
  fuzz_help_text:help:html:16384
  fuzz_ltc_decoder:ltc:ltc:16384
  fuzz_pbus_line:pbus:pbus:8192
  fuzz_archive:archive:playlist:4096
  fuzz_net_link:net:net:8192
  fuzz_burn_list:burnlist:burnlist:60000
)

cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTAMBERLINE_FUZZ=ON -DTAMBERLINE_TESTS=OFF -DTAMBERLINE_BENCH=OFF -DTAMBERLINE_WERROR=ON
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]%%:*}"

mkdir -p "$dir/artifacts"
for target_entry in "${targets[@]}"; do
  IFS=: read -r target seeds dict maxlen <<<"$target_entry"
  # New inputs go to a corpus of the build, never into the committed seeds.
  work=$dir/corpus/$target
  mkdir -p "$work"
  echo "fuzz: $target for ${seconds}s"
  "$dir/fuzz/$target" "$work" "$top/fuzz/corpus/$seeds" \
    -dict="$top/fuzz/dict/$dict.dict" -max_len="$maxlen" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$dir/artifacts/$target-" \
    -print_final_stats=1
done
