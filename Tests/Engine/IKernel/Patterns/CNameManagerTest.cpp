#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using namespace Tavrin::Engine;

namespace {

std::string s_logText;

void _captureLog(const char* text)
{
    s_logText += text;
}

class CTestNamed : public CNamed
{
public:
    static int s_deleted;
    CTestNamed(uint32_t nameId, uint32_t typeId) : CNamed(nameId, typeId) {}
    ~CTestNamed() override { ++s_deleted; }
};
int CTestNamed::s_deleted = 0;

class CTestLoader : public CManaged
{
};

struct SCalls
{
    int loads = 0;
    int reloads = 0;
    int destroys = 0;
    CManaged* loader = nullptr;
    CNamed* object = nullptr;
    uint64_t word = 0;
    uint64_t userValue = 0;
    // The name the load function gives its object (0: the requested one).
    uint32_t loadAs = 0;
    bool loadThrows = false;
};
SCalls s_calls;

CNamed* _load(CManaged* loader, uint32_t nameId, uint64_t word, uint64_t userValue)
{
    ++s_calls.loads;
    s_calls.loader = loader;
    s_calls.word = word;
    s_calls.userValue = userValue;
    if (s_calls.loadThrows)
        TAVRIN_THROW(CInvalidDataException, "test load failure\n", "Tests/CNameManagerTest");
    return new CTestNamed(s_calls.loadAs ? s_calls.loadAs : nameId, internName("TestType"));
}

void _reload(CManaged* loader, CNamed* object, uint64_t word, uint64_t userValue)
{
    ++s_calls.reloads;
    s_calls.loader = loader;
    s_calls.object = object;
    s_calls.word = word;
    s_calls.userValue = userValue;
}

void _destroy(CNamed* object, uint64_t word, uint64_t userValue)
{
    ++s_calls.destroys;
    s_calls.object = object;
    s_calls.word = word;
    s_calls.userValue = userValue;
    delete object;
}

class CNameManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        s_calls = SCalls();
        CTestNamed::s_deleted = 0;
        s_logText.clear();
        installLog();
        getLog()->setWriteToFile(false);
        getLog()->setLowestLevel(0);
        getLog()->setTimeStampMode(CLog::C_TIMESTAMP_NONE);
        getLog()->addListener(_captureLog);
        CNameManager::install();
        m_type = internName("TestType");
    }
    void TearDown() override
    {
        CNameManager::uninstall();
        uninstallLog();
    }

    void _registerTestType(bool withDestroy, bool renderThreadOnly)
    {
        STypeDescriptor descriptor = {_load, _reload, withDestroy ? _destroy : nullptr, nullptr, renderThreadOnly};
        CNameManager::registerType(m_type, descriptor);
    }

    uint32_t m_type = 0;
};

TEST_F(CNameManagerTest, NoNameIdsFindNothing)
{
    for (uint32_t id : {0u, 0xFFFFFFFFu})
    {
        EXPECT_FALSE(CNameManager::getNamed(id));
        EXPECT_FALSE(CNameManager::loadNamed(id));
        EXPECT_FALSE(CNameManager::hasRecord(id));
        EXPECT_FALSE(CNameManager::isNameUsed(id));
    }
}

TEST_F(CNameManagerTest, NamedObjectsAreFoundUntilTheirLastRelease)
{
    uint32_t name = internName("Alpha");
    CTestNamed* object = new CTestNamed(name, m_type);
    EXPECT_EQ(name, object->getNameId());
    EXPECT_TRUE(CNameManager::isNameUsed(name));
    {
        CManagedPtr<CNamed> found = CNameManager::getNamed(internName("ALPHA"));
        EXPECT_EQ(object, found.get());
        EXPECT_EQ(2u, object->getReferenceCount());
    }
    EXPECT_STREQ("Alpha", CNameManager::nameOf(object).c_str());
    EXPECT_STREQ("Alpha", object->getName().c_str());
    object->release();
    EXPECT_EQ(1, CTestNamed::s_deleted);
    // The record outlives its object.
    EXPECT_TRUE(CNameManager::hasRecord(name));
    EXPECT_FALSE(CNameManager::isNameUsed(name));
    EXPECT_FALSE(CNameManager::getNamed(name));
    // The name is free again.
    CManagedPtr<CTestNamed> again = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, m_type));
    EXPECT_EQ(name, again->getNameId());
}

TEST_F(CNameManagerTest, ATakenNameGivesAnAnonymousOne)
{
    uint32_t name = internName("Beta");
    CManagedPtr<CTestNamed> first = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, m_type));
    CManagedPtr<CTestNamed> second = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, m_type));
    EXPECT_NE(name, second->getNameId());
    std::string anonymous = second->getName().c_str();
    ASSERT_GT(anonymous.size(), 8u);
    EXPECT_EQ("Unknown_", anonymous.substr(0, 8));
    EXPECT_EQ(std::string::npos, anonymous.find_first_not_of("0123456789abcdef", 8)) << anonymous;
    EXPECT_STREQ("Beta", CNameManager::nameOf(first.get()).c_str());
    EXPECT_EQ(first.get(), CNameManager::getNamed(name).get());
    EXPECT_EQ(second.get(), CNameManager::getNamed(second->getNameId()).get());
}

TEST_F(CNameManagerTest, AddingANameHeldByALiveObjectThrows)
{
    uint32_t name = internName("Gamma");
    CManagedPtr<CTestNamed> object = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, m_type));
    try
    {
        CNameManager::_addNamed(object.get(), m_type);
        FAIL() << "no exception";
    }
    catch (const CInvalidOperationException& exception)
    {
        EXPECT_STREQ("Name collision occured in CNameManager::_addNamed()!\n", exception.getDetails().c_str());
        EXPECT_STREQ("Engine/IKernel/Patterns/CNameManager", exception.getFile().c_str());
        EXPECT_EQ(46, exception.getLine());
    }
    EXPECT_EQ(object.get(), CNameManager::getNamed(name).get());
}

TEST_F(CNameManagerTest, ATypeOtherThanTheRecordsIsRefused)
{
    uint32_t name = internName("Delta");
    uint32_t otherType = internName("OtherType");
    CManagedPtr<CTestLoader> loader = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CNameManager::registerIOContext(name, m_type, loader.get(), 0);
    s_logText.clear();
    try
    {
        new CTestNamed(name, otherType);
        FAIL() << "no exception";
    }
    catch (const CInvalidArgumentException& exception)
    {
        EXPECT_STREQ("type mismatch!", exception.getDetails().c_str());
        EXPECT_STREQ("Engine/IKernel/Patterns/CNameManager", exception.getFile().c_str());
        EXPECT_EQ(53, exception.getLine());
    }
    EXPECT_EQ(0u, s_logText.find("CNamed type mismatch: TestType vs OtherType\n")) << s_logText;
    EXPECT_TRUE(CNameManager::hasRecord(name));
    EXPECT_FALSE(CNameManager::isNameUsed(name));
    // The record's own type is welcome.
    CManagedPtr<CTestNamed> object = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, m_type));
    EXPECT_EQ(name, object->getNameId());
    EXPECT_EQ(object.get(), CNameManager::getNamed(name).get());
}

TEST_F(CNameManagerTest, NameZeroLeavesObjectsUnnamed)
{
    CManagedPtr<CTestNamed> first = CManagedPtr<CTestNamed>::adopt(new CTestNamed(0, m_type));
    CManagedPtr<CTestNamed> second = CManagedPtr<CTestNamed>::adopt(new CTestNamed(0, m_type));
    EXPECT_EQ(0u, first->getNameId());
    EXPECT_EQ(0u, second->getNameId());
    EXPECT_FALSE(CNameManager::hasRecord(0));
    EXPECT_TRUE(CNameManager::nameOf(first.get()).isEmpty());
    // The interop hands out ID 1 to named objects only.
    EXPECT_EQ(0u, CNameManager::getInterop().registerManaged(first.get()));
    CManagedPtr<CTestNamed> named = CManagedPtr<CTestNamed>::adopt(new CTestNamed(internName("Epsilon"), m_type));
    EXPECT_EQ(1u, CNameManager::getInterop().registerManaged(named.get()));
}

TEST_F(CNameManagerTest, LoadersNeedAType)
{
    uint32_t name = internName("Zeta");
    CManagedPtr<CTestLoader> loader = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    for (uint32_t type : {0u, 0xFFFFFFFFu})
    {
        try
        {
            CNameManager::registerIOContext(name, type, loader.get(), 1);
            FAIL() << "no exception";
        }
        catch (const CInvalidArgumentException& exception)
        {
            EXPECT_STREQ("Invalid type!\n", exception.getDetails().c_str());
            EXPECT_STREQ("Engine/IKernel/Patterns/CNameManager", exception.getFile().c_str());
            EXPECT_EQ(471, exception.getLine());
        }
    }
    EXPECT_FALSE(CNameManager::hasRecord(name));
    EXPECT_EQ(1u, loader->getReferenceCount());
}

TEST_F(CNameManagerTest, RecordsHoldOneReferenceToTheirLoader)
{
    uint32_t name = internName("Eta");
    CManagedPtr<CTestLoader> first = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CManagedPtr<CTestLoader> second = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CNameManager::registerIOContext(name, m_type, first.get(), 1);
    EXPECT_TRUE(CNameManager::hasRecord(name));
    EXPECT_EQ(2u, first->getReferenceCount());
    CNameManager::registerIOContext(name, m_type, second.get(), 2);
    EXPECT_EQ(1u, first->getReferenceCount());
    EXPECT_EQ(2u, second->getReferenceCount());
    CNameManager::uninstall();
    EXPECT_EQ(1u, second->getReferenceCount());
    EXPECT_FALSE(CNameManager::hasRecord(name));
}

TEST_F(CNameManagerTest, LoadsOnTheRenderThreadRunAtOnce)
{
    _registerTestType(true, false);
    uint32_t name = internName("Theta");
    CManagedPtr<CTestLoader> loader = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CNameManager::registerIOContext(name, m_type, loader.get(), 42);
    EXPECT_FALSE(CNameManager::getNamed(name));

    CManagedPtr<CNamed> loaded = CNameManager::loadNamed(name);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(1, s_calls.loads);
    EXPECT_EQ(loader.get(), s_calls.loader);
    EXPECT_EQ(0u, s_calls.word);
    EXPECT_EQ(42u, s_calls.userValue);
    EXPECT_EQ(name, loaded->getNameId());
    EXPECT_EQ(&CNameManager::getInterop(), loaded->getManager());
    EXPECT_EQ(1u, loaded->getId());
    EXPECT_EQ(1u, loaded->getReferenceCount());

    CManagedPtr<CNamed> again = CNameManager::loadNamed(name);
    EXPECT_EQ(loaded, again);
    EXPECT_EQ(2u, loaded->getReferenceCount());
    EXPECT_EQ(1, s_calls.loads);

    CNamed* object = loaded.get();
    again.reset();
    loaded.reset();
    EXPECT_EQ(1, s_calls.destroys);
    EXPECT_EQ(object, s_calls.object);
    EXPECT_EQ(42u, s_calls.userValue);
    EXPECT_EQ(1, CTestNamed::s_deleted);

    // The record keeps the loader: the name loads again.
    loaded = CNameManager::loadNamed(name);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(2, s_calls.loads);
}

TEST_F(CNameManagerTest, ObjectsWithoutADestroyFunctionAreDeletedWithAWarning)
{
    _registerTestType(false, false);
    uint32_t name = internName("Iota");
    CNameManager::registerIOContext(name, m_type, nullptr, 0);
    CManagedPtr<CNamed> loaded = CNameManager::loadNamed(name);
    ASSERT_TRUE(loaded);
    s_logText.clear();
    loaded.reset();
    EXPECT_EQ(1, CTestNamed::s_deleted);
    EXPECT_EQ("Warning: Named object 'Iota' being forcefully deleted by CNameManager::CManagerInterop!\n", s_logText);
}

TEST_F(CNameManagerTest, NamesWithoutALoadGiveNothing)
{
    EXPECT_FALSE(CNameManager::loadNamed(internName("Kappa")));
    // A record whose type was never registered.
    uint32_t name = internName("Lambda");
    CNameManager::registerIOContext(name, internName("UnregisteredType"), nullptr, 0);
    EXPECT_FALSE(CNameManager::loadNamed(name));
    EXPECT_EQ(0, s_calls.loads);
}

TEST_F(CNameManagerTest, AnObjectThatDidNotTakeTheNameIsReleased)
{
    _registerTestType(true, false);
    uint32_t name = internName("Mu");
    CNameManager::registerIOContext(name, m_type, nullptr, 0);
    s_calls.loadAs = internName("Nu");
    EXPECT_FALSE(CNameManager::loadNamed(name));
    EXPECT_EQ(1, s_calls.loads);
    EXPECT_EQ(1, s_calls.destroys);
    EXPECT_FALSE(CNameManager::isNameUsed(s_calls.loadAs));
}

TEST_F(CNameManagerTest, AFailedLoadCanBeRetried)
{
    _registerTestType(true, false);
    uint32_t name = internName("Xi");
    CNameManager::registerIOContext(name, m_type, nullptr, 0);
    s_calls.loadThrows = true;
    EXPECT_THROW(CNameManager::loadNamed(name), CInvalidDataException);
    s_calls.loadThrows = false;
    EXPECT_TRUE(CNameManager::loadNamed(name));
    EXPECT_EQ(2, s_calls.loads);
}

TEST_F(CNameManagerTest, ReloadPassesTheLoaderAndUserValue)
{
    _registerTestType(true, true);
    uint32_t name = internName("Omicron");
    CManagedPtr<CTestLoader> loader = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CNameManager::registerIOContext(name, m_type, loader.get(), 9);
    CManagedPtr<CNamed> object = CNameManager::loadNamed(name);
    ASSERT_TRUE(object);
    object->reload();
    EXPECT_EQ(1, s_calls.reloads);
    EXPECT_EQ(loader.get(), s_calls.loader);
    EXPECT_EQ(object.get(), s_calls.object);
    EXPECT_EQ(9u, s_calls.userValue);
    EXPECT_EQ(2u, loader->getReferenceCount());

    // An object without a typed record has nothing to reload.
    CManagedPtr<CTestNamed> plain = CManagedPtr<CTestNamed>::adopt(new CTestNamed(internName("Pi"), 0));
    plain->reload();
    EXPECT_EQ(1, s_calls.reloads);
}

TEST_F(CNameManagerTest, RenderThreadReloadsAreRefusedElsewhere)
{
    _registerTestType(true, true);
    uint32_t name = internName("Rho");
    CNameManager::registerIOContext(name, m_type, nullptr, 0);
    CManagedPtr<CNamed> object = CNameManager::loadNamed(name);
    ASSERT_TRUE(object);
    // Another thread takes over as the render thread.
    std::thread([] { CNameManager::install(); }).join();
    EXPECT_FALSE(CNameManager::isRenderThread());
    EXPECT_EQ(0u, CNameManager::processLoadQueue());
    try
    {
        object->reload();
        FAIL() << "no exception";
    }
    catch (const CInvalidOperationException& exception)
    {
        EXPECT_STREQ("Resource can only be reloaded on the render thread!\n", exception.getDetails().c_str());
        EXPECT_STREQ("Engine/IKernel/Patterns/CNameManager", exception.getFile().c_str());
        EXPECT_EQ(896, exception.getLine());
    }
    EXPECT_EQ(0, s_calls.reloads);
    // Without the flag any thread may reload.
    _registerTestType(true, false);
    object->reload();
    EXPECT_EQ(1, s_calls.reloads);
}

TEST(CNameManagerUninstalledTest, EveryNameIsUnknown)
{
    ASSERT_FALSE(CNameManager::isInstalled());
    uint32_t name = internName("Sigma");
    CManagedPtr<CTestNamed> object = CManagedPtr<CTestNamed>::adopt(new CTestNamed(name, 0));
    EXPECT_EQ(name, object->getNameId());
    EXPECT_FALSE(CNameManager::getNamed(name));
    EXPECT_FALSE(CNameManager::loadNamed(name));
    EXPECT_FALSE(CNameManager::isNameUsed(name));
    CManagedPtr<CTestLoader> loader = CManagedPtr<CTestLoader>::adopt(new CTestLoader());
    CNameManager::registerIOContext(name, internName("TestType"), loader.get(), 0);
    EXPECT_EQ(1u, loader->getReferenceCount());
    EXPECT_FALSE(CNameManager::hasRecord(name));
}

} // namespace
