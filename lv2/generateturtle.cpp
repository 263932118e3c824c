// Build tool: writes the LV2 bundle's Turtle into the bundle directory given on the command line.
#include "lv2/bundledescription.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <bundle directory>\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!talvane::lv2::writeBundleDescription(argv[1], error))
    {
        std::fprintf(stderr, "talvane-lv2-turtle: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
