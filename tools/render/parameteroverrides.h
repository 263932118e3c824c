// Parameter settings given by title on the command line ("F_Cutoff=0.4", "O1_Octave=-1"), looked up
// through the edit controller's parameter list as a host shows it.
//
// VALUE is a normalized value 0..1 for every parameter. A stepped parameter also takes the text the
// plug-in shows for one of its steps, which is its plain value (an octave of -1, a polyphony of 4,
// the index of a waveform); a VALUE written without a decimal point or exponent is read that way,
// so "Polyphony=1" is one voice and "Polyphony=1.0" is the top of the range.
#pragma once

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>
#include <vector>

namespace talvane::render {

struct ParameterSetting
{
    std::string title;
    Steinberg::Vst::ParamID id = 0;
    double normalized = 0.0;
};

// Parses one NAME=VALUE; throws RenderError naming what is wrong.
ParameterSetting resolveParameterSetting(Steinberg::Vst::IEditController& controller,
                                         const std::string& assignment);

// Resolves all of them in order; a parameter given twice keeps its last value.
std::vector<ParameterSetting> resolveParameterSettings(Steinberg::Vst::IEditController& controller,
                                                       const std::vector<std::string>& assignments);

// The title of the parameter at `index` of the controller's list, in ASCII.
std::string parameterTitle(Steinberg::Vst::IEditController& controller, Steinberg::int32 index);

} // namespace talvane::render
