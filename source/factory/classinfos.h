// What the factory says of itself and of its two classes. The same records are written into the
// bundle's moduleinfo.json at build time (tools/moduleinfo), so hosts can list the classes without
// loading the module.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace talvane {

// The module's name as hosts show it, and the bundle's.
constexpr const char* kModuleName = "Talvane";

Steinberg::PFactoryInfo factoryInfo();
// In the order the factory lists them: the processor, then its controller.
constexpr int kNumClasses = 2;
Steinberg::PClassInfo2 classInfo(int index);

} // namespace talvane
