#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test (unit and
# integration), or only the unit tests with --unit. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

ctest_filter=()
case ${1:-} in
  "") ;;
  --unit) ctest_filter=(-L unit) ;;
  *) echo "usage: $0 [--unit]" >&2; exit 2 ;;
esac

scripts/install-deps.sh test
cmake -G Ninja -B build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBEL_WERROR=ON
cmake --build build-ci
# Each integration test brings its own desktop, so tests can run in parallel. Nothing is run
# twice: a test that fails under load has found a fault (in the program or in the test).
ctest --test-dir build-ci --output-on-failure --no-tests=error --parallel "$(nproc)" "${ctest_filter[@]}"
