#!/bin/bash
# Builds the libFuzzer target of the report-file and page-picture readers with Address and
# UndefinedBehavior sanitizers and runs it.
#   scripts/fuzz-report.sh [SECONDS]      default 600; findings land in build-fuzz/crashes/
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build-fuzz
mkdir -p "$out/corpus" "$out/crashes"
# Qt's headers need position-independent code; moc is not needed by the sources used here.
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc $(pkg-config --cflags Qt6Gui) \
    tests/fuzz/fuzz_report.cpp src/report/QRReportFile.cpp src/report/emf/LogFont.cpp \
    src/report/emf/EmfPlayer.cpp src/report/emf/EmfWriter.cpp \
    $(pkg-config --libs Qt6Gui) -o "$out/fuzz_report"
KORVANDEL_FUZZ_SEEDS="$out/corpus" "$out/fuzz_report" || true
# Fonts are looked up once per process; keep each input small and the run single-threaded.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions=tests/fuzz/lsan.supp \
    "$out/fuzz_report" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/crashes/" -print_final_stats=1 "$out/corpus"
