#include "source/factory/classids.h"

namespace talvane {

const Steinberg::FUID kProcessorClassId(0xFFAC7EF1, 0xBBAEF487, 0xB32A1074, 0x83C9096C);
const Steinberg::FUID kControllerClassId(0x87407C09, 0xAD9B11E9, 0xE3F837B5, 0x916EBA30);

} // namespace talvane
