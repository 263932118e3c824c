// Module entry points. Linux VST 3 hosts call ModuleEntry / ModuleExit; InitDll / ExitDll are the
// Windows-era names of the same hooks. Initialisation and shutdown have nothing to do.
#include "source/factory/modulehooks.h"

#include "pluginterfaces/base/fplatform.h"

namespace talvane {

bool InitModule()
{
    return true;
}

bool DeinitModule()
{
    return true;
}

} // namespace talvane

namespace {
int moduleUsers = 0;
} // namespace

using talvane::DeinitModule;
using talvane::InitModule;

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* /*sharedLibraryHandle*/)
{
    if (++moduleUsers > 1)
        return true;
    return InitModule();
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    if (moduleUsers == 0)
        return false;
    if (--moduleUsers > 0)
        return true;
    return DeinitModule();
}

SMTG_EXPORT_SYMBOL bool InitDll()
{
    return InitModule();
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
    return DeinitModule();
}

} // extern "C"
