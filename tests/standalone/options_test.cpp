// talvane's command line.
#include "tools/standalone/options.h"

#include <gtest/gtest.h>

namespace talvane::standalone {
namespace {

Options parse(const std::vector<std::string>& args)
{
    return parseOptions(args, "/default/Talvane.vst3");
}

std::string usageErrorOf(const std::vector<std::string>& args)
{
    try
    {
        parse(args);
    }
    catch (const render::UsageError& e)
    {
        return e.what();
    }
    return {};
}

TEST(StandaloneOptions, DefaultsPlayEveryInputWithTheEditorOnTheAudioSystemThereIs)
{
    const Options options = parse({});
    EXPECT_EQ(options.pluginPath, "/default/Talvane.vst3");
    EXPECT_EQ(options.audio, AudioSystem::Automatic);
    EXPECT_TRUE(options.showEditor);
    EXPECT_EQ(options.request.sampleRate, 0u);
    EXPECT_EQ(options.request.bufferFrames, 0u);
    EXPECT_TRUE(options.request.midiPort.empty());
    EXPECT_TRUE(options.statePath.empty());
    EXPECT_TRUE(options.presetName.empty());
    EXPECT_FALSE(options.listDevices);
}

TEST(StandaloneOptions, ReadsEveryOptionWithItsValueApartOrAfterAnEqualsSign)
{
    const Options options = parse({"--no-gui", "--audio", "alsa", "--rate=44100", "--buffer", "128", "--device",
                                   "hw:1", "--midi=Keystation", "--preset", "Warm Pad", "--plugin", "/x/T.so"});
    EXPECT_FALSE(options.showEditor);
    EXPECT_EQ(options.audio, AudioSystem::Alsa);
    EXPECT_EQ(options.request.sampleRate, 44100u);
    EXPECT_EQ(options.request.bufferFrames, 128u);
    EXPECT_EQ(options.request.device, "hw:1");
    EXPECT_EQ(options.request.midiPort, "Keystation");
    EXPECT_EQ(options.presetName, "Warm Pad");
    EXPECT_EQ(options.pluginPath, "/x/T.so");
    EXPECT_EQ(parse({"--state", "my.talvane"}).statePath, "my.talvane");
    EXPECT_EQ(parse({"--audio=jack"}).audio, AudioSystem::Jack);
    EXPECT_TRUE(parse({"--list-devices"}).listDevices);
    EXPECT_TRUE(parse({"-h"}).help);
}

TEST(StandaloneOptions, RefusesWhatCannotBePlayedWithOneLineSayingWhy)
{
    EXPECT_EQ(usageErrorOf({"--rate", "1000"}), "--rate needs a whole number from 8000 to 384000, not \"1000\"");
    EXPECT_EQ(usageErrorOf({"--buffer", "8193"}), "--buffer needs a whole number from 16 to 8192, not \"8193\"");
    EXPECT_EQ(usageErrorOf({"--buffer", "12x"}), "--buffer needs a whole number from 16 to 8192, not \"12x\"");
    EXPECT_EQ(usageErrorOf({"--audio", "oss"}), "--audio is jack or alsa, not \"oss\"");
    EXPECT_EQ(usageErrorOf({"--midi"}), "--midi needs a value");
    EXPECT_EQ(usageErrorOf({"--state="}), "--state needs a value");
    EXPECT_EQ(usageErrorOf({"--gui"}), "unknown option \"--gui\" (talvane --help lists them)");
    EXPECT_EQ(usageErrorOf({"--state", "a.talvane", "--preset", "Warm Pad"}),
              "--state and --preset both choose the starting sound: give one");
    EXPECT_EQ(usageErrorOf({"--audio", "jack", "--device", "hw:0"}),
              "--device names an ALSA device; JACK connects to the system's ports");
}

TEST(StandaloneOptions, HelpNamesEveryOption)
{
    const std::string text = usageText("/default/Talvane.vst3");
    for (const char* option : {"--audio", "--rate", "--buffer", "--device", "--midi", "--list-devices", "--state",
                               "--preset", "--no-gui", "--plugin", "--help"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}

} // namespace
} // namespace talvane::standalone
