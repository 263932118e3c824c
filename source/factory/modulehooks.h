// The module's initialisation and shutdown hooks, called by every entry point that starts or ends
// the module's use (VST 3 and VST 2 alike).
#pragma once

namespace talvane {

bool InitModule();
bool DeinitModule();

} // namespace talvane
