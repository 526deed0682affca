#!/usr/bin/env bash
# Times `pbx extract` against `tar -xf` on 8191 files of 1-4 KiB, and against
# `cp` on one 1 GiB file, and prints the ratios and each one's peak memory.
#
#   bench/extract_bench.sh [BUILD_DIR]     (default: build)
#
# Environment: RUNS (timed runs per command, default 5; the median counts),
# WORK (scratch directory, default a new one under /var/tmp, removed at the
# end; it needs about 4 GiB). Exit status 1 when a target is missed.
# Targets: pbx <= 1.0x tar, pbx <= 1.1x cp, peak RSS < 16 MiB, judged on the
# medians. The fastest runs are shown too: on a busy machine they say more
# about the programs than about the neighbours. On a virtual disk, creating
# 8191 files can turn from 0.2 s into 1.5 s or more for both tools alike,
# depending on where the file system places the new inodes; the ratio then
# stays near 1 but the seconds say little.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
[[ $build = /* ]] || build=$root/$build
runs=${RUNS:-5}

if [ ! -x "$build/cli/pbx" ]; then
  [ -f "$build/build.ninja" ] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPBX_BUILD_GUI=OFF
  cmake --build "$build" --target pbx
fi
pbx=$build/cli/pbx

if [ -n "${WORK:-}" ]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d /var/tmp/pbx-bench.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi

# --- inputs -----------------------------------------------------------------

make_inputs() {
  echo "Preparing inputs in $work ..."
  rm -rf "$work/small" "$work/big"
  mkdir -p "$work/small" "$work/big"
  # 8191 files of 1024 to 4096 random bytes.
  (cd "$work" && perl -e '
    srand(8191);
    open(my $rnd, "<:raw", "/dev/urandom") or die;
    for my $i (1 .. 8191) {
      my $size = 1024 + int(rand(3073));
      read($rnd, my $data, $size) == $size or die;
      my $name = sprintf("small/f%05d.bin", $i);
      open(my $out, ">:raw", $name) or die "$name: $!";
      print $out $data or die;
      close($out) or die;
    }')
  (cd "$work/small" && "$pbx" create ../small.pbx f*.bin)
  tar -cf "$work/small.tar" -C "$work/small" .
  head -c 1073741824 /dev/urandom > "$work/big/big.bin"
  "$pbx" create "$work/big.pbx" "$work/big/big.bin"
  sync
}

# --- timing -----------------------------------------------------------------

# One timed run of the command text CMD (it writes into "$out", a new empty
# directory): appends its seconds to the array times_NAME and raises
# rss_NAME (KiB) to its peak RSS. With remove_each=0 the outputs stay until
# compare ends: deleting thousands of small files right before a run makes
# that run wait for the file system's journal. Large outputs are removed
# after each run instead, since a pile of them slows every later run.
seq=0
remove_each=0
time_once() {
  local name=$1 cmd=$2
  local -n times=times_$name rss=rss_$name
  local start end kb
  out=$work/out.$((++seq))
  mkdir "$out" && sync
  start=$EPOCHREALTIME
  eval "/usr/bin/time -v -o \"\$work/time.txt\" $cmd" > /dev/null
  end=$EPOCHREALTIME
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  if ((kb > rss)); then rss=$kb; fi
  if ((remove_each)); then rm -rf "$out"; fi
}

median() {  # median NAME: of the array times_NAME
  local -n times=times_$1
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'
}

fastest() {  # fastest NAME: the least of the array times_NAME
  local -n times=times_$1
  printf '%s\n' "${times[@]}" | sort -g | head -n 1
}

# compare A CMD_A B CMD_B: one untimed warm-up each, then $runs timed
# rounds, A and B taking turns to go first, so that the load of a shared
# machine falls on both alike. Sets elapsed_A and elapsed_B (medians) and
# best_A and best_B (fastest runs).
compare() {
  local a=$1 cmd_a=$2 b=$3 cmd_b=$4 i
  declare -ga "times_$a=()" "times_$b=()"
  declare -g "rss_$a=0" "rss_$b=0"
  time_once "$a" "$cmd_a"; time_once "$b" "$cmd_b"
  declare -ga "times_$a=()" "times_$b=()"
  for ((i = 0; i < runs; i++)); do
    if ((i % 2 == 0)); then
      time_once "$a" "$cmd_a"; time_once "$b" "$cmd_b"
    else
      time_once "$b" "$cmd_b"; time_once "$a" "$cmd_a"
    fi
  done
  printf -v "elapsed_$a" '%s' "$(median "$a")"
  printf -v "elapsed_$b" '%s' "$(median "$b")"
  printf -v "best_$a" '%s' "$(fastest "$a")"
  printf -v "best_$b" '%s' "$(fastest "$b")"
  rm -rf "$work"/out.*
  sync
}

make_inputs
echo "Timing ($runs rounds, median) ..."
compare pbx_small '"$pbx" extract "$work/small.pbx" "$out"' \
        tar_small 'tar -xf "$work/small.tar" -C "$out"'
remove_each=1
compare pbx_big '"$pbx" extract "$work/big.pbx" "$out"' \
        cp_big 'cp "$work/big/big.bin" "$out/big.bin"'

# --- report -----------------------------------------------------------------

ratio_small=$(awk -v a="$elapsed_pbx_small" -v b="$elapsed_tar_small" 'BEGIN {print a / b}')
ratio_big=$(awk -v a="$elapsed_pbx_big" -v b="$elapsed_cp_big" 'BEGIN {print a / b}')
limit_kb=$((16 * 1024))
rss_pbx=$((rss_pbx_small > rss_pbx_big ? rss_pbx_small : rss_pbx_big))

missed=0
verdict() {  # verdict NAME VALUE LIMIT: sets verdict_NAME to ok or MISSED
  local v=ok
  awk -v a="$2" -v b="$3" 'BEGIN {exit !(a <= b)}' || { v=MISSED; missed=1; }
  printf -v "verdict_$1" '%s' "$v"
}
verdict small "$ratio_small" 1.0
verdict big "$ratio_big" 1.1
verdict rss "$rss_pbx" $((limit_kb - 1))

printf '\n%-34s %9s %9s %12s\n' "" "median s" "best s" "peak RSS"
printf '%-34s %9.3f %9.3f %9d KiB\n' \
  "pbx extract, 8191 files 1-4 KiB" "$elapsed_pbx_small" "$best_pbx_small" "$rss_pbx_small" \
  "tar -xf, the same files" "$elapsed_tar_small" "$best_tar_small" "$rss_tar_small" \
  "pbx extract, one 1 GiB entry" "$elapsed_pbx_big" "$best_pbx_big" "$rss_pbx_big" \
  "cp, the same 1 GiB file" "$elapsed_cp_big" "$best_cp_big" "$rss_cp_big"
echo
echo "each run (s), in the order run:"
for name in pbx_small tar_small pbx_big cp_big; do
  declare -n each=times_$name
  printf '  %-10s' "$name"
  printf ' %.3f' "${each[@]}"
  echo
done
printf 'ratios of the fastest runs: small files %.2fx, 1 GiB entry %.2fx\n' \
  "$(awk -v a="$best_pbx_small" -v b="$best_tar_small" 'BEGIN {print a / b}')" \
  "$(awk -v a="$best_pbx_big" -v b="$best_cp_big" 'BEGIN {print a / b}')"
echo "ratios of the medians, against the targets:"
printf 'small files: pbx / tar = %.2fx (target <= 1.0x)  %s\n' "$ratio_small" "$verdict_small"
printf '1 GiB entry: pbx / cp  = %.2fx (target <= 1.1x)  %s\n' "$ratio_big" "$verdict_big"
printf 'peak RSS of pbx: %d KiB and %d KiB (target < %d KiB)  %s\n' \
  "$rss_pbx_small" "$rss_pbx_big" "$limit_kb" "$verdict_rss"
exit $missed
