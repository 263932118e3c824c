// talvane-plot: draws a stereo WAV file's waveform and its long-term spectrum into a PNG, for the
// README's picture of the demo.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <fftw3.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 760;
constexpr double kMargin = 64.0;
constexpr double kPanelGap = 70.0;
constexpr double kTitleSpace = 40.0;
constexpr int kFftLength = 4096;
constexpr int kHop = kFftLength / 2;
constexpr double kLowestHz = 20.0;
constexpr double kFloorDb = -120.0;
constexpr double kDbStep = 20.0;
constexpr const char* kFont = "Liberation Sans";

struct Colour
{
    double r, g, b, a;
};
constexpr Colour kBackground{0.98, 0.98, 0.97, 1.0};
constexpr Colour kGrid{0.82, 0.82, 0.80, 1.0};
constexpr Colour kText{0.15, 0.15, 0.15, 1.0};
constexpr Colour kLeftColour{0.13, 0.35, 0.65, 0.85};
constexpr Colour kRightColour{0.85, 0.40, 0.10, 0.55};
constexpr Colour kSpectrumColour{0.13, 0.45, 0.30, 1.0};

struct Audio
{
    std::vector<float> left, right;
    int sampleRate = 0;
};

Audio readAudio(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    Audio audio;
    audio.sampleRate = info.samplerate;
    for (sf_count_t i = 0; i < info.frames; ++i)
    {
        const std::size_t at = static_cast<std::size_t>(i * info.channels);
        audio.left.push_back(interleaved[at]);
        audio.right.push_back(interleaved[at + (info.channels > 1 ? 1 : 0)]);
    }
    if (audio.left.empty())
        throw std::runtime_error(path + " holds no audio");
    return audio;
}

// Power spectrum of the mid signal averaged over Hann-windowed frames, in dB relative to a
// full-scale sine.
std::vector<double> averageSpectrumDb(const Audio& audio)
{
    std::vector<double> window(kFftLength);
    double windowSum = 0.0;
    for (int i = 0; i < kFftLength; ++i)
    {
        window[static_cast<std::size_t>(i)] = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFftLength);
        windowSum += window[static_cast<std::size_t>(i)];
    }
    double* input = fftw_alloc_real(kFftLength);
    fftw_complex* output = fftw_alloc_complex(kFftLength / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kFftLength, input, output, FFTW_ESTIMATE);
    std::vector<double> power(kFftLength / 2 + 1, 0.0);
    int frames = 0;
    for (std::size_t start = 0; start + kFftLength <= audio.left.size(); start += kHop, ++frames)
    {
        for (int i = 0; i < kFftLength; ++i)
        {
            const std::size_t at = start + static_cast<std::size_t>(i);
            input[i] = 0.5 * (audio.left[at] + audio.right[at]) * window[static_cast<std::size_t>(i)];
        }
        fftw_execute(plan);
        for (std::size_t k = 0; k < power.size(); ++k)
            power[k] += output[k][0] * output[k][0] + output[k][1] * output[k][1];
    }
    fftw_destroy_plan(plan);
    fftw_free(output);
    fftw_free(input);
    fftw_cleanup();
    std::vector<double> db(power.size(), kFloorDb);
    for (std::size_t k = 0; k < power.size() && frames > 0; ++k)
    {
        const double amplitude = 2.0 * std::sqrt(power[k] / frames) / windowSum;
        db[k] = std::max(kFloorDb, 20.0 * std::log10(std::max(amplitude, 1e-12)));
    }
    return db;
}

void setColour(cairo_t* cr, const Colour& c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void text(cairo_t* cr, double x, double y, const std::string& s, double size, double alignX = 0.0)
{
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    setColour(cr, kText);
    cairo_move_to(cr, x - alignX * extents.x_advance, y);
    cairo_show_text(cr, s.c_str());
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1, const Colour& c, double width = 1.0)
{
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

struct Panel
{
    double x, y, w, h;
};

void drawEnvelope(cairo_t* cr, const Panel& p, const std::vector<float>& samples, const Colour& colour)
{
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.0);
    const auto columns = static_cast<std::size_t>(p.w);
    for (std::size_t c = 0; c < columns; ++c)
    {
        const std::size_t from = c * samples.size() / columns;
        const std::size_t to = std::max(from + 1, (c + 1) * samples.size() / columns);
        float lo = samples[from], hi = samples[from];
        for (std::size_t i = from; i < to && i < samples.size(); ++i)
        {
            lo = std::min(lo, samples[i]);
            hi = std::max(hi, samples[i]);
        }
        const double mid = p.y + p.h / 2.0;
        const double x = p.x + static_cast<double>(c) + 0.5;
        cairo_move_to(cr, x, mid - std::clamp(hi, -1.0f, 1.0f) * p.h / 2.0);
        cairo_line_to(cr, x, mid - std::clamp(lo, -1.0f, 1.0f) * p.h / 2.0 + 0.5);
    }
    cairo_stroke(cr);
}

void drawWaveform(cairo_t* cr, const Panel& p, const Audio& audio)
{
    const double seconds = static_cast<double>(audio.left.size()) / audio.sampleRate;
    for (double level : {-1.0, -0.5, 0.0, 0.5, 1.0})
    {
        const double y = p.y + p.h / 2.0 - level * p.h / 2.0;
        line(cr, p.x, y, p.x + p.w, y, kGrid);
        char label[16];
        std::snprintf(label, sizeof label, "%+.1f", level);
        text(cr, p.x - 8, y + 4, level == 0.0 ? "0" : label, 12, 1.0);
    }
    const double step = seconds > 20 ? 5.0 : seconds > 8 ? 2.0 : 1.0;
    for (double t = 0.0; t <= seconds + 1e-9; t += step)
    {
        const double x = p.x + t / seconds * p.w;
        line(cr, x, p.y, x, p.y + p.h, kGrid);
        text(cr, x, p.y + p.h + 18, std::to_string(static_cast<int>(t)) + " s", 12, 0.5);
    }
    drawEnvelope(cr, p, audio.left, kLeftColour);
    drawEnvelope(cr, p, audio.right, kRightColour);
    text(cr, p.x, p.y - 10, "Waveform (left blue, right orange)", 15);
}

void drawSpectrum(cairo_t* cr, const Panel& p, const std::vector<double>& db, int sampleRate)
{
    const double nyquist = sampleRate / 2.0;
    const double decades = std::log10(nyquist / kLowestHz);
    auto xOf = [&](double hz) { return p.x + std::log10(hz / kLowestHz) / decades * p.w; };
    auto yOf = [&](double level) { return p.y + (0.0 - level) / (0.0 - kFloorDb) * p.h; };
    for (double level = 0.0; level >= kFloorDb; level -= kDbStep)
    {
        line(cr, p.x, yOf(level), p.x + p.w, yOf(level), kGrid);
        text(cr, p.x - 8, yOf(level) + 4, std::to_string(static_cast<int>(level)) + " dB", 12, 1.0);
    }
    for (double decade = 10.0; decade < nyquist; decade *= 10.0)
        for (int m = 1; m < 10; ++m)
        {
            const double hz = decade * m;
            if (hz < kLowestHz || hz > nyquist)
                continue;
            line(cr, xOf(hz), p.y, xOf(hz), p.y + p.h, kGrid, m == 1 ? 1.0 : 0.4);
            if (m == 1 || m == 2 || m == 5)
            {
                const std::string label = hz >= 1000.0 ? std::to_string(static_cast<int>(hz / 1000)) + " kHz"
                                                       : std::to_string(static_cast<int>(hz)) + " Hz";
                text(cr, xOf(hz), p.y + p.h + 18, label, 12, 0.5);
            }
        }
    setColour(cr, kSpectrumColour);
    cairo_set_line_width(cr, 1.4);
    bool started = false;
    for (std::size_t k = 1; k < db.size(); ++k)
    {
        const double hz = static_cast<double>(k) * sampleRate / kFftLength;
        if (hz < kLowestHz)
            continue;
        if (!started)
            cairo_move_to(cr, xOf(hz), yOf(db[k]));
        else
            cairo_line_to(cr, xOf(hz), yOf(db[k]));
        started = true;
    }
    cairo_stroke(cr);
    text(cr, p.x, p.y - 10, "Average spectrum (mid channel, 0 dB = full-scale sine)", 15);
}

void plot(const Audio& audio, const std::string& title, const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    setColour(cr, kBackground);
    cairo_paint(cr);
    text(cr, kMargin, 30, title, 18);
    const double panelHeight = (kHeight - kTitleSpace - 2 * kMargin - kPanelGap) / 2.0;
    const Panel wave{kMargin + 20, kTitleSpace + kMargin / 2 + 20, kWidth - 2 * kMargin - 20, panelHeight};
    const Panel spectrum{wave.x, wave.y + panelHeight + kPanelGap, wave.w, panelHeight};
    drawWaveform(cr, wave, audio);
    drawSpectrum(cr, spectrum, averageSpectrumDb(audio), audio.sampleRate);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    // Cairo and fontconfig keep font caches for the life of the process; letting them go here
    // keeps leak checkers quiet about a tool that is done.
    cairo_debug_reset_static_data();
    FcFini();
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path + ": " + cairo_status_to_string(status));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
    {
        std::fprintf(stderr, "usage: %s INPUT.wav OUTPUT.png [TITLE]\n", argv[0]);
        return 2;
    }
    try
    {
        plot(readAudio(argv[1]), argc == 4 ? argv[3] : argv[1], argv[2]);
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "talvane-plot: %s\n", e.what());
        return 1;
    }
    return 0;
}
