#include "tools/render/outputfile.h"

#include "render/rendersupport.h"
#include "tools/render/rendererror.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <functional>

using namespace talvane::render;
using talvane::testing::fileBytes;
using talvane::testing::failureOf;
using talvane::testing::ScratchDirectory;

namespace {

struct ReadBack
{
    SF_INFO info{};
    std::vector<float> samples; // interleaved
};

ReadBack readWav(const std::string& path)
{
    ReadBack result;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.info);
    if (!file)
        return result;
    result.samples.resize(static_cast<std::size_t>(result.info.frames * result.info.channels));
    sf_readf_float(file, result.samples.data(), result.info.frames);
    sf_close(file);
    return result;
}

const float kLeft[] = {0.0f, 0.5f, -0.25f, 1.5f, -2.0f, 1.0e-7f};
const float kRight[] = {0.125f, -0.5f, 0.75f, -1.0f, 0.999f, 0.0f};
constexpr int kFrames = 6;

} // namespace

TEST(WavOutput, FloatFilesHoldTheSamplesExactly)
{
    ScratchDirectory scratch;
    const std::string path = scratch.path("out.wav");
    {
        WavFileWriter writer(path, 48000.0, SampleFormat::Float32);
        writer.write(kLeft, kRight, 2);
        writer.write(kLeft + 2, kRight + 2, kFrames - 2);
        EXPECT_EQ(fileBytes(path).size(), 0u) << "nothing appears before the file is complete";
        writer.commit();
    }
    const ReadBack back = readWav(path);
    EXPECT_EQ(back.info.samplerate, 48000);
    EXPECT_EQ(back.info.channels, 2);
    EXPECT_EQ(back.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(back.info.frames, kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        EXPECT_EQ(back.samples[2 * i], kLeft[i]);
        EXPECT_EQ(back.samples[2 * i + 1], kRight[i]);
    }
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"out.wav"});
}

TEST(WavOutput, TwentyFourBitFilesClipBeyondFullScale)
{
    ScratchDirectory scratch;
    const std::string path = scratch.path("out.wav");
    WavFileWriter writer(path, 44100.0, SampleFormat::Pcm24);
    writer.write(kLeft, kRight, kFrames);
    writer.commit();
    const ReadBack back = readWav(path);
    EXPECT_EQ(back.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    ASSERT_EQ(back.info.frames, kFrames);
    const float step = 1.0f / 8388608.0f;
    EXPECT_NEAR(back.samples[2 * 1], 0.5f, step);
    EXPECT_NEAR(back.samples[2 * 2], -0.25f, step);
    EXPECT_NEAR(back.samples[2 * 3], 1.0f, step); // 1.5 clipped, not wrapped to a negative value
    EXPECT_NEAR(back.samples[2 * 4], -1.0f, step);
    EXPECT_NEAR(back.samples[2 * 4 + 1], 0.999f, step);
}

TEST(WavOutput, AnUnfinishedFileLeavesNothingAndAnOldFileIntact)
{
    ScratchDirectory scratch;
    const std::string path = scratch.path("out.wav");
    scratch.write("out.wav", {1, 2, 3});
    {
        WavFileWriter writer(path, 44100.0, SampleFormat::Float32);
        writer.write(kLeft, kRight, kFrames);
        EXPECT_EQ(scratch.entries().size(), 2u); // the old file and the one being written
    }                                            // not committed: abandoned, as when a render fails
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(fileBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(WavOutput, UnwritablePlacesAreRefusedBeforeAnythingIsRendered)
{
    ScratchDirectory scratch;
    EXPECT_EQ(
        failureOf([&] { WavFileWriter(scratch.path("no/such/dir.wav"), 44100.0, SampleFormat::Float32); }),
        "cannot write " + scratch.path("no/such/dir.wav") + ": No such file or directory");
    EXPECT_EQ(failureOf([&] { WavFileWriter(scratch.path(""), 44100.0, SampleFormat::Float32); }),
              "cannot write " + scratch.path("") + ": it is a directory");
    EXPECT_TRUE(scratch.entries().empty());
}

TEST(StateFiles, WrittenWholeAndReadBack)
{
    ScratchDirectory scratch;
    const std::vector<std::uint8_t> bytes = {0, 87, 0, 255, 7};
    writeFileAtomically(scratch.path("s.talvane"), bytes);
    EXPECT_EQ(readWholeFile(scratch.path("s.talvane")), bytes);
    EXPECT_EQ(scratch.entries(), std::vector<std::string>{"s.talvane"});

    scratch.write("empty.talvane", {});
    EXPECT_EQ(failureOf([&] { readWholeFile(scratch.path("empty.talvane")); }),
              scratch.path("empty.talvane") + " is empty");
    EXPECT_NE(failureOf([&] { readWholeFile(scratch.path("none.talvane")); }).find("No such file"),
              std::string::npos);
}
