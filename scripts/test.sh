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

scripts/install-deps.sh
cmake -G Ninja -B build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBEL_WERROR=ON
cmake --build build-ci
# Each integration test brings its own desktop, so tests can run in parallel. A test that fails
# is run once more: with every core busy, real applications on a shared X server now and then
# miss a deadline; a fault that fails twice in a row still fails the run.
ctest --test-dir build-ci --output-on-failure --no-tests=error --parallel "$(nproc)" \
  --repeat until-pass:2 "${ctest_filter[@]}"
