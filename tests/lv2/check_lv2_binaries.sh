#!/bin/sh
# The LV2 bundle's binaries export their descriptor functions and nothing else, and the processor's
# binary loads no GUI library (hosts that show no editor must not need one).
set -eu
plugin="$1"
ui="$2"
fail=0
exports() {
    nm -D --defined-only "$1" | awk '{print $3}' | grep -v '^$' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}
check_exports() {
    actual=$(exports "$1")
    if [ "$actual" != "$2" ]; then
        echo "$1 exports: $actual (expected: $2)"
        fail=1
    else
        echo "$1 exports: $actual"
    fi
}
check_exports "$plugin" "lv2_descriptor"
check_exports "$ui" "lv2ui_descriptor"
gui=$(readelf -d "$plugin" | grep NEEDED | grep -E 'libX11|libcairo|libfontconfig|libxcb' || true)
if [ -n "$gui" ]; then
    echo "$plugin needs GUI libraries:"
    echo "$gui"
    fail=1
fi
exit $fail
