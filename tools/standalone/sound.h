// The sound the player starts from and keeps between runs: factory sounds chosen by name through
// the controller's program list, the sound's name for the window's title, and the last sound, kept
// in the user's config folder.
#pragma once

#include "tools/render/pluginsession.h"
#include "tools/standalone/liveplayer.h"

#include <string>
#include <vector>

namespace talvane::standalone {

// The names of the factory sounds, in the controller's program list order.
std::vector<std::string> factorySoundNames(Steinberg::Vst::IEditController& controller);

// Selects the factory sound called `name` (case aside) on the controller and answers the
// program-change edit that selects it on the processor. Throws RenderError when there is none.
ParameterEdit selectFactorySound(Steinberg::Vst::IEditController& controller, const std::string& name);

// The loaded sound's name as the controller keeps it in its saved state ("" when it names none), with
// " (edited)" after it once the sound was changed.
std::string soundName(Steinberg::Vst::IEditController& controller);

// "Warm Pad - Talvane", with " (edited)" after a sound's name once it was changed, as the controller
// tells in its saved state.
std::string windowTitle(Steinberg::Vst::IEditController& controller);

// $XDG_CONFIG_HOME/talvane, or ~/.config/talvane; empty when neither can be known.
std::string configDirectory();

// The last sound: the processor's state as a .talvane file and the controller's own state beside
// it. Saving makes the folder; throws RenderError.
void saveLastSound(render::PluginSession& session, const std::string& directory);
// False when there is none; throws RenderError for one the plug-in refuses.
bool restoreLastSound(render::PluginSession& session, const std::string& directory);

std::string lastSoundPath(const std::string& directory);

} // namespace talvane::standalone
