#include "Engine/IInput/Linux/CSdlJoystickIdentities.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

using SDevice = CSdlJoystickIdentities::SDevice;

SDevice device(int32_t instance, const char* guid, const char* path = "", const char* serial = "")
{
    return SDevice{instance, CString(guid), CString(path), CString(serial)};
}

} // namespace

TEST(CSdlJoystickIdentitiesTest, ATwinNumberStaysWithItsDeviceWhileUnpluggedAndComesBackWithIt)
{
    // Each step lists what is attached, then the twin numbers expected.
    struct SStep
    {
        std::string what;
        std::vector<SDevice> attached;
        std::vector<uint32_t> twins;
    };
    const SDevice padA = device(1, "pad", "/dev/input/event5"), padB = device(2, "pad", "/dev/input/event6");
    const SDevice stick = device(3, "stick");
    const SDevice serialA = device(10, "sn", "/dev/input/event9", "A"), serialB = device(11, "sn", "/dev/input/event10", "B");
    const SStep steps[] = {
        {"two pads and a stick", {padA, padB, stick}, {0, 1, 0}},
        {"the first pad goes: the second keeps its number", {padB, stick}, {1, 0}},
        {"the first comes back on its node", {device(4, "pad", "/dev/input/event5"), padB, stick}, {0, 1, 0}},
        {"both go, the second comes back on its node first", {device(5, "pad", "/dev/input/event6")}, {1}},
        {"the other comes back on a new node", {device(5, "pad", "/dev/input/event6"), device(6, "pad", "/dev/input/event7")}, {1, 0}},
        {"a third pad of the model", {device(5, "pad"), device(6, "pad"), device(7, "pad", "/dev/input/event8")}, {1, 0, 2}},
        {"pads with serials", {serialA, serialB}, {0, 1}},
        {"both go, B returns first on A's old node", {device(12, "sn", "/dev/input/event9", "B")}, {1}},
        {"another serial is another device", {device(12, "sn"), device(13, "sn", "/dev/input/event9", "C")}, {1, 2}},
        {"A returns", {device(12, "sn"), device(13, "sn"), device(14, "sn", "/dev/input/event11", "A")}, {1, 2, 0}},
        {"a virtual stick without node leaves and returns: plug order", {device(15, "stick")}, {0}},
    };
    CSdlJoystickIdentities identities;
    for (const SStep& step : steps)
    {
        CArray<SDevice> attached;
        for (const SDevice& d : step.attached)
            attached.add(d);
        identities.update(attached);
        std::vector<uint32_t> twins;
        for (const SDevice& d : step.attached)
            twins.push_back(identities.twinOf(d.instance));
        EXPECT_EQ(twins, step.twins) << step.what;
    }
    EXPECT_EQ(identities.twinOf(1), 0xFFFFFFFFu) << "a gone instance has no number";
}
