#!/bin/sh
# Installs a build tree into a staging folder (DESTDIR) and checks that every factory sound lands as
# a VST 3 preset file where Linux hosts look for presets: the user's preset folder for a home
# install, share/vst3/presets beneath any other prefix. Usage: check_install.sh BUILD_DIR PREFIX
# COMMITTED_STATES_DIR
set -eu
build="$1"
prefix="$2"
states="$3"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT INT TERM

if [ "$prefix" = "${HOME:-}" ]; then
    expected="$prefix/.vst3/presets/Talvane Audio/Talvane"
else
    expected="$prefix/share/vst3/presets/Talvane Audio/Talvane"
fi
DESTDIR="$stage" cmake --install "$build" >/dev/null
dir="$stage$expected"
[ -d "$dir" ] || { echo "no preset folder at $expected"; exit 1; }

missing=0
for state in "$states"/*.talvane; do
    name=$(basename "$state" .talvane)
    if ! cmp -s "$dir/$name.vstpreset" "$build/vstpresets/$name.vstpreset"; then
        echo "missing or different: $expected/$name.vstpreset"
        missing=1
    fi
done
count=$(find "$dir" -maxdepth 1 -name '*.vstpreset' | wc -l)
sounds=$(find "$states" -maxdepth 1 -name '*.talvane' | wc -l)
[ "$count" -eq "$sounds" ] || { echo "$count preset files for $sounds factory sounds"; missing=1; }
# The bundle goes beside them in the same install.
[ -n "$(find "$stage" -path '*Talvane.vst3/Contents/x86_64-linux/Talvane.so')" ] || { echo "no bundle installed"; missing=1; }
[ "$missing" -eq 0 ] && echo "$sounds preset files in $expected"
exit "$missing"
