#!/bin/bash
# Installs what is missing, builds Korvandel and runs every test:
#   1. the normal build and all tests (with a private sound server and, where the
#      printer script exists, a CUPS PDF printer);
#   2. an AddressSanitizer + UndefinedBehaviorSanitizer build of the data-layer tests;
#   3. a ThreadSanitizer build of the thread timer's tests.
# KORVANDEL_SKIP_SANITIZERS=1 runs step 1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
eval "$(scripts/start-sound-server.sh)"
# A private PostgreSQL server: the database tests run on it as well as on SQLite.
eval "$(scripts/start-postgres.sh)"
if [ -x scripts/start-printer.sh ]; then
    scripts/start-printer.sh || echo "No printer could be started; printing tests will be skipped."
fi

# Every CTest run's summary is collected for the closing count.
summary=$(mktemp)
trap 'scripts/start-sound-server.sh --stop; scripts/start-postgres.sh --stop "$KORVANDEL_PG_DIR"; rm -f "$summary"' EXIT
run_ctest() { ctest "$@" 2>&1 | tee -a "$summary"; }

scripts/build.sh build
run_ctest --test-dir build --output-on-failure -j2 --timeout 600

if [ "${KORVANDEL_SKIP_SANITIZERS:-0}" != 1 ]; then
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer: data layer =="
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANDEL_SANITIZE=ON >/dev/null
    mapfile -t asan_tests < <(ctest --test-dir build-asan -N -L '^(db|data|columns|sound)$' | sed -n 's/^ *Test *#[0-9]*: //p')
    cmake --build build-asan -j2 --target "${asan_tests[@]}"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        run_ctest --test-dir build-asan --output-on-failure -L '^(db|data|columns|sound)$' --timeout 600

    echo "== ThreadSanitizer: thread timer =="
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANDEL_TSAN=ON >/dev/null
    cmake --build build-tsan -j2 --target tst_supertimer
    TSAN_OPTIONS=halt_on_error=1 run_ctest --test-dir build-tsan --output-on-failure -R '^tst_supertimer$' --timeout 600
fi

total=0
for count in $(sed -n 's/.*tests failed out of \([0-9]*\)$/\1/p' "$summary"); do
    total=$((total + count))
done
echo
echo "All runs: ${total} passed, 0 failed"
