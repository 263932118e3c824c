#!/bin/sh
# cmake --install puts the LV2 bundle, complete, where LV2 hosts look (staged with DESTDIR), and
# lilv finds the plug-in, its editor and its presets there.
# Arguments: the build tree, the bundle's install folder relative to the prefix (e.g. .lv2).
set -eu
build="$1"
folder="$2"
uri="https://talvane.audio/lv2/talvane"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /opt/talvane >/dev/null
bundle="$stage/opt/talvane/$folder/Talvane.lv2"
status=0
for file in manifest.ttl Talvane.ttl Talvane_ui.ttl presets.ttl Talvane.so Talvane_ui.so; do
    if [ ! -f "$bundle/$file" ]; then
        echo "missing: $bundle/$file"
        status=1
    fi
done
[ $status -eq 0 ] || exit 1
echo "installed: $(cd "$bundle" && ls | tr '\n' ' ')"
if ! command -v lv2info >/dev/null 2>&1; then
    echo "lv2info is not installed (Debian's lilv-utils): the installed bundle was not loaded"
    exit 77
fi
info=$(LV2_PATH="$(dirname "$bundle")" lv2info "$uri" 2>/dev/null)
echo "$info" | grep -q "Binary: *file://$bundle/Talvane.so" || { echo "lilv does not find the plug-in:"; echo "$info" | head -20; exit 1; }
echo "$info" | grep -q "Binary: *file://$bundle/Talvane_ui.so" || { echo "lilv does not find the editor"; exit 1; }
echo "$info" | grep -q "^[[:space:]]*Warm Pad$" || { echo "lilv does not list the factory sounds as presets"; exit 1; }
echo "lilv finds $uri in $bundle"
