#!/bin/sh
# Builds the fuzz harnesses with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for FUZZ_SECONDS
# (default 300), starting from its seeds, with inputs up to the harness's
# MAX_LEN (fuzz/CMakeLists.txt; 4 MiB by default). FUZZ_TARGETS names a few harnesses
# (without the fuzz_ prefix) instead of all. Stops with status 1 at the first
# harness that finds a crash; the input is left in build-fuzz/fuzz/.
set -e
cd "$(dirname "$0")/.."
BUILD=${FUZZ_BUILD:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-300}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ is not installed: no fuzzing" >&2
  exit 1
fi
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DKELD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -n "$FUZZ_TARGETS" ]; then
  targets=""
  for t in $FUZZ_TARGETS; do targets="$targets fuzz_$t"; done
else
  targets="fuzzers"
fi
# shellcheck disable=SC2086
cmake --build "$BUILD" -j "${JOBS:-$(nproc)}" --target $targets
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/.ci/lsan.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen
status=0
for f in "$BUILD"/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f"); name=${name#fuzz_}
  if [ -n "$FUZZ_TARGETS" ]; then
    case " $FUZZ_TARGETS " in *" $name "*) ;; *) continue ;; esac
  fi
  corpus="$BUILD/corpus/$name"
  mkdir -p "$corpus"
  seeds=""
  if [ -f "$BUILD/fuzz/$name.seeds" ]; then
    while IFS= read -r d; do
      [ -n "$d" ] && [ -d "$d" ] && seeds="$seeds $d"
    done < "$BUILD/fuzz/$name.seeds"
  fi
  max_len=4194304
  [ -f "$BUILD/fuzz/$name.max_len" ] && max_len=$(cat "$BUILD/fuzz/$name.max_len")
  echo "== $name: ${SECONDS_EACH}s"
  # shellcheck disable=SC2086
  if ! (cd "$BUILD/fuzz" && "./fuzz_$name" -max_total_time="$SECONDS_EACH" -rss_limit_mb=4096 \
          -max_len="$max_len" -timeout=25 -print_final_stats=1 "../corpus/$name" $seeds \
          2>"$name.log"); then
    tail -40 "$BUILD/fuzz/$name.log" >&2
    echo "$name: crash or failure, see $BUILD/fuzz/$name.log" >&2
    status=1
    break
  fi
  grep -E "stat::number_of_executed_units|Done" "$BUILD/fuzz/$name.log" | tail -1
done
exit $status
