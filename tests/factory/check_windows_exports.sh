#!/bin/sh
# The Windows module must export its entry points (VST 3 and VST 2) and nothing else, and import only
# DLLs that every Windows has: the MinGW runtime is linked in, so no libstdc++, libgcc or
# winpthread DLL may be needed beside it.
set -eu
objdump="$1"
module="$2"
expected="ExitDll GetPluginFactory InitDll VSTPluginMain main"
# The export table lists "[ordinal] name" lines after the "[Ordinal/Name Pointer] Table" heading.
actual=$("$objdump" -p "$module" | awk '/\[Ordinal\/Name Pointer\] Table/ {inside = 1; next}
    inside && /^[ \t]*\[ *[0-9]+\]/ {print $NF; next}
    inside && NF == 0 {inside = 0}' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
    echo "exported: $actual"
    echo "expected: $expected"
    exit 1
fi
echo "exports: $actual"

system_dlls="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll shell32.dll shlwapi.dll user32.dll ucrtbase.dll uxtheme.dll"
imports=$("$objdump" -p "$module" | awk '/DLL Name:/ {print tolower($3)}' | LC_ALL=C sort -u)
for dll in $imports; do
    case " $(echo $system_dlls) " in
        *" $dll "*) ;;
        *)
            echo "imports $dll, which is not part of Windows"
            exit 1
            ;;
    esac
done
echo "imports:" $imports
