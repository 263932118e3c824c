#include "lv2/bundledescription.h"

#include "lv2/parameterports.h"
#include "lv2/portlayout.h"
#include "lv2/turtlewriter.h"
#include "source/factory/classids.h"
#include "source/presets/programs.h"
#include "source/params/stateformat.h"

#include "public.sdk/source/common/memorystream.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <vector>

namespace talvane::lv2 {

namespace {

constexpr const char* kLicenseUri = "https://spdx.org/licenses/GPL-3.0-or-later";

void addPrefixes(TurtleWriter& out)
{
    out.prefix("atom", "http://lv2plug.in/ns/ext/atom#");
    out.prefix("bufsz", "http://lv2plug.in/ns/ext/buf-size#");
    out.prefix("doap", "http://usefulinc.com/ns/doap#");
    out.prefix("foaf", "http://xmlns.com/foaf/0.1/");
    out.prefix("lv2", "http://lv2plug.in/ns/lv2core#");
    out.prefix("midi", "http://lv2plug.in/ns/ext/midi#");
    out.prefix("opts", "http://lv2plug.in/ns/ext/options#");
    out.prefix("pprops", "http://lv2plug.in/ns/ext/port-props#");
    out.prefix("pset", "http://lv2plug.in/ns/ext/presets#");
    out.prefix("rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#");
    out.prefix("rdfs", "http://www.w3.org/2000/01/rdf-schema#");
    out.prefix("state", "http://lv2plug.in/ns/ext/state#");
    out.prefix("time", "http://lv2plug.in/ns/ext/time#");
    out.prefix("ui", "http://lv2plug.in/ns/extensions/ui#");
    out.prefix("units", "http://lv2plug.in/ns/extensions/units#");
    out.prefix("urid", "http://lv2plug.in/ns/ext/urid#");
}

// "0.87.0.0": the plug-in's minor and micro version as LV2 counts them (major.minor.micro).
void pluginVersion(int& minor, int& micro)
{
    char* end = nullptr;
    std::strtol(kPluginVersion, &end, 10);
    minor = end && *end == '.' ? static_cast<int>(std::strtol(end + 1, &end, 10)) : 0;
    micro = end && *end == '.' ? static_cast<int>(std::strtol(end + 1, &end, 10)) : 0;
}

// The factory sounds that hosts list as presets: every program but Init, which is the plug-in's
// defaults, as the VST 3 preset files have them.
constexpr int kFirstFactorySound = 1;

std::string presetUri(const presets::Program& sound)
{
    return kPresetUriBase + symbolFrom(sound.name);
}

void writeManifest(TurtleWriter& out)
{
    const Term plugin = out.uri(kPluginUri);
    const Term ui = out.uri(kUiUri);
    out.statement(plugin, out.name("rdf:type"), out.name("lv2:Plugin"));
    out.statement(plugin, out.name("rdf:type"), out.name("lv2:InstrumentPlugin"));
    out.statement(plugin, out.name("lv2:binary"), out.uri(kPluginBinary));
    out.statement(plugin, out.name("rdfs:seeAlso"), out.uri(kPluginDataFile));
    out.statement(ui, out.name("rdf:type"), out.name("ui:X11UI"));
    out.statement(ui, out.name("lv2:binary"), out.uri(kUiBinary));
    out.statement(ui, out.name("rdfs:seeAlso"), out.uri(kUiDataFile));

    const presets::ProgramTable& programs = presets::factoryPrograms();
    for (int program = kFirstFactorySound; program < programs.count(); ++program)
    {
        const Term preset = out.uri(presetUri(programs.at(program)));
        out.statement(preset, out.name("rdf:type"), out.name("pset:Preset"));
        out.statement(preset, out.name("lv2:appliesTo"), plugin);
        // Hosts list presets by the manifest's labels before they read the presets themselves.
        out.statement(preset, out.name("rdfs:label"), out.text(programs.at(program).name));
        out.statement(preset, out.name("rdfs:seeAlso"), out.uri(kPresetDataFile));
    }
}

const char* unitName(PortUnit unit)
{
    switch (unit)
    {
    case PortUnit::Octaves:
        return "units:oct";
    case PortUnit::Semitones:
        return "units:semitone12TET";
    case PortUnit::Unitless:
        break;
    }
    return nullptr;
}

// Opens the description of a port of the plug-in: its direction and type, index, symbol and name.
// The caller adds what else it says and ends it with out.end(port).
Term beginPort(TurtleWriter& out, const Term& plugin, const char* direction, const char* type,
               std::uint32_t index, const char* symbol, const char* name)
{
    const Term port = out.newBlank();
    out.beginBlank(plugin, out.name("lv2:port"), port);
    out.statement(port, out.name("rdf:type"), out.name(direction));
    out.statement(port, out.name("rdf:type"), out.name(type));
    out.statement(port, out.name("lv2:index"), out.integer(index));
    out.statement(port, out.name("lv2:symbol"), out.text(symbol));
    out.statement(port, out.name("lv2:name"), out.text(name));
    return port;
}

// A number as the port's kind writes it: a whole number for the stepped kinds.
Term portNumber(TurtleWriter& out, const ParameterPort& description, float value)
{
    if (description.kind == PortKind::Continuous)
        return out.decimal(value);
    return out.integer(static_cast<long long>(value));
}

void writeParameterPort(TurtleWriter& out, const Term& plugin, ParamId id)
{
    const ParameterPort description = describeParameterPort(id);
    const Term port =
        beginPort(out, plugin, "lv2:InputPort", "lv2:ControlPort", id, description.symbol, description.name);
    out.statement(port, out.name("lv2:default"), portNumber(out, description, description.defaultValue));
    out.statement(port, out.name("lv2:minimum"), portNumber(out, description, description.minimum));
    out.statement(port, out.name("lv2:maximum"), portNumber(out, description, description.maximum));
    switch (description.kind)
    {
    case PortKind::Continuous:
        break;
    case PortKind::Toggle:
        out.statement(port, out.name("lv2:portProperty"), out.name("lv2:toggled"));
        out.statement(port, out.name("lv2:portProperty"), out.name("lv2:integer"));
        break;
    case PortKind::Integer:
        out.statement(port, out.name("lv2:portProperty"), out.name("lv2:integer"));
        break;
    case PortKind::Enumeration:
        out.statement(port, out.name("lv2:portProperty"), out.name("lv2:integer"));
        out.statement(port, out.name("lv2:portProperty"), out.name("lv2:enumeration"));
        break;
    }
    if (description.trigger)
        out.statement(port, out.name("lv2:portProperty"), out.name("pprops:trigger"));
    if (const char* unit = unitName(description.unit))
        out.statement(port, out.name("units:unit"), out.name(unit));
    for (int i = 0; i < description.scalePointCount; ++i)
    {
        const Term point = out.newBlank();
        out.beginBlank(port, out.name("lv2:scalePoint"), point);
        out.statement(point, out.name("rdfs:label"), out.text(description.scalePoints[i]));
        out.statement(point, out.name("rdf:value"), out.integer(static_cast<long long>(description.minimum) + i));
        out.end(point);
    }
    out.end(port);
}

void writeEventsPort(TurtleWriter& out, const Term& plugin)
{
    const Term port =
        beginPort(out, plugin, "lv2:InputPort", "atom:AtomPort", kEventsIn.index, kEventsIn.symbol, kEventsIn.name);
    out.statement(port, out.name("atom:bufferType"), out.name("atom:Sequence"));
    out.statement(port, out.name("atom:supports"), out.name("midi:MidiEvent"));
    out.statement(port, out.name("atom:supports"), out.name("time:Position"));
    out.statement(port, out.name("lv2:designation"), out.name("lv2:control"));
    out.end(port);
}

void writeAudioPort(TurtleWriter& out, const Term& plugin, const FixedPort& fixed)
{
    const Term port =
        beginPort(out, plugin, "lv2:OutputPort", "lv2:AudioPort", fixed.index, fixed.symbol, fixed.name);
    out.end(port);
}

void writeLatencyPort(TurtleWriter& out, const Term& plugin)
{
    const Term port =
        beginPort(out, plugin, "lv2:OutputPort", "lv2:ControlPort", kLatency.index, kLatency.symbol, kLatency.name);
    out.statement(port, out.name("lv2:designation"), out.name("lv2:latency"));
    // Older hosts look for the property rather than the designation.
    out.statement(port, out.name("lv2:portProperty"), out.name("lv2:reportsLatency"));
    out.statement(port, out.name("lv2:portProperty"), out.name("lv2:integer"));
    out.statement(port, out.name("lv2:portProperty"), out.name("pprops:notOnGUI"));
    out.statement(port, out.name("units:unit"), out.name("units:frame"));
    out.end(port);
}

void writePluginData(TurtleWriter& out)
{
    const Term plugin = out.uri(kPluginUri);
    out.statement(plugin, out.name("rdf:type"), out.name("lv2:Plugin"));
    out.statement(plugin, out.name("rdf:type"), out.name("lv2:InstrumentPlugin"));
    // A project in DOAP's terms, which its name, licence and maintainer describe.
    out.statement(plugin, out.name("rdf:type"), out.name("doap:Project"));
    out.statement(plugin, out.name("doap:name"), out.text(kPluginName));
    out.statement(plugin, out.name("doap:license"), out.uri(kLicenseUri));
    const Term maintainer = out.newBlank();
    out.beginBlank(plugin, out.name("doap:maintainer"), maintainer);
    out.statement(maintainer, out.name("rdf:type"), out.name("foaf:Person"));
    out.statement(maintainer, out.name("foaf:name"), out.text(kVendorName));
    out.statement(maintainer, out.name("foaf:homepage"), out.uri(kVendorUrl));
    out.statement(maintainer, out.name("foaf:mbox"), out.uri(kVendorEmail));
    out.end(maintainer);
    int minor = 0;
    int micro = 0;
    pluginVersion(minor, micro);
    out.statement(plugin, out.name("lv2:minorVersion"), out.integer(minor));
    out.statement(plugin, out.name("lv2:microVersion"), out.integer(micro));
    out.statement(plugin, out.name("lv2:requiredFeature"), out.name("urid:map"));
    out.statement(plugin, out.name("lv2:optionalFeature"), out.name("lv2:hardRTCapable"));
    out.statement(plugin, out.name("lv2:optionalFeature"), out.name("opts:options"));
    out.statement(plugin, out.name("opts:supportedOption"), out.name("bufsz:maxBlockLength"));
    out.statement(plugin, out.name("lv2:extensionData"), out.name("state:interface"));
    out.statement(plugin, out.name("ui:ui"), out.uri(kUiUri));

    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        writeParameterPort(out, plugin, id);
    writeEventsPort(out, plugin);
    writeAudioPort(out, plugin, kLeftOut);
    writeAudioPort(out, plugin, kRightOut);
    writeLatencyPort(out, plugin);

    // The key of the saved state, which presets use as a property.
    const Term stateKey = out.uri(kStateKeyUri);
    out.statement(stateKey, out.name("rdf:type"), out.name("rdf:Property"));
    out.statement(stateKey, out.name("rdfs:label"), out.text(std::string(kPluginName) + " state"));
    out.statement(stateKey, out.name("rdfs:comment"),
                  out.text("The processor's saved state: the same bytes a VST 3 host saves."));
    out.statement(stateKey, out.name("rdfs:range"), out.name("atom:Chunk"));
}

// The state the plug-in saves for `values`, as its state extension stores it.
std::vector<char> stateBytes(const presets::SoundValues& values)
{
    float items[kNumParams];
    std::copy(values.begin(), values.end(), items);
    Steinberg::MemoryStream state;
    if (writeState(&state, items) != Steinberg::kResultOk)
        return {};
    Steinberg::int64 size = 0;
    state.tell(&size);
    return std::vector<char>(state.getData(), state.getData() + size);
}

// A factory sound as a preset: every parameter port's value, for hosts that show or set ports, and
// the state the sound makes, which the plug-in takes whole.
void writePreset(TurtleWriter& out, const ParameterPorts& ports, const presets::Program& sound)
{
    const Term preset = out.uri(presetUri(sound));
    out.statement(preset, out.name("rdf:type"), out.name("pset:Preset"));
    out.statement(preset, out.name("lv2:appliesTo"), out.uri(kPluginUri));
    out.statement(preset, out.name("rdfs:label"), out.text(sound.name));
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
    {
        const Term port = out.newBlank();
        out.beginBlank(preset, out.name("lv2:port"), port);
        out.statement(port, out.name("lv2:symbol"), out.text(ports[id].symbol));
        out.statement(port, out.name("pset:value"),
                      portNumber(out, ports[id], portValueFromNormalized(ports[id], id, sound.values[id])));
        out.end(port);
    }
    const std::vector<char> state = stateBytes(sound.values);
    const Term properties = out.newBlank();
    out.beginBlank(preset, out.name("state:state"), properties);
    out.statement(properties, out.uri(kStateKeyUri), out.blob(state.data(), state.size()));
    out.end(properties);
}

void writePresetData(TurtleWriter& out)
{
    const ParameterPorts ports;
    const presets::ProgramTable& programs = presets::factoryPrograms();
    for (int program = kFirstFactorySound; program < programs.count(); ++program)
        writePreset(out, ports, programs.at(program));
}

void writeUiData(TurtleWriter& out)
{
    const Term ui = out.uri(kUiUri);
    out.statement(ui, out.name("rdf:type"), out.name("ui:X11UI"));
    // The editor lives in the host's window and is driven by the host's idle calls.
    out.statement(ui, out.name("lv2:requiredFeature"), out.name("ui:parent"));
    out.statement(ui, out.name("lv2:requiredFeature"), out.name("ui:idleInterface"));
    out.statement(ui, out.name("lv2:optionalFeature"), out.name("ui:resize"));
    out.statement(ui, out.name("lv2:optionalFeature"), out.name("ui:touch"));
    out.statement(ui, out.name("lv2:optionalFeature"), out.name("opts:options"));
    out.statement(ui, out.name("opts:supportedOption"), out.name("ui:scaleFactor"));
    out.statement(ui, out.name("lv2:extensionData"), out.name("ui:idleInterface"));
    out.statement(ui, out.name("lv2:extensionData"), out.name("ui:resize"));
}

bool writeFile(const std::string& directory, const char* fileName, const std::function<void(TurtleWriter&)>& body,
               std::string& error)
{
    const std::string path = directory + "/" + fileName;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        error = "cannot write " + path;
        return false;
    }
    bool written = false;
    {
        TurtleWriter out(file);
        addPrefixes(out);
        body(out);
        written = out.finish();
    }
    written = std::fclose(file) == 0 && written;
    if (!written)
        error = "writing " + path + " failed";
    return written;
}

} // namespace

bool writeBundleDescription(const std::string& directory, std::string& error)
{
    return writeFile(directory, kManifestFile, writeManifest, error) &&
           writeFile(directory, kPluginDataFile, writePluginData, error) &&
           writeFile(directory, kUiDataFile, writeUiData, error) &&
           writeFile(directory, kPresetDataFile, writePresetData, error);
}

} // namespace talvane::lv2
