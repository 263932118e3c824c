#include "tools/render/progressbar.h"

#include <algorithm>
#include <cmath>

#include <unistd.h>

namespace talvane::render {

namespace {
constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 32;
constexpr double kPercent = 100.0;
} // namespace

std::string formatProgress(double fraction, double doneSeconds, double totalSeconds, int width)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(std::floor(fraction * width));
    std::string bar = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(width - filled), '.') + "]";
    char figures[64];
    std::snprintf(figures, sizeof figures, " %3d%%  %.1f s of %.1f s", static_cast<int>(fraction * kPercent),
                  doneSeconds, totalSeconds);
    return bar + figures;
}

ProgressBar::ProgressBar(std::FILE* streamIn, double sampleRateIn)
    : stream(streamIn), sampleRate(sampleRateIn), enabled(streamIn && isatty(fileno(streamIn)) != 0)
{}

void ProgressBar::update(std::int64_t done, std::int64_t total)
{
    if (!enabled || total <= 0)
        return;
    const Clock::time_point now = Clock::now();
    if (now - started < kQuietStart || (shown && now - lastDrawn < kRedrawInterval))
        return;
    const std::string line = formatProgress(static_cast<double>(done) / static_cast<double>(total),
                                            static_cast<double>(done) / sampleRate,
                                            static_cast<double>(total) / sampleRate, kBarWidth);
    std::fprintf(stream, "\r%s", line.c_str());
    std::fflush(stream);
    shown = true;
    lastDrawn = now;
}

void ProgressBar::finish()
{
    if (!shown)
        return;
    std::fprintf(stream, "\r\033[K"); // back to the start of the line and clear it
    std::fflush(stream);
    shown = false;
}

} // namespace talvane::render
