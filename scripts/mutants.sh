#!/usr/bin/env bash
# Breaks the program on purpose, one small change at a time, and checks that the tests notice.
# Run by hand (the test command does not run it); it takes a while: every mutant rebuilds what
# it touched and runs the tests of its area.
#
#   scripts/mutants.sh [-k] [-u] [-j JOBS] [NAME-PATTERN]
#
# Each mutant in tests/mutants.txt replaces one exact piece of text in one source file with a
# plausible bug (a flipped comparison, a dropped call, swapped coordinates, an off-by-one, a
# missing store or post). The mutants are applied one by one to a clean copy of HEAD (never to
# this work tree), which is built once and then rebuilt incrementally; a mutant is caught when
# one of its tests fails. Uncommitted changes are not part of the copy: commit first.
#
# Before any mutant, the tests of every area named by the chosen mutants run on the unmutated
# copy; when one of them fails there, the run stops and names it (a test that fails on its own
# would count every mutant of its area as caught). A mutant's catch names the tests that failed.
# Every run, stopped or whole, adds its result (date, commit, caught, survivors) to
# tests/mutants-runs.txt.
#
#   NAME-PATTERN  only the mutants whose name matches this extended regular expression
#   -k            keep the copy and its build in $ZORBEL_MUTANTS_DIR for the next run
#   -u            unit tests only (CTest label "unit"): minutes instead of an hour, for checking that
#                 a change to the unit tests still catches what they caught; a mutant that only
#                 integration tests name is left out
#   -j JOBS       build jobs (default: the number of cores)
#
# ZORBEL_MUTANTS_DIR  where the copy lives (default: a new folder under ${TMPDIR:-/tmp})
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

keep=0
unit=0
jobs=$(nproc)
while getopts "kuj:" opt; do
  case $opt in
    k) keep=1 ;;
    u) unit=1 ;;
    j) jobs=$OPTARG ;;
    *) sed -n '2,27p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
pattern=${1:-}
# With -u every ctest call is narrowed to the unit tests.
label=()
((unit)) && label=(-L unit)
# Integration tests each start a desktop of their own: four at a time at most.
test_jobs=$((jobs < 4 ? jobs : 4))

list=$repo/tests/mutants.txt
record=$repo/tests/mutants-runs.txt
[[ -r $list ]] || { echo "mutants: $list is missing" >&2; exit 2; }

say() { echo "mutants: $*" >&2; }

# --- reading the list -------------------------------------------------------------------
# A mutant is a block:
#   @ NAME
#   file PATH           (relative to the repository)
#   tests REGEX         (ctest -R: the tests that should notice)
#   - EXACT TEXT        (must occur exactly once in the file; ⏎ stands for a line break)
#   + REPLACEMENT       (may be empty: "+" alone drops the text)
names=() files=() tests=() olds=() news=()
parse_list() {
  local line name="" file="" test="" old="" new="" have_old=0 have_new=0
  flush() {
    [[ -z $name ]] && return
    if [[ -z $file || -z $test || $have_old == 0 || $have_new == 0 ]]; then
      say "incomplete mutant \"$name\" in $list"; exit 2
    fi
    names+=("$name") files+=("$file") tests+=("$test") olds+=("$old") news+=("$new")
  }
  while IFS= read -r line || [[ -n $line ]]; do
    case $line in
      "@ "*) flush; name=${line#@ } file="" test="" old="" new="" have_old=0 have_new=0 ;;
      "file "*) file=${line#file } ;;
      "tests "*) test=${line#tests } ;;
      "- "*) old=${line#- } have_old=1 ;;
      "+ "*) new=${line#+ } have_new=1 ;;
      "+") new="" have_new=1 ;;
      "" | "#"*) ;;
      *) say "cannot read this line of $list: $line"; exit 2 ;;
    esac
  done < "$list"
  flush
}
parse_list

# --- the clean copy -----------------------------------------------------------------------
work=${ZORBEL_MUTANTS_DIR:-}
if [[ -z $work ]]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/zorbel-mutants.XXXXXX") || exit 1
fi
mkdir -p "$work" || { echo "mutants: cannot make $work" >&2; exit 2; }
# Two runs in one folder would restore each other's originals over the wrong files.
exec 9>"$work/.lock"
flock -n 9 || { echo "mutants: another run is using $work" >&2; exit 2; }
tree=$work/tree
build=$tree/build
cleanup() { ((keep)) || rm -rf "$work"; }
trap cleanup EXIT

commit=$(git rev-parse --short HEAD)
say "copying HEAD ($commit) to $tree"
rm -rf "$tree.new" && mkdir -p "$tree.new"
git archive HEAD | tar -x -m -C "$tree.new" || exit 1
# Keep the old build (faster), but take the new sources.
if [[ -d $build ]]; then mv "$build" "$tree.new/build"; fi
rm -rf "$tree" && mv "$tree.new" "$tree"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
say "building the unmutated copy"
# Built as the test command builds, warnings as errors, so a compiler cache serves both.
cmake -G Ninja -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBEL_WERROR=ON "${launcher[@]}" \
  >"$work/configure.log" 2>&1 \
  || { say "configure failed: $work/configure.log"; keep=1; exit 1; }
# What is built: everything, or with -u the unit-test programs the chosen mutants name (a unit
# test is named after its program), set once they are known.
targets=()
build_copy() { cmake --build "$build" -j "$jobs" ${targets[@]+--target "${targets[@]}"}; }

apply() { # FILE OLD NEW -> 0 when replaced exactly once
  /usr/bin/python3 - "$@" <<'EOF'
import sys
path, old, new = (a.replace("⏎", "\n") for a in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
count = text.count(old)
if count != 1:
    sys.stderr.write(f"found {count} times, not once: {old}\n")
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new, 1))
EOF
}

# Appends one run's result to the record; $1 is the outcome's line.
write_record() {
  {
    echo "$(date -u '+%Y-%m-%d %H:%M UTC')  commit $commit${pattern:+  mutants matching /$pattern/}$( ((unit)) && echo '  unit tests only')"
    echo "  $1"
    local entry
    for entry in "${caught[@]}"; do echo "  caught    $entry"; done
    for entry in "${survived[@]}"; do echo "  SURVIVED  $entry"; done
    for entry in "${broken[@]}"; do echo "  not run   $entry"; done
    echo
  } >>"$record"
}

# The tests that failed in a ctest log, one name a line.
failed_tests() { sed -n 's/^[[:space:]]*[0-9][0-9]* - \([^ ]*\) (.*$/\1/p' "$1" | sort -u; }

caught=() survived=() broken=()
chosen=()
for i in "${!names[@]}"; do
  [[ -n $pattern && ! ${names[i]} =~ $pattern ]] && continue
  chosen+=("$i")
done
((${#chosen[@]})) || { say "no mutant matches /$pattern/"; exit 2; }

# --- the unmutated tests -------------------------------------------------------------------
# Each area's tests must pass before a failure of theirs can mean anything. Every test named by
# a chosen mutant runs once, even when several areas name it.
declare -A regexes=()
for i in "${chosen[@]}"; do regexes[${tests[i]}]=1; done
unmatched=() unmutated=() untested=()
for regex in "${!regexes[@]}"; do
  found=$(ctest --test-dir "$build" -N -R "$regex" "${label[@]}" | sed -n 's/^ *Test *#[0-9]*: *//p')
  if [[ -z $found ]]; then
    # Named tests that are all integration tests: no unit test to run for them.
    if ((unit)) && [[ -n $(ctest --test-dir "$build" -N -R "$regex" | sed -n 's/^ *Test *#[0-9]*: *//p') ]]; then
      untested+=("$regex")
    else
      unmatched+=("/$regex/")
    fi
  fi
  unmutated+=($found)
done
if ((${#unmatched[@]})); then
  say "no test matches ${unmatched[*]}: fix tests/mutants.txt"
  exit 2
fi
if ((${#untested[@]})); then
  kept=()
  for i in "${chosen[@]}"; do
    skip=0
    for regex in "${untested[@]}"; do [[ ${tests[i]} == "$regex" ]] && skip=1; done
    ((skip)) || kept+=("$i")
  done
  say "left out $((${#chosen[@]} - ${#kept[@]})) mutants that only integration tests check"
  chosen=("${kept[@]}")
  ((${#chosen[@]})) || { say "no mutant of /$pattern/ has a unit test"; exit 2; }
fi
mapfile -t unmutated < <(printf '%s\n' "${unmutated[@]}" | sort -u)
((unit)) && targets=("${unmutated[@]}")
build_copy >"$work/build.log" 2>&1 \
  || { say "the unmutated copy does not build: $work/build.log"; keep=1; exit 1; }
log=$work/unmutated.log
say "running the ${#unmutated[@]} tests of the chosen mutants unmutated"
if ! ctest --test-dir "$build" --parallel "$test_jobs" -R "^($(IFS='|'; echo "${unmutated[*]}"))\$" "${label[@]}" >"$log" 2>&1; then
  keep=1
  failing=$(failed_tests "$log" | paste -sd ' ')
  say "STOPPED: these tests fail without any mutant, so a failure of theirs would tell nothing: ${failing:-(see the log)}"
  say "fix or stabilise them first; the copy and the log ($log) are kept in $work"
  write_record "stopped before any mutant: these tests fail unmutated: ${failing:-see $log}"
  exit 1
fi

# --- the mutants ---------------------------------------------------------------------------
for i in "${chosen[@]}"; do
  name=${names[i]}
  src=$tree/${files[i]}
  log=$work/mutant-$i.log
  if [[ ! -f $src ]]; then
    say "SKIPPED  $name: ${files[i]} does not exist"; broken+=("$name (no file)"); continue
  fi
  cp -p "$src" "$work/original"
  if ! apply "$src" "${olds[i]}" "${news[i]}" 2>"$log"; then
    say "SKIPPED  $name: $(cat "$log")"; broken+=("$name (text not found)"); continue
  fi
  start=$SECONDS by=""
  if ! build_copy >>"$log" 2>&1; then
    outcome="does not build"
    broken+=("$name (does not build)")
  elif ctest --test-dir "$build" --no-tests=error --parallel "$test_jobs" -R "${tests[i]}" "${label[@]}" >>"$log" 2>&1; then
    outcome="SURVIVED"
    survived+=("$name")
  else
    # Every test of this area passed unmutated, so each failing one caught the mutant.
    by=$(failed_tests "$log" | paste -sd ' ')
    outcome="caught"
    caught+=("$name (by ${by:-a test that did not finish})")
  fi
  # Restore the original and its time stamp's successor, so the next build recompiles it.
  cp "$work/original" "$src" && touch "$src"
  say "$(printf '%-15s %4ss  %s' "$outcome" $((SECONDS - start)) "$name")${by:+  (by $by)}"
done
# The copy ends unmutated, so a kept build is clean for the next run.
build_copy >/dev/null 2>&1

total=$((${#caught[@]} + ${#survived[@]}))
summary="Caught ${#caught[@]} of $total mutants$( ((total)) && echo " ($((100 * ${#caught[@]} / total)) %)")."
write_record "$summary"
echo
echo "$summary"
if ((${#survived[@]})); then
  echo "Survived (no test failed):"
  printf '  %s\n' "${survived[@]}"
fi
if ((${#broken[@]})); then
  echo "Not run (fix tests/mutants.txt):"
  printf '  %s\n' "${broken[@]}"
fi
((keep)) && echo "The copy and its logs are in $work."
echo "The result is added to $record."
((${#survived[@]} == 0 && ${#broken[@]} == 0))
