#!/usr/bin/env bash
# Kills patch runs at random moments, or holds their store from another process for a random
# while, and checks that running again reaches exactly the state of a run that was never
# interrupted.
#
#   scripts/crash-runs.sh [--kind mdb|sql|both] [--count N] [--size large|N] [--seed S]
#                         [--work DIR] [--lock [--lock-wait SECONDS]]
#
# With --lock, instead of a kill: at the random moment another process (python3's sqlite3) takes
# the store's write lock and holds it for 1 to 15 s while the run waits up to --lock-wait seconds
# (default 5) for it. The run must either finish (exit 0) or fail the pass truthfully (exit 1,
# "다른 프로그램이 쓰는 중", status still "패치할 데이타 있음"); in the second case a second run
# finishes. Either way the dump must equal the reference's.
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
MODE=kill
LOCK_WAIT=5
while [ $# -gt 0 ]; do
  case "$1" in
    --kind) if [ "$2" = both ]; then KINDS=(mdb sql); else KINDS=("$2"); fi; shift 2 ;;
    --count) COUNT=$2; shift 2 ;;
    --size) SIZE=$2; shift 2 ;;
    --seed) SEED=$2; shift 2 ;;
    --work) WORK=$2; shift 2 ;;
    --lock) MODE=lock; shift ;;
    --lock-wait) LOCK_WAIT=$2; shift 2 ;;
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
  done < <(find "$root" -type f -not -path '*/Backup/*' \( -iname '*.mdb' -o -iname '*.sqlite' \) | LC_ALL=C sort)
}

kill_trial() {  # trial moment → sets state; the run killed at the moment
  local trial=$1 moment=$2 pid
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
}

# The store's write lock taken by another process at the moment, held 1 to 15 s. Sets state and
# first (finished, or failed when the pass failed as it must: then a second run follows).
lock_trial() {  # trial moment
  local trial=$1 moment=$2 pid holder store hold rc=0
  store=$(find "$trial" -type f -not -path '*/Backup/*' \( -iname '*.mdb' -o -iname '*.sqlite' \) -printf '%s %p\n' |
    sort -n | tail -n 1 | cut -d' ' -f2-)
  hold=$((1 + RANDOM % 15))
  DATAPATCH_LOCK_WAIT=$LOCK_WAIT "$DATAPATCH" --root "$trial" run --answer no \
    >"$trial.held.out" 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
  if kill -0 "$pid" 2>/dev/null; then state="held ${hold} s"; killed=$((killed + 1)); else
    state="held ${hold} s after the end"; fi
  # The run takes the lock again as soon as a step ends: the holder tries without a pause to
  # get in between two steps, as an eager program would.
  python3 - "$store" "$hold" <<'PY' &
import sqlite3, sys, time
db = sqlite3.connect(sys.argv[1], timeout=0, isolation_level=None)
deadline = time.time() + 120
while True:
    try:
        db.execute("BEGIN IMMEDIATE")
        break
    except sqlite3.OperationalError:
        if time.time() > deadline:
            sys.exit(1)
time.sleep(float(sys.argv[2]))
db.execute("ROLLBACK")
PY
  holder=$!
  wait "$pid" || rc=$?
  wait "$holder" || true
  if [ "$rc" -eq 0 ]; then
    first=finished
    return
  fi
  first=failed
  if [ "$rc" -ne 1 ] || ! grep -q "다른 프로그램이 쓰는 중" "$trial.held.out" ||
    ! "$DATAPATCH" --root "$trial" status | grep -q "패치할 데이타 있음"; then
    state="$state, FAILED UNTRUTHFULLY (exit $rc)"
    untruthful=$((untruthful + 1))
    return
  fi
  state="$state, pass failed"
  held_failed=$((held_failed + 1))
}

compare_trial() {  # i moment state rerun; uses repeated
  local i=$1 moment=$2 state=$3 rerun=$4 verdict note=""
  if [ "$rerun" = ok ] && cmp -s "$dir/reference.dump" "$trial.dump" &&
    [[ "$state" != *UNTRUTHFULLY* ]]; then
    verdict=identical
    same=$((same + 1))
  else
    verdict=DIFFERENT
    failures=$((failures + 1))
    cp "$trial.dump" "$dir/trial-$i.dump"
    cp "$trial.out" "$dir/trial-$i.out" 2>/dev/null || true
    diff "$dir/reference.dump" "$trial.dump" | head -n 20 >&2 || true
  fi
  if [ "$repeated" -gt 0 ]; then note=" (history rows of a repeated pass: $repeated)"; fi
  printf 'crash-runs: %s %s %2d at %6d ms (%s): second run %s, dumps %s%s\n' \
    "$kind" "$MODE" "$i" "$moment" "$state" "$rerun" "$verdict" "$note"
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
  held_failed=0
  untruthful=0
  for i in $(seq 1 "$COUNT"); do
    trial=$dir/trial
    rm -rf "$trial" "$trial.out"
    cp -a "$dir/base" "$trial"
    # Within the first 95% of the uninterrupted run, so that the kill finds the run still going.
    moment=$(((RANDOM * 32768 + RANDOM) % (duration * 95 / 100)))
    if [ "$MODE" = lock ]; then
      lock_trial "$trial" "$moment"
      if [ "$first" = finished ]; then
        dump_root "$trial" "$trial.dump"
        repeated=$REPEATED
        compare_trial "$i" "$moment" "$state, run finished" ok
        continue
      fi
    else
      kill_trial "$trial" "$moment"
    fi
    rerun=ok
    run_patch "$trial" || rerun="failed ($?)"
    dump_root "$trial" "$trial.dump"
    repeated=$REPEATED
    compare_trial "$i" "$moment" "$state" "$rerun"
  done
  rm -rf "$dir/trial" "$dir/trial.dump"
  if [ "$MODE" = lock ]; then
    summary+=("$(printf '%-4s %2d of %2d identical, %2d of them held mid-run, %2d passes failed truthfully, %d untruthfully (uninterrupted run %d ms)' \
      "$kind" "$same" "$COUNT" "$killed" "$held_failed" "$untruthful" "$duration")")
  else
    summary+=("$(printf '%-4s %2d of %2d identical, %2d of them killed mid-run (uninterrupted run %d ms)' \
      "$kind" "$same" "$COUNT" "$killed" "$duration")")
  fi
done

echo
printf '%s\n' "${summary[@]}"
[ "$failures" -eq 0 ]
