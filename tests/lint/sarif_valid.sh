#!/bin/sh
# kvrview --check --format sarif judged by the SARIF 2.1.0 JSON schema that npm's
# @microsoft/sarif-multitool-linux ships (.ci/run installs it into TOOLS with npm), checked with
# Python's jsonschema, and by that package's own validator: the logs of boards valid, warned and
# broken in several places (one after a character of two bytes), under a name that needs
# percent-encoding, must be valid and hold the findings --check writes, in its order, at its
# places. Exits 77 (skipped) without the tools.
# Usage: sarif_valid.sh KVRVIEW TOOLS
set -eu
kvrview=$1
package="$2/node_modules/@microsoft/sarif-multitool-linux"
schema="$package/sarif-2.1.0.json"
if [ ! -f "$schema" ]; then
  echo "skipped: no SARIF schema at $schema (.ci/run installs it with npm)"
  exit 77
fi
python=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import jsonschema' 2>/dev/null; then python=$candidate; break; fi
done
if [ -z "$python" ]; then
  echo "skipped: no Python with jsonschema (Debian python3-jsonschema)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kvr-sarif.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
printf ';CFG-2.0\n"a" DBM\n' > valid.cfg
printf ';CFG-2.0\n[VORTA_ECOM_DRVER] 1\n[VORTA_SIZE_IRPATH] 9\n"a" QV740K88\n"l" SPL {}{}{}{}\n' \
  > "warned board.cfg"
printf ';CFG-2.0\n"cpu" QVARM9\n[VORTA_LINKDLY] ; 10\n"dsp" DBM\n"l" SPL {"x" BYPASS8} {} {}\n"cpu" DBM\n"x" \351\n' \
  > broken.cfg
printf '\357\273\277"a" DBM\n"b" BYPASS10\n' > bom.cfg
printf ';CFG-2.0\n"\316\251" DBM "b" QVARM9\n' > utf8.cfg
for board in valid.cfg "warned board.cfg" broken.cfg bom.cfg utf8.cfg; do
  status=0
  "$kvrview" --check --format sarif -o "$board.sarif" "$board" || status=$?
  [ "$status" -le 1 ] || { echo "$board: exit status $status"; exit 1; }
  "$kvrview" --check "$board" 2> "$board.txt" || true
done
"$python" - "$schema" valid.cfg "warned board.cfg" broken.cfg bom.cfg utf8.cfg <<'PY'
import json, re, sys, urllib.parse
import jsonschema
schema = json.load(open(sys.argv[1]))
validator = jsonschema.Draft202012Validator(schema)
failed = False
for board in sys.argv[2:]:
    log = json.load(open(board + ".sarif"))
    for error in validator.iter_errors(log):
        print(f"{board}: {error.json_path}: {error.message}")
        failed = True
    results = log["runs"][0]["results"]
    said = re.findall(r"^[^\n]*?:(\d+):(\d+): (error|warning): .*\[(-\d+|-W[a-z-]+|-Werror=[a-z-]+)\]",
                      open(board + ".txt", encoding="latin-1").read(), re.M)
    got = [(str(r["locations"][0]["physicalLocation"]["region"]["startLine"]),
            str(r["locations"][0]["physicalLocation"]["region"]["startColumn"]),
            r["level"], r["ruleId"]) for r in results]
    # --check counts a column in bytes, the log in code points of the line read as UTF-8.
    lines = open(board, "rb").read().split(b"\n")
    def code_point_column(line, column):
        return str(len(lines[int(line) - 1][:int(column) - 1].decode("utf-8", "replace")) + 1)
    want = [(line, code_point_column(line, column), level, code.removeprefix("-W"))
            for line, column, level, code in said]
    if got != want:
        print(f"{board}: the log holds {got}, --check says {want}")
        failed = True
    # Each result names the board by a URI reference: its name, a blank percent-encoded.
    for r in results:
        uri = r["locations"][0]["physicalLocation"]["artifactLocation"]["uri"]
        if " " in uri or urllib.parse.unquote(uri) != board:
            print(f"{board}: a result names it {uri}")
            failed = True
    if board != "valid.cfg" and not any("fixes" in r for r in results):
        print(f"{board}: no result has a fix")
        failed = True
sys.exit(1 if failed else 0)
PY
# The package's validator: its rules, beyond the schema, find no error.
"$package/Sarif.Multitool" validate ./*.cfg.sarif -o checked.sarif --log ForceOverwrite > validate.txt 2>&1 || {
  cat validate.txt; exit 1; }
"$python" - checked.sarif <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["runs"][0].get("results", [])
errors = [r for r in results if r.get("level", "warning") == "error"]
for r in results:
    print(r.get("level", "warning"), r["ruleId"], r["message"].get("arguments", r["message"]))
sys.exit(1 if errors else 0)
PY
echo "5 SARIF logs valid"
