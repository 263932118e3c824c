// The road of the editor's edits to an LV2 host: values as port writes, gestures as touches.
#include "lv2/editforwarder.h"
#include "source/params/paramids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace talvane;
using namespace talvane::lv2;

namespace {

struct HostSide
{
    std::vector<std::string> calls;

    static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                      const void* buffer)
    {
        float value = 0.0f;
        ASSERT_EQ(size, sizeof value);
        std::memcpy(&value, buffer, sizeof value);
        static_cast<HostSide*>(controller)->calls.push_back("write " + std::to_string(port) + " " +
                                                            std::to_string(value) + " protocol " +
                                                            std::to_string(protocol));
    }
    static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        static_cast<HostSide*>(handle)->calls.push_back((grabbed ? "grab " : "release ") + std::to_string(port));
    }
};

} // namespace

TEST(EditForwarder, AnEditIsATouchedPortWrite)
{
    const ParameterPorts ports;
    HostSide host;
    const LV2UI_Touch touch{&host, HostSide::touch};
    EditForwarder forwarder(ports, HostSide::write, &host, &touch);

    forwarder.beginEdit(kFCutoff);
    forwarder.performEdit(kFCutoff, 0.25);
    forwarder.endEdit(kFCutoff);
    // A stepped knob between steps writes the step the processor would hear.
    forwarder.beginEdit(kO1Octave);
    forwarder.performEdit(kO1Octave, 0.52);
    forwarder.performEdit(kO1Octave, 0.99);
    forwarder.endEdit(kO1Octave);

    const std::vector<std::string> expected = {
        "grab 7",  "write 7 0.250000 protocol 0",  "release 7",
        "grab 20", "write 20 0.000000 protocol 0", "write 20 3.000000 protocol 0", "release 20"};
    EXPECT_EQ(host.calls, expected);
}

TEST(EditForwarder, HostsWithoutTouchGetTheValuesAloneAndParametersWithoutAPortStay)
{
    const ParameterPorts ports;
    HostSide host;
    EditForwarder forwarder(ports, HostSide::write, &host, nullptr);
    forwarder.beginEdit(kPanic);
    forwarder.performEdit(kPanic, 1.0);
    forwarder.endEdit(kPanic);
    EXPECT_EQ(forwarder.performEdit(kNumParams, 0.5), Steinberg::kResultFalse);
    EXPECT_EQ(host.calls, std::vector<std::string>{"write 63 1.000000 protocol 0"});
}
