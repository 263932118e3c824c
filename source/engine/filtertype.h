// The five responses of the voice filter, numbered as the filter type parameter's values.
#pragma once

namespace talvane {

enum class FilterType : int
{
    LowPass = 0,
    BandPass = 1,
    HighPass = 2,
    Peak = 3,
    Notch = 4,
};

} // namespace talvane
