#!/usr/bin/env bash
# The bash completion of both programs, as installed by `cmake --install', loaded into a real bash
# and asked to complete: each row is a command line split into words as bash splits it (the word
# being completed last) and the completions it must offer, in sorted order. The names of the
# checks and the options the completion knows must be those `kvrview --help' lists.
# Usage: completion_test.sh BUILD_DIR KVRVIEW     (skips, with status 77, without bash 4)
set -u
build=$1 kvrview=$2
((BASH_VERSINFO[0] >= 4)) || { echo "SKIPPED: bash 4 or later is needed"; exit 77; }
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/root" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"
  exit 1
}
completions="$work/root/share/bash-completion/completions"
for program in kvrbuild kvrview; do
  [ -f "$completions/$program" ] || { echo "FAIL: cmake --install puts no $completions/$program"; exit 1; }
  # shellcheck disable=SC1090
  source "$completions/$program"
  complete -p "$program" >/dev/null || { echo "FAIL: $program has no completion"; exit 1; }
done
mkdir "$work/files" && cd "$work/files" || exit 1
touch board.cfg board.dat chain.tcl part.bsd notes.txt pic.svg old.json BIG.CFG
mkdir sub
failures=0

# expect "COMPLETIONS" WORD...: completing the last word of the command line WORD... offers
# exactly COMPLETIONS (sorted, separated by blanks).
expect() {
  local wanted=$1 got
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$(complete -p "$1" | sed 's/.*-F \([^ ]*\) .*/\1/')"
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort -u | tr '\n' ' ' | sed 's/ $//')
  if [ "$got" = "$wanted" ]; then
    echo "ok: $* -> $wanted"
  else
    echo "FAIL: $*: offered '$got', wanted '$wanted'"
    failures=$((failures + 1))
  fi
}

expect "--check" kvrview --chec
expect "--diff" kvrview --di
expect "BIG.CFG board.cfg board.dat sub" kvrview ""
expect "BIG.CFG board.cfg sub" kvrview --check ""
expect "BIG.CFG board.cfg sub" kvrview --build -Werror ""
expect "board.dat sub" kvrview --cfg ""
expect "BIG.CFG board.cfg chain.tcl notes.txt part.bsd sub" kvrview --import ""
expect "old.json sub" kvrview --json -o ""
expect "pic.svg sub" kvrview -o ""
expect "pic.svg sub" kvrview --svg ""
expect "board.dat sub" kvrview --build board.cfg -o ""
expect "BIG.CFG board.cfg chain.tcl sub" kvrview --openocd -o ""
expect "pdf png svg" kvrview --format ""
expect "sub" kvrview --search ""
expect "-Wno-path-size" kvrview -Wno-pa
expect "-Wclass-id-digits -Wclass-id-prefix -Wcr-line-ends" kvrview -Wc
expect "class-id-digits class-id-prefix" kvrview -Werror = cl
expect "$(tr ' ' '\n' <<<"class-id-prefix class-id-digits unknown-variable variable-kind path-size cr-line-ends empty-linker label" | sort | tr '\n' ' ' | sed 's/ $//')" \
  kvrview --build -Wno-error = ""
expect "BIG.CFG board.cfg sub" kvrbuild -g2 ""
expect "board.dat sub" kvrbuild -vg2 board.cfg ""
expect "BIG.CFG board.cfg sub" kvrbuild -o log -p2 ""
expect "board.dat sub" kvrbuild -a ""
expect "1 2" kvrbuild -g ""
expect "1 2" kvrbuild -p ""
expect "-vg1 -vg2" kvrbuild -vg
expect "BIG.CFG board.cfg sub" kvrbuild -e -f ""

# What the completion knows is what kvrview says it has.
checks=$("$kvrview" --help | sed -n '/^The checks of a board.cfg/,/^$/p' | awk '/^  [a-z]/ { print $1 }' | sort)
known=$(tr ' ' '\n' <<<"$_kvrview_checks" | sort)
[ -n "$checks" ] && [ "$checks" = "$known" ] || {
  echo "FAIL: the completion's checks ($known) are not those of kvrview --help ($checks)"
  failures=$((failures + 1))
}
COMP_WORDS=(kvrview --) COMP_CWORD=1
_kvrview
for option in $("$kvrview" --help | grep -o -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u); do
  printf '%s\n' "${COMPREPLY[@]}" | grep -qx -- "$option" || {
    echo "FAIL: kvrview --help names $option, which the completion does not offer"
    failures=$((failures + 1))
  }
done
echo "$failures failed"
[ "$failures" -eq 0 ]
