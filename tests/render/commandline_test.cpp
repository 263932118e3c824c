#include "tools/render/commandline.h"

#include <gtest/gtest.h>

using namespace talvane::render;

namespace {

CommandLine parse(std::vector<std::string> args)
{
    return parseCommandLine(args, "/default/Talvane.vst3");
}

std::string usageFailure(std::vector<std::string> args)
{
    try
    {
        parse(std::move(args));
    }
    catch (const UsageError& e)
    {
        return e.what();
    }
    return {};
}

} // namespace

TEST(CommandLine, DefaultsAndBothOptionForms)
{
    const CommandLine plain = parse({"in.mid", "out.wav"});
    EXPECT_EQ(plain.midiPath, "in.mid");
    EXPECT_EQ(plain.outputPath, "out.wav");
    EXPECT_EQ(plain.pluginPath, "/default/Talvane.vst3");
    EXPECT_EQ(plain.render.sampleRate, 44100.0);
    EXPECT_EQ(plain.render.blockSize, 512);
    EXPECT_EQ(plain.render.tailSeconds, 2.0);
    EXPECT_EQ(plain.format, SampleFormat::Float32);

    const CommandLine set = parse({"--sample-rate", "48000", "--block-size=1", "in.mid", "--tail", "0.5",
                                   "--format=pcm24", "--param", "F_Cutoff=0.5", "--param=O1_Octave=-1",
                                   "--state", "a.talvane", "--plugin=/x.so", "out.wav", "-q"});
    EXPECT_EQ(set.render.sampleRate, 48000.0);
    EXPECT_EQ(set.render.blockSize, 1);
    EXPECT_EQ(set.render.tailSeconds, 0.5);
    EXPECT_EQ(set.format, SampleFormat::Pcm24);
    EXPECT_EQ(set.parameters, (std::vector<std::string>{"F_Cutoff=0.5", "O1_Octave=-1"}));
    EXPECT_EQ(set.statePath, "a.talvane");
    EXPECT_EQ(set.pluginPath, "/x.so");
    EXPECT_TRUE(set.quiet);
    EXPECT_EQ(set.midiPath, "in.mid");

    // Saving a state needs no MIDI file; "--" ends the options.
    EXPECT_EQ(parse({"--param", "A_Attack=0.2", "--save-state", "s.talvane"}).saveStatePath, "s.talvane");
    EXPECT_EQ(parse({"--", "-odd.mid", "out.wav"}).midiPath, "-odd.mid");
    EXPECT_TRUE(parse({"--help"}).help);
}

TEST(CommandLine, RefusesWhatCannotRunInOneLine)
{
    EXPECT_EQ(usageFailure({"--block-size", "0", "a", "b"}),
              "--block-size needs a whole number from 1 to 65536, not \"0\"");
    EXPECT_NE(usageFailure({"--block-size", "12x", "a", "b"}), "");
    EXPECT_NE(usageFailure({"--sample-rate", "44100.5", "a", "b"}), "");
    EXPECT_NE(usageFailure({"--sample-rate", "1000", "a", "b"}), "");
    EXPECT_NE(usageFailure({"--tail", "-1", "a", "b"}), "");
    EXPECT_NE(usageFailure({"--tail", "nan", "a", "b"}), "");
    EXPECT_EQ(usageFailure({"--format", "mp3", "a", "b"}), "--format is float or pcm24, not \"mp3\"");
    EXPECT_EQ(usageFailure({"--frobnicate", "a", "b"}), "unknown option --frobnicate (see --help)");
    EXPECT_EQ(usageFailure({"a", "b", "--tail"}), "--tail needs a value");
    EXPECT_NE(usageFailure({"only.mid"}), "");
    EXPECT_NE(usageFailure({"a", "b", "c"}), "");
    EXPECT_NE(usageFailure({}), "");
}
