#!/bin/sh
# Runs Steinberg's VST 3 validator (its extensive suite, -e) on a built bundle and passes only when it
# reports 0 failed tests and prints no ERROR line. Exits 77 (reported as skipped) with the reason
# when the validator is not there, e.g. in a checkout without the shared tools beside it.
# Usage: run_validator.sh VALIDATOR BUNDLE [RUNNER...]   (RUNNER: e.g. wine64 for the Windows build)
set -u
validator="$1"
bundle="$2"
shift 2
if [ ! -f "$validator" ]; then
    echo "SKIPPED: the VST 3 validator is not at $validator (configure TALVANE_VST3_VALIDATOR_DIR)"
    exit 77
fi
log="${TMPDIR:-/tmp}/talvane-validator.$$.log"
trap 'rm -f "$log"' EXIT
"$@" "$validator" -e "$bundle" >"$log" 2>&1
status=$?
errors=$(grep -c 'ERROR' "$log")
summary=$(grep 'Result:' "$log" | tail -n 1)
grep -E 'Failed\]|ERROR' -B3 "$log"
echo "${summary:-no result line}; ERROR lines: $errors; exit code: $status"
case "$summary" in
    *" 0 tests failed"*) ;;
    *) exit 1 ;;
esac
[ "$errors" -eq 0 ] && [ "$status" -eq 0 ]
