#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Patterns/CManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tavrin::Engine;

namespace {

typedef std::vector<std::string> TEvents;

class CProbe : public CManaged
{
public:
    explicit CProbe(TEvents* events) : m_events(events) {}
    ~CProbe() override { m_events->push_back("deleted"); }
    void onLastRelease() override { m_events->push_back("onLastRelease:" + std::to_string(getReferenceCount())); }

private:
    TEvents* m_events;
};

class CPlainProbe : public CReferenced
{
public:
    explicit CPlainProbe(TEvents* events) : m_events(events) {}
    ~CPlainProbe() override { m_events->push_back("deleted"); }
    void onLastRelease() override { m_events->push_back("onLastRelease"); }

private:
    TEvents* m_events;
};

// Records every call; deletes through the base only when asked to.
class CRecordingManager : public CManager
{
public:
    CRecordingManager(TEvents* events, uint32_t firstId, bool deletes) : m_events(events), m_nextId(firstId), m_deletes(deletes) {}
    using CManager::registerManaged;
    uint32_t registerManaged(CManaged* /*object*/) override
    {
        m_events->push_back("register:" + std::to_string(m_nextId));
        return m_nextId++;
    }
    void unregisterManaged(CManaged* object) override { m_events->push_back("unregister:" + std::to_string(object->getId())); }
    void destroyManaged(CManaged* object) override
    {
        m_events->push_back("destroy");
        if (m_deletes)
            CManager::destroyManaged(object);
    }

private:
    TEvents* m_events;
    uint32_t m_nextId;
    bool m_deletes;
};

TEST(CManagedTest, NewObjectHoldsTheCreatorsReferenceAndNoId)
{
    TEvents events;
    CProbe* probe = new CProbe(&events);
    EXPECT_EQ(1u, probe->getReferenceCount());
    EXPECT_EQ(0xFFFFFFFFu, probe->getId());
    EXPECT_EQ(nullptr, probe->getManager());
    probe->release();
}

TEST(CManagedTest, LastReleaseCallsTheHookOnceThenDeletes)
{
    TEvents events;
    CProbe* probe = new CProbe(&events);
    EXPECT_EQ(1u, probe->addRef());
    probe->release();
    EXPECT_TRUE(events.empty());
    probe->release();
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), events);

    TEvents plainEvents;
    CPlainProbe* plain = new CPlainProbe(&plainEvents);
    EXPECT_EQ(1u, plain->addRef());
    EXPECT_EQ(2u, plain->addRef());
    plain->release();
    plain->release();
    EXPECT_TRUE(plainEvents.empty());
    plain->release();
    EXPECT_EQ((TEvents{"onLastRelease", "deleted"}), plainEvents);
}

TEST(CManagedTest, ManagerUnregistersThenDecidesTheDeletion)
{
    TEvents events;
    CRecordingManager deleting(&events, 7, true);
    CProbe* probe = new CProbe(&events);
    probe->setManager(&deleting);
    EXPECT_EQ(7u, probe->getId());
    EXPECT_EQ(&deleting, probe->getManager());
    probe->release();
    EXPECT_EQ((TEvents{"register:7", "onLastRelease:0", "unregister:7", "destroy", "deleted"}), events);

    // A manager that keeps its objects: the last release does not delete.
    events.clear();
    CRecordingManager keeping(&events, 3, false);
    CProbe* kept = new CProbe(&events);
    kept->setManager(&keeping);
    kept->release();
    EXPECT_EQ((TEvents{"register:3", "onLastRelease:0", "unregister:3", "destroy"}), events);
    delete kept;
}

TEST(CManagedTest, SwitchingManagersUnregistersFromTheOldOneAndKeepsTheId)
{
    TEvents events;
    CRecordingManager first(&events, 10, true);
    CRecordingManager second(&events, 20, true);
    CProbe* probe = new CProbe(&events);
    probe->setManager(&first);
    probe->setManager(&second);
    EXPECT_EQ(20u, probe->getId());
    probe->setManager(nullptr);
    EXPECT_EQ(20u, probe->getId());
    EXPECT_EQ(nullptr, probe->getManager());
    probe->release();
    EXPECT_EQ((TEvents{"register:10", "unregister:10", "register:20", "unregister:20", "onLastRelease:0", "deleted"}), events);
}

TEST(CManagedTest, IdHintsAreNotImplementedByTheBase)
{
    TEvents events;
    CRecordingManager manager(&events, 1, true);
    CProbe* probe = new CProbe(&events);
    try
    {
        probe->setManager(&manager, 5);
        FAIL() << "no exception";
    }
    catch (const CNotImplementedException& exception)
    {
        EXPECT_STREQ("Method not implemented\n", exception.getDetails().c_str());
        EXPECT_STREQ("Engine/IKernel/Patterns/CManager", exception.getFile().c_str());
        EXPECT_EQ(33, exception.getLine());
    }
    // The refusing manager never hears of the object again.
    EXPECT_EQ(nullptr, probe->getManager());
    probe->release();
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), events);
}

TEST(CManagedPtrTest, CopiesAddAndDestructionReleases)
{
    TEvents events;
    CProbe* probe = new CProbe(&events);
    {
        CManagedPtr<CProbe> first(probe);
        EXPECT_EQ(2u, probe->getReferenceCount());
        CManagedPtr<CProbe> second(first);
        EXPECT_EQ(3u, probe->getReferenceCount());
        CManagedPtr<CManaged> widened(second);
        EXPECT_EQ(4u, probe->getReferenceCount());
        EXPECT_TRUE(widened == first);
    }
    EXPECT_EQ(1u, probe->getReferenceCount());
    CManagedPtr<CProbe> owner = CManagedPtr<CProbe>::adopt(probe);
    EXPECT_EQ(1u, probe->getReferenceCount());
    owner.reset();
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), events);
    EXPECT_FALSE(owner);
}

TEST(CManagedPtrTest, MovesTransferTheReferenceAndEmptyTheSource)
{
    TEvents events;
    CManagedPtr<CProbe> source = CManagedPtr<CProbe>::adopt(new CProbe(&events));
    CProbe* probe = source.get();
    CManagedPtr<CProbe> moved(std::move(source));
    EXPECT_EQ(nullptr, source.get());
    EXPECT_EQ(probe, moved.get());
    EXPECT_EQ(1u, probe->getReferenceCount());

    CManagedPtr<CManaged> target;
    target = CManagedPtr<CManaged>(std::move(moved));
    EXPECT_FALSE(moved);
    EXPECT_EQ(1u, probe->getReferenceCount());
    target = nullptr;
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), events);
}

TEST(CManagedPtrTest, SelfAssignmentChangesNothing)
{
    TEvents events;
    CManagedPtr<CProbe> pointer = CManagedPtr<CProbe>::adopt(new CProbe(&events));
    CManagedPtr<CProbe>& alias = pointer;
    pointer = alias;
    EXPECT_EQ(1u, pointer->getReferenceCount());
    pointer = std::move(alias);
    ASSERT_TRUE(pointer);
    EXPECT_EQ(1u, pointer->getReferenceCount());
    EXPECT_TRUE(events.empty());
}

TEST(CManagedPtrTest, OverwritingReleasesTheOldPointee)
{
    TEvents oldEvents, newEvents;
    CManagedPtr<CProbe> pointer = CManagedPtr<CProbe>::adopt(new CProbe(&oldEvents));
    CManagedPtr<CProbe> other = CManagedPtr<CProbe>::adopt(new CProbe(&newEvents));
    pointer = other;
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), oldEvents);
    EXPECT_EQ(2u, other->getReferenceCount());
    // Same pointee through another holder: the count stays balanced.
    pointer = other;
    EXPECT_EQ(2u, other->getReferenceCount());
    other.reset();
    pointer.reset(nullptr);
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), newEvents);
}

// An object whose last release destroys the holder of the next pointee must
// not take that pointee down before the new reference is counted.
TEST(CManagedPtrTest, NewPointeeIsCountedBeforeTheOldOneIsReleased)
{
    struct COwner : public CManaged
    {
        CManagedPtr<CManaged> child;
    };
    TEvents events;
    COwner* owner = new COwner();
    owner->child = CManagedPtr<CManaged>::adopt(new CProbe(&events));
    CManagedPtr<CManaged> pointer = CManagedPtr<CManaged>::adopt(owner);
    pointer = owner->child;
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(1u, pointer->getReferenceCount());
    pointer.reset();
    EXPECT_EQ((TEvents{"onLastRelease:0", "deleted"}), events);
}

} // namespace
