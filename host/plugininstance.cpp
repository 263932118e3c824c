#include "host/plugininstance.h"

#include <cstring>

namespace talvane::host {

HostApplication& PluginInstance::hostContext()
{
    static HostApplication context;
    return context;
}

bool PluginInstance::create(IPluginFactory* factory)
{
    destroy();
    if (!factory)
    {
        lastError = "no factory";
        return false;
    }
    TUID processorCid{};
    bool found = false;
    for (int32 i = 0; i < factory->countClasses() && !found; ++i)
    {
        PClassInfo info;
        if (factory->getClassInfo(i, &info) == kResultOk &&
            std::strcmp(info.category, kVstAudioEffectClass) == 0)
        {
            std::memcpy(processorCid, info.cid, sizeof(TUID));
            found = true;
        }
    }
    if (!found)
    {
        lastError = "the factory lists no audio processor class";
        return false;
    }
    if (factory->createInstance(processorCid, IComponent::iid, reinterpret_cast<void**>(&componentPtr)) !=
            kResultOk ||
        !componentPtr)
    {
        lastError = "cannot create the processor";
        componentPtr = nullptr;
        return false;
    }
    if (componentPtr->initialize(&hostContext()) != kResultOk)
    {
        lastError = "the processor's initialize failed";
        destroy();
        return false;
    }
    if (componentPtr->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processorPtr)) !=
        kResultOk)
    {
        lastError = "the component is no audio processor";
        processorPtr = nullptr;
        destroy();
        return false;
    }
    TUID controllerCid{};
    if (componentPtr->getControllerClassId(controllerCid) == kResultTrue &&
        factory->createInstance(controllerCid, IEditController::iid,
                                reinterpret_cast<void**>(&controllerPtr)) == kResultOk &&
        controllerPtr)
    {
        if (controllerPtr->initialize(&hostContext()) != kResultOk)
        {
            lastError = "the controller's initialize failed";
            destroy();
            return false;
        }
        connect();
    }
    else
    {
        controllerPtr = nullptr;
    }
    return true;
}

void PluginInstance::connect()
{
    componentPtr->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&componentConnection));
    controllerPtr->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&controllerConnection));
    if (componentConnection && controllerConnection)
    {
        componentConnection->connect(controllerConnection);
        controllerConnection->connect(componentConnection);
    }
}

void PluginInstance::disconnect()
{
    if (componentConnection && controllerConnection)
    {
        componentConnection->disconnect(controllerConnection);
        controllerConnection->disconnect(componentConnection);
    }
    if (componentConnection)
        componentConnection->release();
    if (controllerConnection)
        controllerConnection->release();
    componentConnection = controllerConnection = nullptr;
}

void PluginInstance::destroy()
{
    stop();
    disconnect();
    if (controllerPtr)
    {
        controllerPtr->terminate();
        controllerPtr->release();
        controllerPtr = nullptr;
    }
    if (processorPtr)
    {
        processorPtr->release();
        processorPtr = nullptr;
    }
    if (componentPtr)
    {
        componentPtr->terminate();
        componentPtr->release();
        componentPtr = nullptr;
    }
}

tresult PluginInstance::setup(double sampleRate, int32 maxSamplesPerBlock, int32 sampleSize)
{
    ProcessSetup setup{kRealtime, sampleSize, maxSamplesPerBlock, sampleRate};
    const tresult result = processorPtr->setupProcessing(setup);
    if (result != kResultOk)
        return result;
    componentPtr->setActive(true);
    processorPtr->setProcessing(true);
    active = true;
    return kResultOk;
}

void PluginInstance::stop()
{
    if (!active)
        return;
    processorPtr->setProcessing(false);
    componentPtr->setActive(false);
    active = false;
}

bool PluginInstance::saveState(MemoryStream& stream)
{
    return componentPtr->getState(&stream) == kResultOk;
}

bool PluginInstance::loadState(MemoryStream& stream)
{
    stream.rewind();
    const bool processorOk = componentPtr->setState(&stream) == kResultOk;
    if (controllerPtr)
    {
        stream.rewind();
        controllerPtr->setComponentState(&stream);
    }
    return processorOk;
}

AudioProcessRunner::AudioProcessRunner(IAudioProcessor* processorIn, int32 maxSamplesPerBlock,
                                       double sampleRate)
    : left(static_cast<size_t>(maxSamplesPerBlock > 0 ? maxSamplesPerBlock : 1)), right(left.size()),
      processor(processorIn)
{
    context.state = ProcessContext::kTempoValid;
    context.sampleRate = sampleRate;
    context.tempo = 120.0;
    channels[0] = left.data();
    channels[1] = right.data();
    outputBus.numChannels = 2;
    outputBus.channelBuffers32 = channels;
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numOutputs = 1;
    data.outputs = &outputBus;
}

tresult AudioProcessRunner::process(int32 numSamples)
{
    data.numSamples = numSamples;
    data.inputParameterChanges = parameterChanges.empty() ? nullptr : &parameterChanges;
    data.inputEvents = &events;
    data.processContext = sendContext ? &context : nullptr;
    const tresult result = processor->process(data);
    if (result == kResultOk)
    {
        context.projectTimeSamples += numSamples;
        if (keepRendered)
        {
            renderedLeft.insert(renderedLeft.end(), left.begin(), left.begin() + numSamples);
            renderedRight.insert(renderedRight.end(), right.begin(), right.begin() + numSamples);
        }
    }
    parameterChanges.clear();
    events.clear();
    return result;
}

} // namespace talvane::host
