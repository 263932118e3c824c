// The module hooks Linux VST 3 hosts call after loading and before unloading the module. Hosts that
// share one loaded module enter and exit it once each; only the last exit shuts the module down.
#include "source/factory/modulehooks.h"

#include "pluginterfaces/base/fplatform.h"

namespace {
int moduleUsers = 0;
} // namespace

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* /*sharedLibraryHandle*/)
{
    if (++moduleUsers > 1)
        return true;
    return talvane::InitModule();
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    if (moduleUsers == 0)
        return false;
    if (--moduleUsers > 0)
        return true;
    return talvane::DeinitModule();
}

} // extern "C"
