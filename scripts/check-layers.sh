#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own. The layers, lowest first:
# host, util, db, config, history, repairs, patch, demo, app, then gui and the command line. The
# two engines under db (embedded, odbc) do not include each other, and the SQL client in tools/
# stands on db alone. A layer's tests keep to the same rule, except that the tests from config up
# may build their stores with the demo layer. Run by the tests; prints every offending include.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    host) echo 0 ;; util) echo 1 ;; db) echo 2 ;; config) echo 3 ;; history) echo 4 ;;
    repairs) echo 5 ;; patch) echo 6 ;; demo) echo 7 ;; app) echo 8 ;; gui | cli) echo 9 ;;
    *) echo -1 ;;
  esac
}

# Prints "file:line: include" for every include of a layer above `top` in the files given
# (`demo`: the demo layer is allowed too).
check() {
  local top=$1 engine=$2 demo=${DEMO_ALLOWED:-}
  shift 2
  local limit
  limit=$(rank "$top")
  grep -Hn '^#include "[a-z_]*/' "$@" | while IFS= read -r hit; do
    local target=${hit#*#include \"}
    local layer=${target%%/*}
    local r
    r=$(rank "$layer")
    if [ "$r" -lt 0 ]; then continue; fi  # a header beside the file (tests' fixtures, cli's own)
    if [ "$r" -gt "$limit" ] && ! { [ -n "$demo" ] && [ "$layer" = demo ]; }; then
      echo "$hit  (layer $top includes $layer)"
    fi
    if [ -n "$engine" ] && [[ "$target" == db/*/* ]]; then
      local sub=${target#db/}
      sub=${sub%%/*}
      if [ "$sub" != "$engine" ] && { [ "$sub" = embedded ] || [ "$sub" = odbc ]; }; then
        echo "$hit  (the $engine engine includes the $sub engine)"
      fi
    fi
  done
}

found=$(
  for dir in src/*/; do
    layer=$(basename "$dir")
    mapfile -t files < <(find "$dir" -name '*.h' -o -name '*.cpp' | sort)
    [ ${#files[@]} -eq 0 ] && continue
    if [ "$layer" = db ]; then
      for engine in embedded odbc; do
        mapfile -t own < <(find "$dir$engine" -name '*.h' -o -name '*.cpp' | sort)
        check db "$engine" "${own[@]}"
      done
      mapfile -t files < <(find "$dir" -maxdepth 1 -name '*.h' -o -maxdepth 1 -name '*.cpp' | sort)
    fi
    check "$layer" "" "${files[@]}"
  done
  mapfile -t files < <(find cli -name '*.h' -o -name '*.cpp' | sort)
  check cli "" "${files[@]}"
  mapfile -t files < <(find tools -name '*.h' -o -name '*.cpp' | sort)
  check db "" "${files[@]}"
  for dir in tests/*/; do
    layer=$(basename "$dir")
    [ "$(rank "$layer")" -lt 0 ] && continue
    mapfile -t files < <(find "$dir" -name '*.h' -o -name '*.cpp' | sort)
    [ ${#files[@]} -eq 0 ] && continue
    if [ "$(rank "$layer")" -ge "$(rank config)" ]; then
      DEMO_ALLOWED=1 check "$layer" "" "${files[@]}"
    else
      check "$layer" "" "${files[@]}"
      # The store worlds stand on the demo layer.
      grep -Hn '^#include "fixtures/\(world\|store_database\|config_template\)\.h"' \
        "${files[@]}" | sed "s/\$/  (layer $layer includes the store worlds)/" || true
    fi
  done
  mapfile -t files < <(find tests/fixtures -name 'db_world.*' -o -name 'host_root.h' \
    -o -name 'program_runner.*' -o -name 'calendar_time.h' | sort)
  check db "" "${files[@]}"
)

if [ -n "$found" ]; then
  echo "includes that go up a layer:"
  echo "$found"
  exit 1
fi
echo "check-layers: every include stays within its layer or below"
