#include "tools/standalone/options.h"

namespace talvane::standalone {

using render::UsageError;

namespace {

AudioSystem audioSystemNamed(const std::string& name)
{
    if (name == "jack")
        return AudioSystem::Jack;
    if (name == "alsa")
        return AudioSystem::Alsa;
    throw UsageError("--audio is jack or alsa, not \"" + name + "\"");
}

bool takesValue(const std::string& option)
{
    for (const char* name : {"--plugin", "--state", "--preset", "--rate", "--buffer", "--audio", "--device", "--midi"})
        if (option == name)
            return true;
    return false;
}

void setOption(Options& options, const std::string& option, const std::string& value)
{
    if (value.empty())
        throw UsageError(option + " needs a value");
    if (option == "--plugin")
        options.pluginPath = value;
    else if (option == "--state")
        options.statePath = value;
    else if (option == "--preset")
        options.presetName = value;
    else if (option == "--rate")
        options.request.sampleRate = static_cast<unsigned>(render::wholeInRange(option, value, kMinSampleRate, kMaxSampleRate));
    else if (option == "--buffer")
        options.request.bufferFrames =
            static_cast<unsigned>(render::wholeInRange(option, value, kMinBufferFrames, kMaxBufferFrames));
    else if (option == "--audio")
        options.audio = audioSystemNamed(value);
    else if (option == "--device")
        options.request.device = value;
    else if (option == "--midi")
        options.request.midiPort = value;
}

} // namespace

Options parseOptions(const std::vector<std::string>& args, const std::string& defaultPluginPath)
{
    Options options;
    options.pluginPath = defaultPluginPath;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::string option = args[i];
        std::string value;
        const std::size_t equals = option.find('=');
        const bool inline_ = option.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inline_)
        {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        }
        if (option == "--help" || option == "-h")
            options.help = true;
        else if (option == "--no-gui")
            options.showEditor = false;
        else if (option == "--list-devices")
            options.listDevices = true;
        else if (takesValue(option))
        {
            if (!inline_)
            {
                if (i + 1 >= args.size())
                    throw UsageError(option + " needs a value");
                value = args[++i];
            }
            setOption(options, option, value);
        }
        else
            throw UsageError("unknown option \"" + option + "\" (talvane --help lists them)");
    }
    if (!options.statePath.empty() && !options.presetName.empty())
        throw UsageError("--state and --preset both choose the starting sound: give one");
    if (options.audio == AudioSystem::Jack && !options.request.device.empty())
        throw UsageError("--device names an ALSA device; JACK connects to the system's ports");
    return options;
}

std::string usageText(const std::string& defaultPluginPath)
{
    return "usage: talvane [options]\n"
           "Plays the Talvane instrument live from MIDI, with its editor in a window.\n"
           "\n"
           "  --audio jack|alsa    the audio system (default: JACK where a server runs, else ALSA)\n"
           "  --rate HZ            the sample rate (ALSA; a JACK server keeps its own)\n"
           "  --buffer FRAMES      the buffer size, " + std::to_string(kMinBufferFrames) + " to " +
           std::to_string(kMaxBufferFrames) + " (default: the server's, or " +
           std::to_string(kDefaultBufferFrames) + " on ALSA)\n"
           "  --device NAME        the ALSA audio device (default: the system's default)\n"
           "  --midi PORT          play from this MIDI port only (default: every MIDI input)\n"
           "  --list-devices       list the audio outputs and MIDI ports, then exit\n"
           "  --state FILE         start from a saved state (a .talvane file)\n"
           "  --preset NAME        start from a factory sound, e.g. \"Warm Pad\"\n"
           "  --no-gui             play without the editor window (stop with Ctrl+C)\n"
           "  --plugin PATH        the plug-in to play (default: " + defaultPluginPath + ")\n"
           "  --help               show this text\n"
           "\n"
           "Without --state or --preset it starts from the sound it had when it last quit.\n";
}

} // namespace talvane::standalone
