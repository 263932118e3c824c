#!/bin/sh
# The module must export its entry points (VST 3 and VST 2) and nothing else; `main` must be a
# function, as VST 2 hosts call it.
set -eu
module="$1"
expected="ExitDll GetPluginFactory InitDll ModuleEntry ModuleExit VSTPluginMain main"
actual=$(nm -D --defined-only "$module" | awk '{print $3}' | grep -v '^$' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "exported: $actual"
    echo "expected: $expected"
    exit 1
fi
main_type=$(nm -D --defined-only "$module" | awk '$3 == "main" {print $2}')
if [ "$main_type" != "T" ]; then
    echo "main is exported as '$main_type', not as a function in the text section"
    exit 1
fi
echo "exports: $actual"
