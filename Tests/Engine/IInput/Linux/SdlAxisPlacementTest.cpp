#include "Engine/IInput/Linux/SdlAxisPlacement.h"

#include "Engine/IInput/Linux/SdlDeviceNode.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

std::vector<int32_t> place(const std::vector<uint32_t>& codes)
{
    CArray<uint32_t> list;
    for (uint32_t code : codes)
        list.add(code);
    CArray<int32_t> slots = placeEvdevAxes(list);
    return std::vector<int32_t>(slots.begin(), slots.end());
}

} // namespace

// Slots: 0 X, 1 Y, 2 Rx, 3 Ry, 4 Z, 5 Rz, 6 and 7 sliders.
TEST(SdlAxisPlacementTest, EachAxisGoesToTheSlotOfItsKind)
{
    struct SDevice
    {
        std::string name;
        std::vector<uint32_t> codes;
        std::vector<int32_t> slots;
    };
    const SDevice devices[] = {
        {"flight stick: twist and throttle", {ABS_X, ABS_Y, ABS_RZ, ABS_THROTTLE}, {0, 1, 5, 6}},
        {"pedals: toe brakes and rudder", {ABS_X, ABS_Y, ABS_RZ}, {0, 1, 5}},
        {"pedals: a rudder control", {ABS_X, ABS_Y, ABS_RUDDER}, {0, 1, 5}},
        {"pad without mapping", {ABS_X, ABS_Y, ABS_Z, ABS_RZ}, {0, 1, 4, 5}},
        {"pad with both sticks on X, Y, Rx, Ry", {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ}, {0, 1, 4, 2, 3, 5}},
        {"wheel: steering, accelerator, brake", {ABS_WHEEL, ABS_GAS, ABS_BRAKE}, {0, 1, 5}},
        {"taken slots become sliders; a third slider has none",
         {ABS_X, ABS_Y, ABS_RZ, ABS_THROTTLE, ABS_RUDDER, ABS_MISC}, {0, 1, 5, 6, 7, -1}},
        {"nothing", {}, {}},
    };
    for (const SDevice& device : devices)
        EXPECT_EQ(place(device.codes), device.slots) << device.name;
    // A device whose axes are unknown (virtual): SDL's index as the code.
    CArray<int32_t> byIndex = placeAxesByIndex(10);
    EXPECT_EQ(std::vector<int32_t>(byIndex.begin(), byIndex.end()), (std::vector<int32_t>{0, 1, 4, 2, 3, 5, 6, 7, -1, -1}));
}

TEST(SdlAxisPlacementTest, APathThatIsNoInputDeviceIsNotRead)
{
    SSdlDeviceNode node;
    EXPECT_FALSE(readSdlDeviceNode("/nonexistent/event0", node));
    EXPECT_FALSE(readSdlDeviceNode("/dev/null", node));
}
