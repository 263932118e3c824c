#!/bin/sh
# The module must export its entry points and nothing else.
set -eu
module="$1"
expected="ExitDll GetPluginFactory InitDll ModuleEntry ModuleExit"
actual=$(nm -D --defined-only "$module" | awk '{print $3}' | grep -v '^$' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "exported: $actual"
    echo "expected: $expected"
    exit 1
fi
echo "exports: $actual"
