// Helpers for the render tools' tests: a scratch directory, an audio sink that keeps what it gets,
// reading files back, and the message a failing step reports.
#pragma once

#include "tools/render/renderer.h"
#include "tools/render/rendererror.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace talvane::testing {

// A fresh directory, removed with everything in it at the end of the test.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        std::string pattern = ::testing::TempDir() + "talvane-render-XXXXXX";
        if (mkdtemp(pattern.data()))
            directory = pattern;
        else
            ADD_FAILURE() << "cannot make a scratch directory";
    }
    ~ScratchDirectory()
    {
        for (const std::string& name : entries())
            unlink(path(name).c_str());
        rmdir(directory.c_str());
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string path(const std::string& name) const { return directory + "/" + name; }

    // The names in the directory, without "." and "..".
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(directory.c_str()))
        {
            while (const dirent* entry = readdir(dir))
            {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream out(path(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string directory;
};

inline std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Keeps the rendered audio.
class MemorySink : public render::AudioSink
{
public:
    void write(const float* l, const float* r, Steinberg::int32 frames) override
    {
        left.insert(left.end(), l, l + frames);
        right.insert(right.end(), r, r + frames);
    }
    std::vector<float> left, right;
};

// The message of the RenderError `action` throws; empty when it succeeds.
inline std::string failureOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const render::RenderError& e)
    {
        return e.what();
    }
    return {};
}

} // namespace talvane::testing
