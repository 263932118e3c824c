// One instance of a plug-in as a host holds it: the processor component and its edit controller,
// created through the module's factory, initialised with a host context and connected.
#pragma once

#include "host/hostobjects.h"
#include "host/pluginmodule.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <string>
#include <vector>

namespace talvane::host {

class PluginInstance
{
public:
    PluginInstance() = default;
    ~PluginInstance() { destroy(); }
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Creates the first audio processor class of the factory and the controller it names.
    bool create(IPluginFactory* factory);
    void destroy();

    // setupProcessing, then setActive and setProcessing as a host does before playback.
    tresult setup(double sampleRate, int32 maxSamplesPerBlock, int32 sampleSize = kSample32);
    void stop();

    // Host-style state transfer: the processor's state goes to the controller as well.
    bool saveState(MemoryStream& stream);
    bool loadState(MemoryStream& stream);

    IComponent* component() const { return componentPtr; }
    IAudioProcessor* processor() const { return processorPtr; }
    IEditController* controller() const { return controllerPtr; }
    const std::string& error() const { return lastError; }

    static HostApplication& hostContext();

private:
    void connect();
    void disconnect();

    IComponent* componentPtr = nullptr;
    IAudioProcessor* processorPtr = nullptr;
    IEditController* controllerPtr = nullptr;
    IConnectionPoint* componentConnection = nullptr;
    IConnectionPoint* controllerConnection = nullptr;
    bool active = false;
    std::string lastError;
};

// Drives IAudioProcessor::process with host-owned buffers, parameter changes, events and a
// process context. Parameter changes and events are consumed by each call.
class AudioProcessRunner
{
public:
    AudioProcessRunner(IAudioProcessor* processor, int32 maxSamplesPerBlock, double sampleRate);
    // The process data points into the runner itself.
    AudioProcessRunner(const AudioProcessRunner&) = delete;
    AudioProcessRunner& operator=(const AudioProcessRunner&) = delete;

    tresult process(int32 numSamples);

    ParameterChanges parameterChanges;
    EventList events;
    ProcessContext context{};
    bool sendContext = true;

    std::vector<float> left, right;
    // Output of every block processed so far, appended in order.
    std::vector<float> renderedLeft, renderedRight;
    bool keepRendered = true;

private:
    IAudioProcessor* processor;
    float* channels[2];
    AudioBusBuffers outputBus{};
    ProcessData data{};
};

} // namespace talvane::host
