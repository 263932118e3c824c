// Linked into every test program that draws: cairo and fontconfig keep caches for the life of the
// process, and dropping them when the tests end lets the leak checker see only real leaks.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

class GraphicsLibraryCaches : public ::testing::Environment
{
public:
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

const ::testing::Environment* const kGraphicsLibraryCaches =
    ::testing::AddGlobalTestEnvironment(new GraphicsLibraryCaches);

} // namespace
