// What the controller needs of an open editor: to be told every parameter value it takes, from the
// host, from automation, from a loaded state or from the editor itself, and when the loaded sound's
// name or its edited mark changes, and when a restored state brings another zoom for the editor.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

namespace Steinberg {
namespace Vst {

class ParameterDisplay
{
public:
    virtual ~ParameterDisplay() = default;

    // Moves whatever shows parameter `id` to the normalized `value`.
    virtual void updateParameterDisplay(ParamID id, ParamValue value) = 0;
    // The controller's sound name, edited mark or program changed.
    virtual void updateSoundDisplay() {}
    // The controller's editor zoom (percent, a zoom step) was restored with the host's project.
    virtual void updateZoomDisplay(int /*percent*/) {}
};

} // namespace Vst
} // namespace Steinberg
