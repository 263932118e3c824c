// The processor seeds the C runtime's random numbers with time() when it is made. This program
// answers one fixed time instead (the modules it loads bind to this definition), so that two
// instances made one after the other draw the same noise and the same random phases, and renders
// that use them can be compared sample for sample.
#include <sys/types.h>

namespace {
constexpr time_t kFixedTime = 1700000000;
} // namespace

extern "C" time_t time(time_t* result)
{
    if (result)
        *result = kFixedTime;
    return kFixedTime;
}
