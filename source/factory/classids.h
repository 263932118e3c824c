// Identity of the plug-in's two classes and its version, shared by the factory, the processor
// (which names its controller) and the VST 2 entry point.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace talvane {

extern const Steinberg::FUID kProcessorClassId;
extern const Steinberg::FUID kControllerClassId;

constexpr const char* kVendorName = "Talvane Audio";
constexpr const char* kVendorUrl = "https://talvane.audio";
constexpr const char* kVendorEmail = "mailto:hello@talvane.audio";

// The product's name, as preset folders and preset files name the plug-in.
constexpr const char* kPluginName = "Talvane";
constexpr const char* kProcessorClassName = "Talvane VST3";
constexpr const char* kControllerClassName = "Talvane VST3Controller";
constexpr const char* kPluginVersion = "0.87.0.0";
// The interface generation the classes were designed against, reported in the class infos.
constexpr const char* kSdkVersionString = "VST 3.6.0";
constexpr const char* kInstrumentSubCategories = "Instrument|Synth";

// Four-character unique ID of the VST 2 entry point: 'j3cs'.
constexpr int kVst2UniqueId = 0x6A336373;

} // namespace talvane
