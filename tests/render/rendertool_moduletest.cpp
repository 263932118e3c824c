// talvane-render as a user runs it: what it writes, and how it refuses what it cannot do.
#include "render/rendersupport.h"
#include "support/moduletest.h"
#include "tools/render/midifilewriter.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using talvane::render::MidiFileWriter;
using talvane::testing::fileBytes;
using talvane::testing::ScratchDirectory;

namespace {

struct Outcome
{
    int exitCode = -1;
    std::string out, err;
};

std::string textOf(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class RenderTool : public ::testing::Test
{
protected:
    RenderTool()
    {
        MidiFileWriter writer;
        writer.note(0.0, 1.0, 60, 100);
        writer.note(0.5, 1.0, 67, 100);
        writer.controlChange(0.25, 1, 100);
        writer.save(scratch.path("song.mid"));
    }

    // Starts the tool with the built module; `interruptAfter` > 0 sends it SIGINT after so many ms.
    Outcome run(std::vector<std::string> args, int interruptAfter = 0)
    {
        args.insert(args.begin(), {TALVANE_RENDER_TOOL, "--plugin", talvane::testing::modulePath()});
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string outPath = scratch.path("stdout.txt"), errPath = scratch.path("stderr.txt");
        const pid_t child = fork();
        if (child == 0)
        {
            dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
            dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (interruptAfter > 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(interruptAfter));
            kill(child, SIGINT);
        }
        int status = 0;
        waitpid(child, &status, 0);
        Outcome outcome;
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = textOf(outPath);
        outcome.err = textOf(errPath);
        unlink(outPath.c_str());
        unlink(errPath.c_str());
        return outcome;
    }

    // A failure: exit code 1 and one line on stderr that contains `says`; nothing left behind but
    // the files the test put there.
    void expectRefusal(const std::vector<std::string>& args, const std::string& says, int exitCode = 1)
    {
        const std::vector<std::string> before = scratch.entries();
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.exitCode, exitCode) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("talvane-render: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find(says), std::string::npos) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(scratch.entries().size(), before.size()) << "files left behind";
    }

    ScratchDirectory scratch;
};

} // namespace

TEST_F(RenderTool, WritesTheFileItSaysItWrote)
{
    const Outcome outcome =
        run({scratch.path("song.mid"), scratch.path("out.wav"), "--tail", "0.25", "--format", "pcm24",
             "--sample-rate", "48000", "--param", "O1_Waveform=1", "--block-size", "333"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("wrote " + scratch.path("out.wav") + ": 1.00 s, 48000 Hz, 24-bit, peak ", 0),
              0u)
        << outcome.out;
    SF_INFO info{};
    SNDFILE* file = sf_open(scratch.path("out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.frames, 48000); // the last note-off at 0.75 s and the tail
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(scratch.entries().size(), 2u);
}

TEST_F(RenderTool, SavesTheStateItStartsFromWithoutRendering)
{
    const Outcome saved = run({"--param", "Polyphony=4", "--save-state", scratch.path("four.talvane"), "-q"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const std::vector<std::uint8_t> state = fileBytes(scratch.path("four.talvane"));
    ASSERT_EQ(state.size(), 600u);
    EXPECT_EQ(state[12 + 4 * 58], 4); // Polyphony, a stepped value stored as its plain number

    const Outcome again =
        run({"--state", scratch.path("four.talvane"), "--param", "A_Attack=0.3", "--save-state",
             scratch.path("again.talvane"), scratch.path("song.mid"), scratch.path("out.wav"), "-q"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const std::vector<std::uint8_t> both = fileBytes(scratch.path("again.talvane"));
    ASSERT_EQ(both.size(), 600u);
    EXPECT_EQ(both[12 + 4 * 58], 4);
    EXPECT_NE(both, state);
}

TEST_F(RenderTool, RefusesBadInputInOneLineAndLeavesNoFile)
{
    const std::string out = scratch.path("out.wav");
    expectRefusal({scratch.path("missing.mid"), out}, "missing.mid: No such file or directory");
    scratch.write("text.mid", {'n', 'o', 't', ' ', 'm', 'i', 'd', 'i', ' ', 'a', 't', ' ', 'a', 'l', 'l'});
    expectRefusal({scratch.path("text.mid"), out}, "is not a Standard MIDI File");
    std::vector<std::uint8_t> cut = fileBytes(scratch.path("song.mid"));
    cut.resize(cut.size() - 5);
    scratch.write("cut.mid", cut);
    expectRefusal({scratch.path("cut.mid"), out}, "is cut short");

    expectRefusal({scratch.path("song.mid"), out, "--param", "O1_Wavefrom=1"},
                  "unknown parameter \"O1_Wavefrom\"");
    expectRefusal({scratch.path("song.mid"), out, "--param", "O1_Octave=4"},
                  "O1_Octave=4: not one of its values");
    expectRefusal({scratch.path("song.mid"), out, "--param", "F_Q=-0.1"},
                  "F_Q=-0.1: a value between 0 and 1");

    scratch.write("nan.talvane", std::vector<std::uint8_t>(600, 0xFF));
    expectRefusal({scratch.path("song.mid"), out, "--state", scratch.path("nan.talvane")},
                  "nan.talvane is not a state the plug-in accepts");
    scratch.write("short.talvane", std::vector<std::uint8_t>(100, 0));
    expectRefusal({scratch.path("song.mid"), out, "--state", scratch.path("short.talvane")},
                  "short.talvane is not a state the plug-in accepts");
    expectRefusal({scratch.path("song.mid"), out, "--state", scratch.path("none.talvane")},
                  "none.talvane: No such file or directory");

    expectRefusal({scratch.path("song.mid"), scratch.path("no/dir/out.wav")},
                  "cannot write " + scratch.path("no/dir/out.wav") + ": No such file or directory");
    expectRefusal({scratch.path("song.mid"), scratch.path("")}, "it is a directory");
    expectRefusal({scratch.path("song.mid"), out, "--block-size", "0"}, "--block-size needs a whole number",
                  2);
    expectRefusal({scratch.path("song.mid")}, "give a MIDI file and an output file", 2);
    expectRefusal({scratch.path("song.mid"), out, "--plugin", scratch.path("none.vst3")}, "cannot load");
}

TEST_F(RenderTool, AFailedRenderLeavesAnEarlierOutputAlone)
{
    scratch.write("out.wav", {'o', 'l', 'd'});
    expectRefusal({scratch.path("song.mid"), scratch.path("out.wav"), "--param", "Nothing=1"},
                  "unknown parameter");
    EXPECT_EQ(textOf(scratch.path("out.wav")), "old");
}

TEST_F(RenderTool, AnInterruptedRenderLeavesNothing)
{
    // An hour of tail in single-sample blocks is still running when the interrupt comes.
    const Outcome outcome =
        run({scratch.path("song.mid"), scratch.path("out.wav"), "--tail", "3600", "--block-size", "1"}, 1500);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "talvane-render: interrupted\n");
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"song.mid"});
}
