// A progress line on a terminal for renders that take a while: it appears once a render has run
// for a second, redraws a few times a second, and is cleared again at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace talvane::render {

// "[#########...........]  45%  12.3 s of 27.0 s" for `width` characters of bar.
std::string formatProgress(double fraction, double doneSeconds, double totalSeconds, int width);

class ProgressBar
{
public:
    // Draws only where `stream` is a terminal.
    ProgressBar(std::FILE* stream, double sampleRate);
    ~ProgressBar() { finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::int64_t done, std::int64_t total);
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    std::FILE* stream;
    double sampleRate;
    bool enabled;
    bool shown = false;
    Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn{};
};

} // namespace talvane::render
