#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CPoolManager.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tavrin::Engine;

namespace {

class CDevice;

class CDeviceManager : public CPoolManager<CDevice>
{
public:
    ~CDeviceManager() override
    {
        releaseAll();
        _deleteRemaining();
    }
};

class CDevice : public CManaged
{
public:
    CDevice(CDeviceManager* manager, std::vector<uint32_t>* deleted) : m_deleted(deleted)
    {
        setManager(manager);
    }
    ~CDevice() override
    {
        // Unregistered before the manager deletes it.
        if (getManager())
            m_slotAtDeletion = static_cast<CDeviceManager*>(getManager())->getManaged(getId());
        EXPECT_EQ(nullptr, m_slotAtDeletion);
        m_deleted->push_back(getId());
    }
    void onLastRelease() override
    {
        ++m_lastReleaseCalls;
        if (m_dropHolderOnLastRelease)
        {
            m_dropHolderOnLastRelease = false;
            release();
        }
    }

    int m_lastReleaseCalls = 0;
    bool m_dropHolderOnLastRelease = false;

private:
    std::vector<uint32_t>* m_deleted;
    CDevice* m_slotAtDeletion = nullptr;
};

TEST(CPoolManagerTest, FreedIdsAreReusedMostRecentFirst)
{
    std::vector<uint32_t> deleted;
    CDeviceManager manager;
    std::vector<CManagedPtr<CDevice>> devices;
    for (int i = 0; i < 4; ++i)
        devices.push_back(CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted)));
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(i, devices[i]->getId());

    devices[0].reset();
    devices[2].reset();
    EXPECT_EQ((std::vector<uint32_t>{0, 2}), deleted);
    EXPECT_EQ(nullptr, manager.getManaged(0));
    EXPECT_EQ(nullptr, manager.getManaged(2));
    EXPECT_EQ(devices[1].get(), manager.getManaged(1));

    CManagedPtr<CDevice> a = CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted));
    CManagedPtr<CDevice> b = CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted));
    CManagedPtr<CDevice> c = CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted));
    EXPECT_EQ(2u, a->getId());
    EXPECT_EQ(0u, b->getId());
    EXPECT_EQ(4u, c->getId());

    // Freeing the last slot shrinks the pool instead of queueing the ID.
    c.reset();
    devices[3].reset();
    EXPECT_EQ(3u, manager.getSlotCount());
    EXPECT_EQ(nullptr, manager.getManaged(3));
}

TEST(CPoolManagerTest, ReleaseAllRunsEachHookOnceAndKeepsTheObjects)
{
    std::vector<uint32_t> deleted;
    CDeviceManager manager;
    CManagedPtr<CDevice> kept[3];
    for (auto& device : kept)
        device = CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted));
    // Owned by the manager alone: its hook gives up the last holder, so the
    // walk destroys it (and shrinks the pool) on the way.
    CDevice* selfOwned = new CDevice(&manager, &deleted);
    selfOwned->m_dropHolderOnLastRelease = true;
    kept[1].reset();
    kept[1] = CManagedPtr<CDevice>::adopt(new CDevice(&manager, &deleted));
    ASSERT_EQ(1u, kept[1]->getId());

    manager.releaseAll();
    EXPECT_EQ((std::vector<uint32_t>{1, 3}), deleted);
    for (auto& device : kept)
    {
        EXPECT_EQ(1, device->m_lastReleaseCalls);
        EXPECT_EQ(1u, device->getReferenceCount());
        EXPECT_EQ(device.get(), manager.getManaged(device->getId()));
    }
    EXPECT_EQ(3u, manager.getSlotCount());
}

TEST(CPoolManagerTest, UnregisteringLeavesOtherObjectsSlotsAlone)
{
    std::vector<uint32_t> deleted;
    CDeviceManager first;
    CDeviceManager second;
    CManagedPtr<CDevice> inFirst = CManagedPtr<CDevice>::adopt(new CDevice(&first, &deleted));
    CManagedPtr<CDevice> inSecond = CManagedPtr<CDevice>::adopt(new CDevice(&second, &deleted));
    ASSERT_EQ(inFirst->getId(), inSecond->getId());
    first.unregisterManaged(inSecond.get());
    EXPECT_EQ(inFirst.get(), first.getManaged(inFirst->getId()));

    // An ID outside the pool is misuse and reaches the pool's range error.
    CManagedPtr<CDevice> extra = CManagedPtr<CDevice>::adopt(new CDevice(&second, &deleted));
    ASSERT_EQ(1u, extra->getId());
    try
    {
        first.unregisterManaged(extra.get());
        FAIL() << "no exception";
    }
    catch (const CInvalidArgumentException& exception)
    {
        EXPECT_STREQ("Cannot set an element outside array range\n", exception.getDetails().c_str());
    }
    EXPECT_EQ(1u, first.getSlotCount());
}

TEST(CPoolManagerTest, IdHintsAreNotImplemented)
{
    CDeviceManager manager;
    EXPECT_THROW(manager.registerManaged(nullptr, 3), CNotImplementedException);
    EXPECT_EQ(0u, manager.getSlotCount());
}

TEST(CPoolManagerTest, DestroyingTheManagerDeletesWhatIsLeft)
{
    std::vector<uint32_t> deleted;
    {
        CDeviceManager manager;
        new CDevice(&manager, &deleted);
        new CDevice(&manager, &deleted);
    }
    EXPECT_EQ((std::vector<uint32_t>{0, 1}), deleted);
}

} // namespace
