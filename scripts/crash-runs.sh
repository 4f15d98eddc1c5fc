#!/usr/bin/env bash
# Kills patch runs at random moments and checks that running again reaches exactly the state of
# a run that was never interrupted.
#
#   scripts/crash-runs.sh [--kind mdb|sql|both] [--count N] [--size large|N] [--seed S]
#                         [--work DIR]
#
# For each kind: builds the demo store once, patches one copy without interruption (the
# reference, timed), then N times: a fresh copy, a run killed with SIGKILL after a random
# moment within the reference's duration, a second run to its end (it must succeed), and a
# dump of every database file under the root compared with the reference's. The dumps hold
# schema and rows (sqlite3 .dump); the moments the run writes (the history's NV_Date, the
# change times the repairs stamp on rows: today's date with a time of day) are masked, as two
# uninterrupted runs differ there too. The history holds one row per finished pass: a kill
# after the store pass has written its row makes the second run's store pass a second finished
# pass, which adds its row as any second run does. Such repeated rows (same date, version and
# text) are counted and shown, and the history is compared as its distinct rows. Prints one line per kill and a
# summary; exit 1 when any dump differs or a second run fails. Defaults: both kinds, 20 kills
# each, the large store, seed 1, work in ./build/crash-runs. The moments come from
# $CRASH_SEED (default 1), so a failing series can be repeated.
set -euo pipefail
cd "$(dirname "$0")/.."

KINDS=(mdb sql)
COUNT=20
SIZE=large
SEED=1
WORK=build/crash-runs
while [ $# -gt 0 ]; do
  case "$1" in
    --kind) if [ "$2" = both ]; then KINDS=(mdb sql); else KINDS=("$2"); fi; shift 2 ;;
    --count) COUNT=$2; shift 2 ;;
    --size) SIZE=$2; shift 2 ;;
    --seed) SEED=$2; shift 2 ;;
    --work) WORK=$2; shift 2 ;;
    *) echo "crash-runs: unknown argument $1" >&2; exit 64 ;;
  esac
done

BUILD_DIR=${BUILD_DIR:-build}
if [ -z "${DATAPATCH:-}" ]; then
  bash scripts/install-deps.sh >/dev/null
  cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
  cmake --build "$BUILD_DIR" --target datapatch -j "${JOBS:-$(nproc)}" >/dev/null
  DATAPATCH=$BUILD_DIR/datapatch
fi
DATAPATCH=$(realpath "$DATAPATCH")
RANDOM=${CRASH_SEED:-1}
mkdir -p "$WORK"
WORK=$(realpath "$WORK")

now_ms() { date +%s%3N; }
TODAY=$(date +%F)

run_patch() {  # root → exit code of a whole run
  "$DATAPATCH" --root "$1" run --answer no >"$1.out" 2>&1
}

# Every database file under the root, dumped in a stable order into one text.
dump_root() {  # root out → sets REPEATED to the history rows of repeated passes
  local root=$1 out=$2 file copy removed
  REPEATED=0
  : >"$out"
  while IFS= read -r file; do
    [ "$(head -c 15 "$file" 2>/dev/null)" = "SQLite format 3" ] || continue
    copy=$(mktemp "$WORK/dump.XXXXXX")
    sqlite3 "$file" ".backup '$copy'"
    removed=$(sqlite3 "$copy" "UPDATE PATCH_HIST SET NV_Date = NULL; DELETE FROM PATCH_HIST WHERE
        rowid NOT IN (SELECT MIN(rowid) FROM PATCH_HIST GROUP BY 날짜, NV_Ver, NV_ETC, NV_GUBUN);
        SELECT changes();" 2>/dev/null || echo 0)
    REPEATED=$((REPEATED + removed))
    {
      echo "-- ${file#"$root"/}"
      sqlite3 "$copy" .dump | sed -E "s/'$TODAY [0-9]{2}:[0-9]{2}:[0-9]{2}'/'$TODAY (time)'/g"
    } >>"$out"
    rm -f "$copy"
  done < <(find "$root" -type f \( -iname '*.mdb' -o -iname '*.sqlite' \) | LC_ALL=C sort)
}

failures=0
summary=()
for kind in "${KINDS[@]}"; do
  dir=$WORK/$kind
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "crash-runs: $kind: building the demo store (size $SIZE, seed $SEED)"
  "$DATAPATCH" --root "$dir/base" demo --kind "$kind" --size "$SIZE" --seed "$SEED" >/dev/null

  cp -a "$dir/base" "$dir/reference"
  start=$(now_ms)
  if ! run_patch "$dir/reference"; then
    echo "crash-runs: $kind: the uninterrupted run failed (see $dir/reference.out)" >&2
    exit 1
  fi
  duration=$(($(now_ms) - start))
  dump_root "$dir/reference" "$dir/reference.dump"
  echo "crash-runs: $kind: uninterrupted run ${duration} ms, dump $(wc -c <"$dir/reference.dump") bytes"

  same=0
  killed=0
  for i in $(seq 1 "$COUNT"); do
    trial=$dir/trial
    rm -rf "$trial" "$trial.out"
    cp -a "$dir/base" "$trial"
    # Within the first 95% of the uninterrupted run, so that the kill finds the run still going.
    moment=$(((RANDOM * 32768 + RANDOM) % (duration * 95 / 100)))
    "$DATAPATCH" --root "$trial" run --answer no >"$trial.killed.out" 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
    if kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid"
      state=killed
      killed=$((killed + 1))
    else
      state="ended first"
    fi
    wait "$pid" 2>/dev/null || true
    rerun=ok
    run_patch "$trial" || rerun="failed ($?)"
    dump_root "$trial" "$trial.dump"
    repeated=$REPEATED
    if [ "$rerun" = ok ] && cmp -s "$dir/reference.dump" "$trial.dump"; then
      verdict=identical
      same=$((same + 1))
    else
      verdict=DIFFERENT
      failures=$((failures + 1))
      cp "$trial.dump" "$dir/trial-$i.dump"
      cp "$trial.out" "$dir/trial-$i.out"
      diff "$dir/reference.dump" "$trial.dump" | head -n 20 >&2 || true
    fi
    note=""
    if [ "$repeated" -gt 0 ]; then note=" (history rows of a repeated pass: $repeated)"; fi
    printf 'crash-runs: %s kill %2d at %6d ms (%s): second run %s, dumps %s%s\n' \
      "$kind" "$i" "$moment" "$state" "$rerun" "$verdict" "$note"
  done
  rm -rf "$dir/trial" "$dir/trial.dump"
  summary+=("$(printf '%-4s %2d of %2d identical, %2d of them killed mid-run (uninterrupted run %d ms)' \
    "$kind" "$same" "$COUNT" "$killed" "$duration")")
done

echo
printf '%s\n' "${summary[@]}"
[ "$failures" -eq 0 ]
