#include "tools/standalone/sound.h"

#include "tools/render/outputfile.h"
#include "tools/render/rendererror.h"

#include "source/controller/controllerstate.h"

#include "host/hosttext.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace talvane::standalone {

using namespace Steinberg;
using namespace Steinberg::Vst;

using host::lowered;
using host::narrow;

namespace {

constexpr const char* kLastSoundFile = "last.talvane";
constexpr const char* kLastControllerFile = "last-controller.state";
constexpr const char* kProductName = "Talvane";

// The root unit's program list and the parameter that selects from it.
struct ProgramList
{
    ProgramListID id = kNoProgramListId;
    int32 count = 0;
    ParamID selector = kNoParamId;
};

ProgramList programList(IEditController& controller)
{
    ProgramList list;
    IUnitInfo* units = nullptr;
    if (controller.queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)) != kResultOk || !units)
        return list;
    ProgramListInfo info{};
    if (units->getProgramListCount() > 0 && units->getProgramListInfo(0, info) == kResultOk)
    {
        list.id = info.id;
        list.count = info.programCount;
    }
    units->release();
    for (int32 i = 0; i < controller.getParameterCount(); ++i)
    {
        ParameterInfo parameter{};
        if (controller.getParameterInfo(i, parameter) == kResultOk &&
            (parameter.flags & ParameterInfo::kIsProgramChange))
            list.selector = parameter.id;
    }
    return list;
}

std::string programName(IEditController& controller, ProgramListID list, int32 index)
{
    IUnitInfo* units = nullptr;
    if (controller.queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)) != kResultOk || !units)
        return {};
    String128 name{};
    const bool found = units->getProgramName(list, index, name) == kResultOk;
    units->release();
    return found ? narrow(name) : std::string();
}

bool isDirectory(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void makeDirectories(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        const std::string prefix = path.substr(0, slash);
        if (!isDirectory(prefix) && mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            throw render::RenderError("cannot make the folder " + prefix + ": " + std::strerror(errno));
        if (slash == std::string::npos)
            return;
    }
}

bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

} // namespace

std::vector<std::string> factorySoundNames(IEditController& controller)
{
    const ProgramList list = programList(controller);
    std::vector<std::string> names;
    for (int32 i = 0; i < list.count; ++i)
        names.push_back(programName(controller, list.id, i));
    return names;
}

ParameterEdit selectFactorySound(IEditController& controller, const std::string& name)
{
    const ProgramList list = programList(controller);
    const std::vector<std::string> names = factorySoundNames(controller);
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&](const std::string& candidate) { return lowered(candidate) == lowered(name); });
    if (found == names.end() || list.selector == kNoParamId || list.count < 1)
    {
        std::string known;
        for (const std::string& each : names)
            known += (known.empty() ? "" : ", ") + each;
        throw render::RenderError("there is no factory sound \"" + name + "\" (there are: " + known + ")");
    }
    const auto index = static_cast<int32>(found - names.begin());
    const ParamValue value = list.count > 1 ? static_cast<ParamValue>(index) / (list.count - 1) : 0.0;
    controller.setParamNormalized(list.selector, value);
    return {list.selector, value};
}

std::string soundName(IEditController& controller)
{
    host::MemoryStream stream;
    std::string name;
    bool edited = false;
    if (controller.getState(&stream) == kResultOk)
        if (const std::optional<ControllerState> state = decodeControllerState(stream.bytes()))
        {
            name = state->soundName;
            edited = state->soundEdited;
        }
    return name.empty() ? name : name + (edited ? " (edited)" : "");
}

std::string windowTitle(IEditController& controller)
{
    const std::string name = soundName(controller);
    return name.empty() ? std::string(kProductName) : name + " - " + kProductName;
}

std::string configDirectory()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/talvane";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.config/talvane";
    return {};
}

std::string lastSoundPath(const std::string& directory)
{
    return directory + "/" + kLastSoundFile;
}

void saveLastSound(render::PluginSession& session, const std::string& directory)
{
    makeDirectories(directory);
    render::writeFileAtomically(lastSoundPath(directory), session.saveState());
    host::MemoryStream controllerState;
    if (session.controller().getState(&controllerState) == kResultOk)
        render::writeFileAtomically(directory + "/" + kLastControllerFile, controllerState.bytes());
}

bool restoreLastSound(render::PluginSession& session, const std::string& directory)
{
    const std::string path = lastSoundPath(directory);
    if (directory.empty() || !exists(path))
        return false;
    session.loadState(render::readWholeFile(path), path);
    const std::string controllerPath = directory + "/" + kLastControllerFile;
    if (exists(controllerPath))
    {
        host::MemoryStream stream(render::readWholeFile(controllerPath));
        session.controller().setState(&stream);
    }
    return true;
}

} // namespace talvane::standalone
