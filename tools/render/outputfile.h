// Files the tools write appear whole or not at all: the data goes to a temporary file in the same
// directory, which is renamed over the destination only when everything has been written.
#pragma once

#include "tools/render/renderer.h"

#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace talvane::render {

// A temporary file beside `path`, removed again unless committed.
class TemporaryFile
{
public:
    // Throws RenderError when the directory of `path` cannot take a new file, or `path` is a directory.
    explicit TemporaryFile(const std::string& path);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int descriptor() const { return fd; }
    const std::string& temporaryPath() const { return tempPath; }
    // The descriptor is given up (someone else closes it), or closed here.
    void releaseDescriptor() { fd = -1; }
    void close();
    // Renames the temporary file to the destination; throws RenderError.
    void commit();

private:
    std::string destination;
    std::string tempPath;
    int fd = -1;
    bool committed = false;
};

// Writes `bytes` to `path` as a whole; throws RenderError.
void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Reads a whole file; throws RenderError for a missing, unreadable or empty file.
std::vector<std::uint8_t> readWholeFile(const std::string& path);

enum class SampleFormat
{
    Float32,
    Pcm24,
};

// A stereo WAV file written through libsndfile. The 24-bit format clips what lies beyond full scale
// instead of letting it wrap around.
class WavFileWriter : public AudioSink
{
public:
    WavFileWriter(const std::string& path, double sampleRate, SampleFormat format);
    ~WavFileWriter() override;
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    void write(const float* left, const float* right, Steinberg::int32 frames) override;
    // Finishes the file and puts it in place; throws RenderError. Without it nothing is left.
    void commit();

private:
    std::string path;
    TemporaryFile file;
    SNDFILE* sound = nullptr;
    std::vector<float> interleaved;
};

} // namespace talvane::render
