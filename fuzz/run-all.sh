#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer in build/fuzz and runs each for SECONDS seconds.
# Inputs that crash, leak or time out are saved in fuzz/regressions/<Target>/, where every later test
# run replays them; new coverage found goes to build/fuzz/corpus/<Target>/, the kept seeds are read
# from fuzz/corpus/<Target>/.
# Usage: fuzz/run-all.sh SECONDS
set -euo pipefail

seconds="${1:?usage: fuzz/run-all.sh SECONDS}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"

# The libraries get coverage instrumentation and the sanitizers; each target adds libFuzzer's main.
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DLUMATRINE_FUZZ=ON -DLUMATRINE_SANITIZE=ON -DLUMATRINE_TESTS=OFF -DLUMATRINE_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"

status=0
for source in "$root"/fuzz/*Fuzzer.cpp; do
  [ -e "$source" ] || continue
  name="$(basename "$source" .cpp)"
  regressions="$root/fuzz/regressions/$name"
  work="$build/corpus/$name"
  mkdir -p "$regressions" "$work"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  echo "== $name: ${seconds}s" >&2
  if ! "$build/fuzz/$name" "$work" "${seeds[@]}" \
      -max_total_time="$seconds" -rss_limit_mb=2560 -timeout=25 \
      -artifact_prefix="$regressions/" -print_final_stats=1; then
    echo "== $name found a failure; the input is in $regressions" >&2
    status=1
  fi
done
exit $status
