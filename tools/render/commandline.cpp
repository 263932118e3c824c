#include "tools/render/commandline.h"

#include "tools/render/numbertext.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

namespace talvane::render {

namespace {

std::optional<long> parseWhole(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}


double secondsInRange(const std::string& option, const std::string& text, double highest)
{
    const std::optional<double> value = parseReal(text);
    if (!value || *value < 0.0 || *value > highest)
        throw UsageError(option + " needs a number of seconds from 0 to " +
                         std::to_string(static_cast<int>(highest)) + ", not \"" + text + "\"");
    return *value;
}

SampleFormat formatNamed(const std::string& text)
{
    if (text == "float")
        return SampleFormat::Float32;
    if (text == "pcm24")
        return SampleFormat::Pcm24;
    throw UsageError("--format is float or pcm24, not \"" + text + "\"");
}

bool takesValue(const std::string& option)
{
    for (const char* name : {"--plugin", "--sample-rate", "--block-size", "--tail", "--format", "--state",
                             "--save-state", "--param"})
        if (option == name)
            return true;
    return false;
}

void setOption(CommandLine& line, const std::string& option, const std::string& value)
{
    if (option == "--plugin")
        line.pluginPath = value;
    else if (option == "--sample-rate")
        line.render.sampleRate =
            static_cast<double>(wholeInRange(option, value, kMinSampleRate, kMaxSampleRate));
    else if (option == "--block-size")
        line.render.blockSize = static_cast<Steinberg::int32>(wholeInRange(option, value, 1, kMaxBlockSize));
    else if (option == "--tail")
        line.render.tailSeconds = secondsInRange(option, value, kMaxTailSeconds);
    else if (option == "--format")
        line.format = formatNamed(value);
    else if (option == "--state")
        line.statePath = value;
    else if (option == "--save-state")
        line.saveStatePath = value;
    else if (option == "--param")
        line.parameters.push_back(value);
}

} // namespace

long wholeInRange(const std::string& option, const std::string& text, long lowest, long highest)
{
    const std::optional<long> value = parseWhole(text);
    if (!value || *value < lowest || *value > highest)
        throw UsageError(option + " needs a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not \"" + text + "\"");
    return *value;
}


CommandLine parseCommandLine(const std::vector<std::string>& args, const std::string& defaultPluginPath)
{
    CommandLine line;
    line.pluginPath = defaultPluginPath;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
        {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help")
        {
            line.help = true;
            return line;
        }
        if (arg == "-q" || arg == "--quiet")
        {
            line.quiet = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string option = arg.substr(0, equals);
        if (!takesValue(option))
            throw UsageError("unknown option " + option + " (see --help)");
        std::string value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            throw UsageError(option + " needs a value");
        setOption(line, option, value);
    }
    if (positional.size() == 2)
    {
        line.midiPath = positional[0];
        line.outputPath = positional[1];
    }
    else if (!(positional.empty() && !line.saveStatePath.empty()))
    {
        throw UsageError("give a MIDI file and an output file (see --help)");
    }
    return line;
}

std::string usageText(const std::string& defaultPluginPath)
{
    return "usage: talvane-render [options] INPUT.mid OUTPUT.wav\n"
           "       talvane-render [--state FILE] [--param NAME=VALUE]... --save-state FILE\n"
           "\n"
           "Plays a Standard MIDI File through the Talvane plug-in, loaded as a host loads it, and\n"
           "writes the sound as a stereo WAV file.\n"
           "\n"
           "  --plugin PATH        Talvane.vst3 bundle or its .so\n"
           "                       (default " +
           defaultPluginPath +
           ")\n"
           "  --sample-rate HZ     sample rate, " +
           std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) +
           " (default 44100)\n"
           "  --block-size N       samples per process call, 1 to " +
           std::to_string(kMaxBlockSize) +
           " (default 512)\n"
           "  --tail SECONDS       rendered after the last MIDI event (default 2)\n"
           "  --format FORMAT      float (32-bit float) or pcm24 (24-bit integer; default float)\n"
           "  --state FILE         start from a saved plug-in state (a .talvane preset)\n"
           "  --param NAME=VALUE   set a parameter by its title, after --state; may repeat.\n"
           "                       VALUE is normalized, 0 to 1; a stepped parameter also takes its\n"
           "                       plain value as the plug-in shows it, written without a decimal\n"
           "                       point (O1_Octave=-1, Polyphony=4, O1_Waveform=1)\n"
           "  --save-state FILE    save the state the render starts from (--state with --param)\n"
           "  -q, --quiet          no progress bar and no summary\n"
           "  -h, --help           this text\n"
           "\n"
           "CC 1, pitch bend and the other controllers the plug-in maps become parameter changes;\n"
           "the file's tempo map drives the tempo and position the plug-in sees. The output starts\n"
           "at the file's time zero (the plug-in's latency is compensated) and is written to a\n"
           "temporary file that replaces OUTPUT only when complete.\n";
}

} // namespace talvane::render
