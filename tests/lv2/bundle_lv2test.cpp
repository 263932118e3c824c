// The bundle's Turtle as hosts read it: valid Turtle (serd and sord), valid against the LV2
// ontologies (sord_validate), and, through lilv, a plug-in with 147 parameter ports, the event,
// audio and latency ports and an X11 editor, whose port symbols and order never change.
#include "lv2/lv2test.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>
#include <serd/serd.h>
#include <sord/sord.h>

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

using namespace talvane::testing;

namespace {

const char* const kTurtleFiles[] = {"manifest.ttl", "Talvane.ttl", "Talvane_ui.ttl", "presets.ttl"};

// Port symbols in index order: saved projects refer to ports by them.
const char* const kPortSymbols[kLv2PortCount] = {
    "GlobalVolume", "Portamento", "A_Attack", "A_Decay", "A_Sustain", "A_Release", "F_On", "F_Cutoff", "F_Q",
    "F_Type", "F_Amount", "F_Attack", "F_Decay", "F_Sustain", "F_Release", "O1_On", "O1_Waveform",
    "O1_Panning", "O1_PhaseInit", "O1_Retrig", "O1_Octave", "O1_Detune", "O1_FineTune", "O1_WaveStrech",
    "O1_Invert", "O1_SterDeph", "O2_On", "O2_Waveform", "O2_Panning", "O2_PhaseInit", "O2_Retrig", "O2_Octave",
    "O2_Detune", "O2_FineTune", "O2_WaveStrech", "O2_Invert", "O2_SterDeph", "O3_On", "O3_Waveform",
    "O3_Panning", "O3_PhaseInit", "O3_Retrig", "O3_Octave", "O3_Detune", "O3_FineTune", "O3_WaveStrech",
    "O3_Invert", "O3_SterDeph", "O1_Mix", "O2_Mix", "O3_Mix", "FM_O1__O2", "FM3_Amount", "FM3_O1_O2_Mix",
    "RM_1x2", "RM_1x3", "RM_2x3", "NoteMode", "Polyphony", "ModWheel", "PitchBend", "PB_Up", "PB_Down",
    "Panic", "KeyFollow", "RefOctave", "RefNote", "LFO1_Amount", "LFO1_Waveform", "LFO1_Freq", "LFO1_Retrig",
    "LFO1_Sync", "LFO1_InitPhase", "LFO1_Clipping", "LFO1_Dest1", "LFO1_Amount1", "LFO1_Dest2", "LFO1_Amount2",
    "LFO1_Dest3", "LFO1_Amount3", "LFO1_Dest4", "LFO1_Amount4", "LFO2_Amount", "LFO2_Waveform", "LFO2_Freq",
    "LFO2_Retrig", "LFO2_Sync", "LFO2_InitPhase", "LFO2_Clipping", "LFO2_Dest1", "LFO2_Amount1", "LFO2_Dest2",
    "LFO2_Amount2", "LFO2_Dest3", "LFO2_Amount3", "LFO2_Dest4", "LFO2_Amount4", "ENV1_Amount", "ENV1_Type",
    "ENV1_Attack", "ENV1_Decay", "ENV1_Sustain", "ENV1_Release", "ENV1_Dest1", "ENV1_Amount1", "ENV1_Dest2",
    "ENV1_Amount2", "ENV1_Dest3", "ENV1_Amount3", "ENV1_Dest4", "ENV1_Amount4", "ENV2_Amount", "ENV2_Type",
    "ENV2_Attack", "ENV2_Decay", "ENV2_Sustain", "ENV2_Release", "ENV2_Dest1", "ENV2_Amount1", "ENV2_Dest2",
    "ENV2_Amount2", "ENV2_Dest3", "ENV2_Amount3", "ENV2_Dest4", "ENV2_Amount4", "MATRIX1_Src",
    "MATRIX1_Amount", "MATRIX1_Clipping", "MATRIX1_Target1", "MATRIX1_Amount1", "MATRIX1_Target2",
    "MATRIX1_Amount2", "MATRIX1_Target3", "MATRIX1_Amount3", "MATRIX1_Target4", "MATRIX1_Amount4",
    "MATRIX2_Src", "MATRIX2_Amount", "MATRIX2_Clipping", "MATRIX2_Target1", "MATRIX2_Amount1",
    "MATRIX2_Target2", "MATRIX2_Amount2", "MATRIX2_Target3", "MATRIX2_Amount3", "MATRIX2_Target4",
    "MATRIX2_Amount4", "events_in", "out_left", "out_right", "latency",};

std::string bundleFile(const char* name)
{
    return lv2BundlePath() + "/" + name;
}

// Every triple of the bundle's files, read by serd into a sord model.
class BundleModel
{
public:
    BundleModel()
    {
        world = sord_world_new();
        model = sord_new(world, SORD_SPO | SORD_OPS, false);
        env = serd_env_new(nullptr);
        for (const char* file : kTurtleFiles)
        {
            const std::string path = bundleFile(file);
            const std::string uri = "file://" + path;
            SerdNode base = serd_node_from_string(SERD_URI, reinterpret_cast<const uint8_t*>(uri.c_str()));
            serd_env_set_base_uri(env, &base);
            SerdReader* reader = sord_new_reader(model, env, SERD_TURTLE, nullptr);
            statuses.push_back(serd_reader_read_file(reader, reinterpret_cast<const uint8_t*>(path.c_str())));
            serd_reader_free(reader);
        }
    }
    ~BundleModel()
    {
        serd_env_free(env);
        sord_free(model);
        sord_world_free(world);
    }

    // Triples matching a pattern (null: any).
    std::size_t count(const char* subject, const char* predicate, const char* object)
    {
        SordNode* s = subject ? sord_new_uri(world, reinterpret_cast<const uint8_t*>(subject)) : nullptr;
        SordNode* p = predicate ? sord_new_uri(world, reinterpret_cast<const uint8_t*>(predicate)) : nullptr;
        SordNode* o = object ? sord_new_uri(world, reinterpret_cast<const uint8_t*>(object)) : nullptr;
        std::size_t n = 0;
        SordIter* it = sord_search(model, s, p, o, nullptr);
        for (; !sord_iter_end(it); sord_iter_next(it))
            ++n;
        sord_iter_free(it);
        for (SordNode* node : {s, p, o})
            if (node)
                sord_node_free(world, node);
        return n;
    }

    // The subjects (ports) that are both `typeA` and `typeB`.
    std::size_t countTyped(const char* typeA, const char* typeB)
    {
        SordNode* type = sord_new_uri(world, reinterpret_cast<const uint8_t*>(LILV_NS_RDF "type"));
        SordNode* a = sord_new_uri(world, reinterpret_cast<const uint8_t*>(typeA));
        SordNode* b = sord_new_uri(world, reinterpret_cast<const uint8_t*>(typeB));
        std::size_t n = 0;
        SordIter* it = sord_search(model, nullptr, type, a, nullptr);
        for (; !sord_iter_end(it); sord_iter_next(it))
            if (sord_ask(model, sord_iter_get_node(it, SORD_SUBJECT), type, b, nullptr))
                ++n;
        sord_iter_free(it);
        for (SordNode* node : {type, a, b})
            sord_node_free(world, node);
        return n;
    }

    std::vector<SerdStatus> statuses;

private:
    SordWorld* world;
    SordModel* model;
    SerdEnv* env;
};

// The Turtle files of the LV2 vocabularies Debian installs (lv2-dev).
std::vector<std::string> ontologyFiles(const std::string& directory)
{
    std::vector<std::string> files;
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return files;
    while (const dirent* entry = readdir(dir))
    {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = directory + "/" + name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ttl") == 0)
            files.push_back(path);
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".lv2") == 0)
        {
            const std::vector<std::string> inner = ontologyFiles(path);
            files.insert(files.end(), inner.begin(), inner.end());
        }
    }
    closedir(dir);
    return files;
}

// Runs a program; its exit code, or -1 if it cannot be started; its output in `output`.
int runProgram(const std::vector<std::string>& arguments, std::string& output)
{
    const std::string outputPath = ::testing::TempDir() + "/talvane-lv2-validate.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    if (std::FILE* file = std::fopen(outputPath.c_str(), "r"))
    {
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
            output += static_cast<char>(c);
        std::fclose(file);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

bool onPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

class Lv2Bundle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plugin = lv2World().plugin(kLv2PluginUri);
        ASSERT_NE(plugin, nullptr) << "no plug-in " << kLv2PluginUri << " in " << lv2BundlePath();
    }

    const LilvPort* port(uint32_t index) const { return lilv_plugin_get_port_by_index(plugin, index); }
    bool portIs(uint32_t index, const char* classUri) const
    {
        return lilv_port_is_a(plugin, port(index), lv2World().uri(classUri));
    }
    bool portHasProperty(uint32_t index, const char* propertyUri) const
    {
        return lilv_port_has_property(plugin, port(index), lv2World().uri(propertyUri));
    }
    // The port's values for a property (e.g. its unit), as URIs.
    std::vector<std::string> portValues(uint32_t index, const char* predicateUri) const
    {
        std::vector<std::string> values;
        LilvNodes* nodes = lilv_port_get_value(plugin, port(index), lv2World().uri(predicateUri));
        LILV_FOREACH (nodes, i, nodes)
            values.emplace_back(lilv_node_as_string(lilv_nodes_get(nodes, i)));
        lilv_nodes_free(nodes);
        return values;
    }
    void range(uint32_t index, float& minimum, float& maximum, float& defaultValue) const
    {
        LilvNode* def = nullptr;
        LilvNode* min = nullptr;
        LilvNode* max = nullptr;
        lilv_port_get_range(plugin, port(index), &def, &min, &max);
        defaultValue = def ? lilv_node_as_float(def) : NAN;
        minimum = min ? lilv_node_as_float(min) : NAN;
        maximum = max ? lilv_node_as_float(max) : NAN;
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
    }
    // The scale points of a port as (value, label), in value order.
    std::vector<std::pair<float, std::string>> scalePoints(uint32_t index) const
    {
        std::vector<std::pair<float, std::string>> points;
        LilvScalePoints* list = lilv_port_get_scale_points(plugin, port(index));
        LILV_FOREACH (scale_points, i, list)
        {
            const LilvScalePoint* point = lilv_scale_points_get(list, i);
            points.emplace_back(lilv_node_as_float(lilv_scale_point_get_value(point)),
                                lilv_node_as_string(lilv_scale_point_get_label(point)));
        }
        lilv_scale_points_free(list);
        std::sort(points.begin(), points.end());
        return points;
    }

    const LilvPlugin* plugin = nullptr;
};

} // namespace

TEST(Lv2BundleTurtle, IsValidTurtleDescribingEveryPort)
{
    BundleModel model;
    for (std::size_t i = 0; i < model.statuses.size(); ++i)
        EXPECT_EQ(model.statuses[i], SERD_SUCCESS) << kTurtleFiles[i];
    EXPECT_EQ(model.count(kLv2PluginUri, LV2_CORE__port, nullptr), kLv2PortCount);
    EXPECT_EQ(model.countTyped(LV2_CORE__ControlPort, LV2_CORE__InputPort), 147u);
    EXPECT_EQ(model.countTyped(LV2_CORE__ControlPort, LV2_CORE__OutputPort), 1u);
    EXPECT_EQ(model.countTyped(LV2_CORE__AudioPort, LV2_CORE__OutputPort), 2u);
    EXPECT_EQ(model.countTyped(LV2_ATOM__AtomPort, LV2_CORE__InputPort), 1u);
    EXPECT_EQ(model.count(kLv2PluginUri, LV2_UI__ui, kLv2UiUri), 1u);
    EXPECT_EQ(model.count(kLv2UiUri, LILV_NS_RDF "type", LV2_UI__X11UI), 1u);
    // The 36 factory sounds as presets of the plug-in.
    EXPECT_EQ(model.count(nullptr, LILV_NS_RDF "type", LV2_PRESETS__Preset), 36u);
    EXPECT_EQ(model.count(nullptr, LV2_CORE__appliesTo, kLv2PluginUri), 36u);
}

TEST(Lv2BundleTurtle, IsValidAgainstTheLv2Vocabularies)
{
    if (!onPath("sord_validate"))
        GTEST_SKIP() << "sord_validate is not installed (Debian's sordi; tools/install-deps installs it)";
    std::vector<std::string> arguments = {"sord_validate"};
    const std::vector<std::string> ontologies = ontologyFiles(TALVANE_LV2_ONTOLOGY_DIR);
    if (ontologies.empty())
        GTEST_SKIP() << "no LV2 vocabularies in " << TALVANE_LV2_ONTOLOGY_DIR << " (Debian's lv2-dev)";
    arguments.insert(arguments.end(), ontologies.begin(), ontologies.end());
    for (const char* file : kTurtleFiles)
        arguments.push_back(bundleFile(file));
    std::string output;
    EXPECT_EQ(runProgram(arguments, output), 0) << output;
    EXPECT_NE(output.find("Found 0 errors"), std::string::npos) << output;
}

TEST_F(Lv2Bundle, IsAnInstrumentWithStateLatencyAndNothingElseRequired)
{
    EXPECT_TRUE(lilv_plugin_verify(plugin));
    EXPECT_STREQ(lilv_node_as_string(lilv_plugin_class_get_uri(lilv_plugin_get_class(plugin))),
                 LV2_CORE__InstrumentPlugin);
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_STREQ(lilv_node_as_string(name), "Talvane");
    lilv_node_free(name);

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    ASSERT_EQ(lilv_nodes_size(required), 1u);
    EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get(required, lilv_nodes_begin(required))), LV2_URID__map);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, lv2World().uri(LV2_STATE__interface)));

    ASSERT_TRUE(lilv_plugin_has_latency(plugin));
    EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin), kLatencyPort);
    EXPECT_TRUE(portIs(kLatencyPort, LV2_CORE__OutputPort));
    EXPECT_TRUE(portIs(kLatencyPort, LV2_CORE__ControlPort));
}

TEST_F(Lv2Bundle, PortSymbolsAndOrderAreFixed)
{
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), kLv2PortCount);
    for (uint32_t i = 0; i < kLv2PortCount; ++i)
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(plugin, port(i))), kPortSymbols[i]) << "port " << i;
    // The name is the parameter's title as the VST 3 side shows it, also where the symbol differs.
    LilvNode* name = lilv_port_get_name(plugin, port(51));
    EXPECT_STREQ(lilv_node_as_string(name), "FM_O1->O2");
    lilv_node_free(name);
}

TEST_F(Lv2Bundle, ParameterPortsShowMeaningfulValues)
{
    float min = 0, max = 0, def = 0;
    for (uint32_t i = 0; i < 147; ++i)
    {
        EXPECT_TRUE(portIs(i, LV2_CORE__InputPort) && portIs(i, LV2_CORE__ControlPort)) << "port " << i;
        range(i, min, max, def);
        EXPECT_TRUE(min <= def && def <= max) << "port " << i;
    }

    range(0, min, max, def); // GlobalVolume
    EXPECT_EQ(min, 0.0f);
    EXPECT_EQ(max, 1.0f);
    EXPECT_EQ(def, 0.8f);
    EXPECT_FALSE(portHasProperty(0, LV2_CORE__integer));

    range(20, min, max, def); // O1_Octave: whole octaves
    EXPECT_EQ(min, -3.0f);
    EXPECT_EQ(max, 3.0f);
    EXPECT_EQ(def, 0.0f);
    EXPECT_TRUE(portHasProperty(20, LV2_CORE__integer));
    EXPECT_EQ(portValues(20, LV2_UNITS__unit), std::vector<std::string>{LV2_UNITS__oct});

    range(21, min, max, def); // O1_Detune: semitones
    EXPECT_EQ(min, -12.0f);
    EXPECT_EQ(max, 12.0f);
    EXPECT_EQ(portValues(21, LV2_UNITS__unit), std::vector<std::string>{LV2_UNITS__semitone12TET});
    range(61, min, max, def); // PB_Up
    EXPECT_EQ(max, 36.0f);
    EXPECT_EQ(def, 1.0f);
    EXPECT_EQ(portValues(61, LV2_UNITS__unit), std::vector<std::string>{LV2_UNITS__semitone12TET});

    range(58, min, max, def); // Polyphony: a count of voices
    EXPECT_EQ(min, 1.0f);
    EXPECT_EQ(max, 16.0f);
    EXPECT_EQ(def, 16.0f);
    EXPECT_TRUE(portHasProperty(58, LV2_CORE__integer));
    EXPECT_TRUE(portValues(58, LV2_UNITS__unit).empty());

    range(6, min, max, def); // F_On
    EXPECT_TRUE(portHasProperty(6, LV2_CORE__toggled));
    EXPECT_EQ(def, 1.0f);
    EXPECT_TRUE(portHasProperty(63, LV2_CORE__toggled)); // Panic acts once
    EXPECT_TRUE(portHasProperty(63, LV2_PORT_PROPS__trigger));

    EXPECT_TRUE(portHasProperty(9, LV2_CORE__enumeration)); // F_Type
    const std::vector<std::pair<float, std::string>> filterTypes = {
        {0.0f, "LP"}, {1.0f, "BP"}, {2.0f, "HP"}, {3.0f, "Peak"}, {4.0f, "Notch"}};
    EXPECT_EQ(scalePoints(9), filterTypes);
    const auto octaves = scalePoints(65); // RefOctave names its values -2 .. 7
    ASSERT_EQ(octaves.size(), 10u);
    EXPECT_EQ(octaves.front(), std::make_pair(0.0f, std::string("-2")));
    EXPECT_EQ(octaves.back(), std::make_pair(9.0f, std::string("7")));
    range(65, min, max, def);
    EXPECT_EQ(def, 5.0f);
    const auto destinations = scalePoints(74); // LFO1_Dest1
    ASSERT_EQ(destinations.size(), 84u);
    EXPECT_EQ(destinations[15], std::make_pair(15.0f, std::string("OSC1 | Pitch")));
    EXPECT_EQ(scalePoints(16).size(), 14u); // O1_Waveform
    EXPECT_EQ(scalePoints(16)[13].second, "Half Rectified");

    int toggles = 0, integers = 0, enumerations = 0;
    for (uint32_t i = 0; i < 147; ++i)
    {
        toggles += portHasProperty(i, LV2_CORE__toggled);
        enumerations += portHasProperty(i, LV2_CORE__enumeration);
        integers += portHasProperty(i, LV2_CORE__integer) && !portHasProperty(i, LV2_CORE__toggled) &&
                    !portHasProperty(i, LV2_CORE__enumeration);
    }
    EXPECT_EQ(toggles, 15);
    EXPECT_EQ(integers, 9);
    EXPECT_EQ(enumerations, 37);
}

TEST_F(Lv2Bundle, EventPortTakesMidiAndTheHostsTimeAndAudioGoesOutInStereo)
{
    EXPECT_TRUE(portIs(kEventsInPort, LV2_ATOM__AtomPort));
    EXPECT_TRUE(portIs(kEventsInPort, LV2_CORE__InputPort));
    EXPECT_TRUE(lilv_port_supports_event(plugin, port(kEventsInPort), lv2World().uri(LV2_MIDI__MidiEvent)));
    EXPECT_TRUE(lilv_port_supports_event(plugin, port(kEventsInPort), lv2World().uri(LV2_TIME__Position)));
    EXPECT_EQ(portValues(kEventsInPort, LV2_ATOM__bufferType), std::vector<std::string>{LV2_ATOM__Sequence});
    EXPECT_EQ(portValues(kEventsInPort, LV2_CORE__designation), std::vector<std::string>{LV2_CORE__control});
    EXPECT_TRUE(portIs(148, LV2_CORE__AudioPort) && portIs(148, LV2_CORE__OutputPort));
    EXPECT_TRUE(portIs(149, LV2_CORE__AudioPort) && portIs(149, LV2_CORE__OutputPort));
}

TEST_F(Lv2Bundle, EditorIsAnX11UiDrivenByIdleAndResize)
{
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), kLv2UiUri);
    EXPECT_TRUE(lilv_ui_is_a(ui, lv2World().uri(LV2_UI__X11UI)));
    char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    EXPECT_EQ(std::string(binary), lv2BundlePath() + "/Talvane_ui.so");
    EXPECT_EQ(access(binary, R_OK), 0);
    lilv_free(binary);

    const LilvNode* uiUri = lilv_ui_get_uri(ui);
    lilv_world_load_resource(lv2World().world(), uiUri);
    LilvNodes* required =
        lilv_world_find_nodes(lv2World().world(), uiUri, lv2World().uri(LV2_CORE__requiredFeature), nullptr);
    std::vector<std::string> features;
    LILV_FOREACH (nodes, i, required)
        features.emplace_back(lilv_node_as_uri(lilv_nodes_get(required, i)));
    lilv_nodes_free(required);
    std::sort(features.begin(), features.end());
    EXPECT_EQ(features, (std::vector<std::string>{LV2_UI__idleInterface, LV2_UI__parent}));
    LilvNodes* extensions =
        lilv_world_find_nodes(lv2World().world(), uiUri, lv2World().uri(LV2_CORE__extensionData), nullptr);
    EXPECT_TRUE(lilv_nodes_contains(extensions, lv2World().uri(LV2_UI__idleInterface)));
    EXPECT_TRUE(lilv_nodes_contains(extensions, lv2World().uri(LV2_UI__resize)));
    lilv_nodes_free(extensions);
    lilv_uis_free(uis);
}
