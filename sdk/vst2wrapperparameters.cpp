// The wrapper's parameters: the host's index is the controller's parameter order. Values the host
// reads (getParameter) come from a lock-free copy that every change updates, so that they can be
// read from any thread; the processor receives changes as parameter points of its next block and
// the controller on the user-interface thread.
#include "sdk/vst2wrapper.h"

#include "pluginterfaces/base/ustring.h"

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

constexpr std::size_t kParamTextBytes = kVstMaxParamStrLen;
// Hosts' program name buffers hold 24 bytes, terminator included.
constexpr std::size_t kProgramNameBytes = 24;
// The one program of a plug-in without a program list: the current sound, which has no name.
constexpr const char kDefaultProgramName[] = "Default";
constexpr char16 kFirstSurrogate = 0xD800;
constexpr char16 kLastHighSurrogate = 0xDBFF;
constexpr char16 kLastSurrogate = 0xDFFF;
constexpr char32_t kSurrogateBase = 0x10000;
constexpr int kSurrogateShift = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

// The UTF-16 text as UTF-8 in `capacity` bytes, terminator included, never splitting a character.
void copyUtf8(char* destination, const char16* text, std::size_t capacity)
{
    std::size_t used = 0;
    for (std::size_t i = 0; text[i] != 0; ++i)
    {
        char32_t c = text[i];
        if (c >= kFirstSurrogate && c <= kLastHighSurrogate && text[i + 1] >= kLastHighSurrogate + 1 &&
            text[i + 1] <= kLastSurrogate)
        {
            c = kSurrogateBase +
                (((c - kFirstSurrogate) << kSurrogateShift) | (text[i + 1] & kSurrogateMask));
            ++i;
        }
        else if (c >= kFirstSurrogate && c <= kLastSurrogate)
            c = '?'; // a lone surrogate is no character
        char bytes[4];
        std::size_t length = 0;
        if (c < 0x80)
            bytes[length++] = static_cast<char>(c);
        else if (c < 0x800)
        {
            bytes[length++] = static_cast<char>(0xC0 | (c >> 6));
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            bytes[length++] = static_cast<char>(0xE0 | (c >> 12));
            bytes[length++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            bytes[length++] = static_cast<char>(0xF0 | (c >> 18));
            bytes[length++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        if (used + length > capacity - 1)
            break;
        std::memcpy(destination + used, bytes, length);
        used += length;
    }
    destination[used] = 0;
}

} // namespace

void Vst2Wrapper::collectParameters()
{
    const int32 count = controller->getParameterCount();
    for (int32 index = 0; index < count; ++index)
    {
        ParameterInfo info{};
        if (controller->getParameterInfo(index, info) != kResultOk)
            continue;
        // The program-change parameter becomes the VST 2 programs, not a parameter: the indices of
        // the others stay what they were before it existed.
        if (info.flags & ParameterInfo::kIsProgramChange)
        {
            if (programParameterId == kNoParamId)
                findProgramList(info);
            continue;
        }
        parameterIndexOfId.emplace(info.id, static_cast<int32>(parameterIds.size()));
        parameterIds.push_back(info.id);
        controllerIndices.push_back(index);
        parameterFlags.push_back(info.flags);
    }
    const auto size = static_cast<int32>(parameterIds.size());
    hostValues.reset(new std::atomic<float>[static_cast<std::size_t>(size)]);
    toProcessor = std::make_unique<PendingParameterValues>(size);
    toController = std::make_unique<PendingParameterValues>(size);
    refreshHostValuesFromController();
}

void Vst2Wrapper::refreshHostValuesFromController()
{
    for (std::size_t i = 0; i < parameterIds.size(); ++i)
        hostValues[i].store(static_cast<float>(controller->getParamNormalized(parameterIds[i])),
                            std::memory_order_relaxed);
}

bool Vst2Wrapper::isParameterIndex(int32 index) const
{
    return index >= 0 && index < static_cast<int32>(parameterIds.size());
}

int32 Vst2Wrapper::indexOfParameter(ParamID id) const
{
    const auto found = parameterIndexOfId.find(id);
    return found == parameterIndexOfId.end() ? -1 : found->second;
}

void Vst2Wrapper::setParameterProc(AEffect* e, int index, float value)
{
    if (auto* wrapper = e ? static_cast<Vst2Wrapper*>(e->object) : nullptr)
        wrapper->setParameterFromHost(index, value);
}

float Vst2Wrapper::getParameterProc(AEffect* e, int index)
{
    auto* wrapper = e ? static_cast<Vst2Wrapper*>(e->object) : nullptr;
    return wrapper ? wrapper->parameterValue(index) : 0.0f;
}

void Vst2Wrapper::setParameterFromHost(int32 index, float value)
{
    if (!isParameterIndex(index) || std::isnan(value))
        return;
    value = std::fmin(std::fmax(value, 0.0f), 1.0f);
    hostValues[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
    toProcessor->post(index, value);
    toController->post(index, value);
    updateControllerOnUiThread();
}

float Vst2Wrapper::parameterValue(int32 index) const
{
    if (!isParameterIndex(index))
        return 0.0f;
    return hostValues[static_cast<std::size_t>(index)].load(std::memory_order_relaxed);
}

void Vst2Wrapper::updateControllerOnUiThread()
{
    if (!onUiThread())
        return;
    toController->takeAll([this](int32 index, float value) {
        controller->setParamNormalized(parameterIds[static_cast<std::size_t>(index)], value);
    });
}

VstIntPtr Vst2Wrapper::copyProgramName(int32 index, char* text)
{
    if (!text || index < 0 || index >= programCount)
        return 0;
    String128 name{};
    if (programParameterId == kNoParamId)
    {
        UString(name, str16BufferSize(String128)).fromAscii(kDefaultProgramName);
    }
    else
    {
        IUnitInfo* units = nullptr;
        const bool named =
            controller->queryInterface(IUnitInfo::iid, reinterpret_cast<void**>(&units)) == kResultOk && units &&
            units->getProgramName(programListId, index, name) == kResultOk;
        if (units)
            units->release();
        if (!named)
        {
            text[0] = 0;
            return 0;
        }
    }
    name[str16BufferSize(String128) - 1] = 0;
    copyUtf8(text, name, kProgramNameBytes);
    return 1;
}

template <typename Field>
VstIntPtr Vst2Wrapper::copyParameterInfoText(int32 index, char* text, Field field)
{
    if (!text || !isParameterIndex(index))
        return 0;
    ParameterInfo info{};
    if (controller->getParameterInfo(controllerIndices[static_cast<std::size_t>(index)], info) != kResultOk)
    {
        text[0] = 0;
        return 0;
    }
    copyUtf8(text, field(info), kParamTextBytes);
    return 1;
}

VstIntPtr Vst2Wrapper::copyParameterName(int32 index, char* text)
{
    return copyParameterInfoText(index, text, [](const ParameterInfo& info) {
        return info.shortTitle[0] != 0 ? info.shortTitle : info.title;
    });
}

VstIntPtr Vst2Wrapper::copyParameterLabel(int32 index, char* text)
{
    return copyParameterInfoText(index, text, [](const ParameterInfo& info) { return info.units; });
}

VstIntPtr Vst2Wrapper::copyParameterDisplay(int32 index, char* text)
{
    if (!text || !isParameterIndex(index))
        return 0;
    String128 display{};
    if (controller->getParamStringByValue(parameterIds[static_cast<std::size_t>(index)],
                                          parameterValue(index), display) != kResultOk)
    {
        text[0] = 0;
        return 0;
    }
    display[str16BufferSize(String128) - 1] = 0;
    copyUtf8(text, display, kParamTextBytes);
    return 1;
}

VstIntPtr Vst2Wrapper::canBeAutomated(int32 index)
{
    if (!isParameterIndex(index))
        return 0;
    return (parameterFlags[static_cast<std::size_t>(index)] & ParameterInfo::kCanAutomate) ? 1 : 0;
}

// ---- IComponentHandler -----------------------------------------------------------------------

tresult PLUGIN_API Vst2Wrapper::beginEdit(ParamID id)
{
    const int32 index = indexOfParameter(id);
    if (index < 0)
        return kInvalidArgument;
    callHost(audioMasterBeginEdit, index);
    return kResultOk;
}

tresult PLUGIN_API Vst2Wrapper::performEdit(ParamID id, ParamValue valueNormalized)
{
    const int32 index = indexOfParameter(id);
    if (index < 0 || std::isnan(valueNormalized))
        return kInvalidArgument;
    const auto value = static_cast<float>(std::fmin(std::fmax(valueNormalized, 0.0), 1.0));
    // The controller has the value already: it made the edit.
    hostValues[static_cast<std::size_t>(index)].store(value, std::memory_order_relaxed);
    toProcessor->post(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
    return kResultOk;
}

tresult PLUGIN_API Vst2Wrapper::endEdit(ParamID id)
{
    const int32 index = indexOfParameter(id);
    if (index < 0)
        return kInvalidArgument;
    callHost(audioMasterEndEdit, index);
    return kResultOk;
}

tresult PLUGIN_API Vst2Wrapper::restartComponent(int32 flags)
{
    // VST 2 has no way to announce new titles, buses or a new latency to a running host; what can
    // be followed here is taken over.
    if (flags & kParamValuesChanged)
        refreshHostValuesFromController();
    if (flags & kLatencyChanged)
        effect.initialDelay = static_cast<VstInt32>(processor->getLatencySamples());
    return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
