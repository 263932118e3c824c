// The module hooks of every system. Windows hosts call InitDll / ExitDll; Linux hosts call
// ModuleEntry / ModuleExit (linuxentry.cpp). Initialisation and shutdown have nothing to do.
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

extern "C" {

SMTG_EXPORT_SYMBOL bool InitDll()
{
    return talvane::InitModule();
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
    return talvane::DeinitModule();
}

} // extern "C"
