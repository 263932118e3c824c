#include "tools/render/outputfile.h"

#include "tools/render/rendererror.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

namespace talvane::render {

namespace {

constexpr int kStereo = 2;
constexpr mode_t kNewFileMode = 0666; // less the umask, as for any file a program creates

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string systemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

mode_t currentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

TemporaryFile::TemporaryFile(const std::string& path) : destination(path)
{
    struct stat info
    {};
    if (path.empty() || path.back() == '/' || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        throw RenderError("cannot write " + path + ": it is a directory");
    std::string pattern = directoryOf(path) + "/." + baseNameOf(path) + ".XXXXXX";
    fd = mkstemp(pattern.data());
    if (fd < 0)
        throw RenderError(systemError("cannot write " + path));
    tempPath = pattern;
    fchmod(fd, kNewFileMode & ~currentUmask());
}

TemporaryFile::~TemporaryFile()
{
    close();
    if (!committed && !tempPath.empty())
        unlink(tempPath.c_str());
}

void TemporaryFile::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void TemporaryFile::commit()
{
    close();
    if (rename(tempPath.c_str(), destination.c_str()) != 0)
        throw RenderError(systemError("cannot write " + destination));
    committed = true;
}

void writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    TemporaryFile file(path);
    std::size_t written = 0;
    while (written < bytes.size())
    {
        const ssize_t n = ::write(file.descriptor(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw RenderError(systemError("cannot write " + path));
        written += static_cast<std::size_t>(n);
    }
    if (fsync(file.descriptor()) != 0)
        throw RenderError(systemError("cannot write " + path));
    file.commit();
}

std::vector<std::uint8_t> readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RenderError(systemError("cannot open " + path));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw RenderError(systemError("cannot read " + path));
    if (bytes.empty())
        throw RenderError(path + " is empty");
    return bytes;
}

WavFileWriter::WavFileWriter(const std::string& pathIn, double sampleRate, SampleFormat format)
    : path(pathIn), file(pathIn)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = kStereo;
    info.format = SF_FORMAT_WAV | (format == SampleFormat::Float32 ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
    sound = sf_open_fd(file.descriptor(), SFM_WRITE, &info, SF_TRUE);
    if (!sound)
        throw RenderError("cannot write " + path + ": " + sf_strerror(nullptr));
    file.releaseDescriptor(); // libsndfile closes it
    sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

WavFileWriter::~WavFileWriter()
{
    if (sound)
        sf_close(sound);
}

void WavFileWriter::write(const float* left, const float* right, Steinberg::int32 frames)
{
    interleaved.resize(static_cast<std::size_t>(frames) * kStereo);
    for (Steinberg::int32 i = 0; i < frames; ++i)
    {
        interleaved[static_cast<std::size_t>(i) * kStereo] = left[i];
        interleaved[static_cast<std::size_t>(i) * kStereo + 1] = right[i];
    }
    if (sf_writef_float(sound, interleaved.data(), frames) != frames)
        throw RenderError("cannot write " + path + ": " + sf_strerror(sound));
}

void WavFileWriter::commit()
{
    const int closed = sf_close(sound);
    sound = nullptr;
    if (closed != 0)
        throw RenderError("cannot write " + path + ": " + sf_error_number(closed));
    file.commit();
}

} // namespace talvane::render
