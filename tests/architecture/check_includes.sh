#!/bin/sh
# Fails when a room includes from a room it may not use (docs/architecture.md draws the rooms).
# Usage: check_includes.sh <source root>
set -eu
root="$1"
status=0

# room: the folders it may include from, besides its own and (all but gui) the SDK's
# pluginterfaces/public.sdk.
allowed() {
    case "$1" in
        source/params) echo "" ;;
        source/presets) echo "source/params" ;;
        source/engine) echo "source/params/paramids.h source/params/listsizes.h source/params/paramcurves.h" ;;
        source/processor) echo "source/params source/engine source/presets sdk source/factory/classids.h" ;;
        gui) echo "" ;;
        sdk) echo "gui" ;;
        source/controller) echo "source/params source/presets source/factory/classids.h source/editor/editorfactory.h source/editor/editorzoom.h" ;;
        source/editor) echo "source/params source/presets source/controller gui sdk" ;;
        source/factory) echo "source/params source/presets source/processor source/controller source/editor sdk" ;;
        lv2) echo "source/params source/presets source/processor source/controller source/factory/classids.h sdk" ;;
        host) echo "sdk" ;;
        tools) echo "source sdk gui lv2 host" ;;
    esac
}

# Rooms that know no SDK: the GUI layer is driven through its own interfaces (its event loop, the
# editor interface), which the SDK side implements.
knows_no_sdk() {
    [ "$1" = gui ]
}

for room in source/params source/presets source/engine source/processor gui sdk source/controller \
    source/editor source/factory lv2 host tools; do
    ok=$(allowed "$room")
    for file in $(find "$root/$room" -name '*.h' -o -name '*.cpp'); do
        relative=${file#"$root"/}
        for included in $(sed -n 's/^#include "\(\(source\/[a-z]*\|sdk\|gui\|lv2\|host\|tools\)\/[^"]*\)".*/\1/p' "$file"); do
            case "$included" in "$room"/*) continue ;; esac
            permitted=0
            for entry in $ok; do
                case "$included" in "$entry" | "$entry"/*) permitted=1 ;; esac
            done
            if [ "$permitted" = 0 ]; then
                echo "$relative includes $included: $room may not use it" >&2
                status=1
            fi
        done
        if knows_no_sdk "$room"; then
            for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]\(\(pluginterfaces\|public\.sdk\|base\)\/[^">]*\)[">].*/\1/p' "$file"); do
                echo "$relative includes $included: $room may not use the SDK" >&2
                status=1
            done
        fi
    done
done
exit "$status"
