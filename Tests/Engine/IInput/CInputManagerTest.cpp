#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/CNullInputManager.h"

#include "Engine/IInput/InputTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

typedef std::vector<std::string> TTrace;

// A joystick that writes what happens to it into a shared trace.
class CTracedJoystick : public CJoystick
{
public:
    CTracedJoystick(TTrace& trace, const CString& name) : CJoystick(nullptr, 1), m_trace(trace), m_name(name.c_str()) {}
    ~CTracedJoystick() override { m_trace.push_back("delete " + m_name); }

    void update(float dt) override
    {
        m_trace.push_back("update " + m_name + " " + std::to_string(dt));
        if (m_name == "broken")
            TAVRIN_THROW(CInvalidOperationException, "Device failed\n", "Engine/IInput/Test");
    }
    void onLastRelease() override { m_trace.push_back("last " + m_name); }

private:
    TTrace& m_trace;
    std::string m_name;
};

// Opens any descriptor as a traced joystick, named after the descriptor.
class CTracedInputManager : public CInputManager
{
public:
    explicit CTracedInputManager(TTrace& trace) : m_trace(trace) {}

    void enumerateJoysticks(CArray<SJoystickDescriptor>& out) override
    {
        SJoystickDescriptor descriptor;
        descriptor.name = "Traced";
        descriptor.id = "Traced:0";
        out.add(descriptor);
    }
    CManagedPtr<CJoystick> createJoystick(void*, const SJoystickDescriptor& descriptor, uint32_t) override
    {
        CTracedJoystick* joystick = new CTracedJoystick(m_trace, descriptor.name);
        _attach(joystick);
        return CManagedPtr<CJoystick>::adopt(joystick);
    }
    CManagedPtr<CMouse> createMouse(void* window, uint32_t foregroundOnly) override
    {
        CMouse* mouse = new CMouse(window, foregroundOnly);
        _attach(mouse);
        return CManagedPtr<CMouse>::adopt(mouse);
    }

private:
    TTrace& m_trace;
};

SJoystickDescriptor named(const char* name)
{
    SJoystickDescriptor descriptor;
    descriptor.name = name;
    return descriptor;
}

} // namespace

TEST(CInputManagerTest, NewManagerIsEmptyAndUpdatesNothing)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    EXPECT_EQ(manager->getReferenceCount(), 1u);
    EXPECT_EQ(manager->getId(), 0xFFFFFFFFu);
    EXPECT_EQ(manager->getSlotCount(), 0u);
    manager->update(0.01f);
    EXPECT_TRUE(trace.empty());
}

TEST(CInputManagerTest, DevicesAreRegisteredInTheFirstFreeSlot)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CManagedPtr<CJoystick> first = manager->createJoystick(nullptr, named("first"), 1);
    CManagedPtr<CJoystick> second = manager->createJoystick(nullptr, named("second"), 1);
    CManagedPtr<CMouse> mouse = manager->createMouse(nullptr, 1);
    EXPECT_EQ(first->getReferenceCount(), 1u);
    EXPECT_EQ(first->getManager(), static_cast<CManager*>(manager.get()));
    EXPECT_EQ(first->getId(), 0u);
    EXPECT_EQ(second->getId(), 1u);
    EXPECT_EQ(mouse->getId(), 2u);
    EXPECT_EQ(manager->getDevice(2), mouse.get());

    // The freed ID is reused first.
    first.reset();
    EXPECT_EQ(trace, (TTrace{"last first", "delete first"}));
    EXPECT_EQ(manager->getDevice(0), nullptr);
    EXPECT_EQ(manager->getFreeCount(), 1u);
    CManagedPtr<CJoystick> third = manager->createJoystick(nullptr, named("third"), 1);
    EXPECT_EQ(third->getId(), 0u);
    EXPECT_EQ(manager->getFreeCount(), 0u);

    // Releasing the last slot shrinks the registry instead.
    mouse.reset();
    EXPECT_EQ(manager->getSlotCount(), 2u);
    EXPECT_EQ(manager->getFreeCount(), 0u);
}

TEST(CInputManagerTest, UpdatePollsRegisteredDevicesInSlotOrder)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CManagedPtr<CJoystick> a = manager->createJoystick(nullptr, named("a"), 1);
    CManagedPtr<CJoystick> b = manager->createJoystick(nullptr, named("b"), 1);
    CManagedPtr<CJoystick> c = manager->createJoystick(nullptr, named("c"), 1);
    b.reset();
    trace.clear();
    manager->update(0.25f);
    EXPECT_EQ(trace, (TTrace{"update a 0.250000", "update c 0.250000"}));
}

TEST(CInputManagerTest, DeviceFailureStopsThePass)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CManagedPtr<CJoystick> broken = manager->createJoystick(nullptr, named("broken"), 1);
    CManagedPtr<CJoystick> after = manager->createJoystick(nullptr, named("after"), 1);
    EXPECT_THROW(manager->update(0.01f), CInvalidOperationException);
    EXPECT_EQ(trace, (TTrace{"update broken 0.010000"}));
}

TEST(CInputManagerTest, DestructionDeletesOnlyTheDevicesStillRegistered)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CManagedPtr<CJoystick> released = manager->createJoystick(nullptr, named("released"), 1);
    CManagedPtr<CJoystick> kept = manager->createJoystick(nullptr, named("kept"), 1);
    CManagedPtr<CJoystick> alsoKept = manager->createJoystick(nullptr, named("alsokept"), 1);
    released.reset();
    // Left registered on purpose: the manager's destruction owns them now.
    kept.detach();
    alsoKept.detach();
    trace.clear();
    manager.reset();
    EXPECT_EQ(trace, (TTrace{"last kept", "last alsokept", "delete kept", "delete alsokept"}));
}

TEST(CInputManagerTest, MapperIsNewAndUnregistered)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CManagedPtr<CInputMapper> mapper = manager->createInputMapper();
    ASSERT_TRUE(mapper);
    EXPECT_EQ(mapper->getReferenceCount(), 1u);
    EXPECT_EQ(mapper->getManager(), nullptr);
    EXPECT_EQ(manager->getSlotCount(), 0u);
    EXPECT_STREQ(mapper->keyName(TKeyCode(0xA2)).c_str(), "leftctrl");
}

TEST(CInputManagerTest, RegistrationWithAnIdHintIsNotImplemented)
{
    TTrace trace;
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CTracedInputManager(trace));
    CMouse mouse(nullptr, 0);
    expectException<CNotImplementedException>([&] { static_cast<CManager*>(manager.get())->registerManaged(&mouse, 3); },
                                                    "Method not implemented\n", "Engine/IKernel/Patterns/CManager", 33);
    EXPECT_EQ(manager->getSlotCount(), 0u);
}

TEST(CInputManagerTest, NullManagerOpensNothingButDrivesAMapper)
{
    CManagedPtr<CInputManager> manager = CManagedPtr<CInputManager>::adopt(new CNullInputManager());
    CArray<SJoystickDescriptor> joysticks;
    joysticks.add(named("kept"));
    manager->enumerateJoysticks(joysticks);
    EXPECT_EQ(joysticks.getCount(), 1u);
    EXPECT_FALSE(manager->createJoystick(nullptr, joysticks[0], 1));
    EXPECT_FALSE(manager->createMouse(nullptr, 1));
    EXPECT_EQ(manager->getSlotCount(), 0u);

    // A detection run with the keyboard only.
    CManagedPtr<CInputMapper> mapper = manager->createInputMapper();
    mapper->startDetection(CArray<TKeyCode>());
    mapper->keyDown(TKeyCode(0x41));
    manager->update(0.01f);
    mapper->update(0.01f);
    mapper->keyUp(TKeyCode(0x41));
    manager->update(0.01f);
    mapper->update(0.01f);
    EXPECT_EQ(mapper->getDetectionState(), CInputMapper::Finished);
    EXPECT_STREQ(mapper->formatKeys(mapper->takeDetectedKeys(), CString("+")).c_str(), "a");
}
