// Renders a fixed amount of audio through the module for profilers and instruction counters
// (perf stat, callgrind), which need the same work on every run:
//   talvane_profile_render [seconds] [voices] [heavy 0|1] [block]
#include "bench/benchpatches.h"
#include "host/plugininstance.h"

#include <ctime>
#include <cstdio>
#include <cstdlib>

using namespace Steinberg;

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int voices = argc > 2 ? std::atoi(argv[2]) : 16;
    const bool heavy = argc > 3 ? std::atoi(argv[3]) != 0 : true;
    const int32 block = argc > 4 ? std::atoi(argv[4]) : 512;
    talvane::host::PluginModule module;
    if (!module.load(talvane::bench::modulePath()))
    {
        std::fprintf(stderr, "%s\n", module.error().c_str());
        return 1;
    }
    talvane::bench::Session session(module, voices, heavy, block);
    // CPU time of this thread: other work on the machine does not count against the render.
    auto cpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    };
    const double start = cpuSeconds();
    const long blocks = static_cast<long>(seconds) * 44100 / block;
    for (long b = 0; b < blocks; ++b)
        session.runner().process(block);
    const double elapsed = cpuSeconds() - start;
    std::printf("%d s of audio, %d %s voices, blocks of %d: %.1f ms, %.1fx real time\n", seconds, voices,
                heavy ? "heavy" : "default", block, elapsed * 1000.0, seconds / elapsed);
    return 0;
}
