#include "Engine/IKernel/Resources/CFileResourceLocation.h"
#include "Engine/IKernel/Resources/CResourceLocationManager.h"
#include "Engine/IKernel/Resources/CUnknownResourceLocation.h"
#include "Engine/IKernel/Resources/CXMLNode.h"

#include "Engine/IKernel/Resources/StreamTestSupport.h"

#include <cstdint>

using namespace Tavrin::Engine;
using namespace FileTestSupport;
using namespace StreamTestSupport;

TEST_F(AliasTest, FileLocationOpensStreamsAndNoticesChanges)
{
    std::string path = testPath("resource.bin");
    ASSERT_TRUE(writeFileBytes(path.c_str(), sampleBytes(100, 30)));
    CManagedPtr<CFileResourceLocation> location = own(new CFileResourceLocation(path.c_str()));
    EXPECT_EQ(location->getType(), CResourceLocation::C_TYPE_FILE);
    EXPECT_FALSE(location->hasChanged());
    EXPECT_EQ(location->getModificationTime(), CFileUtils::modificationTime(path.c_str()));
    {
        CManagedPtr<CStream> stream = location->openStream();
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->getAccess(), CStream::C_ACCESS_READ);
        EXPECT_EQ(drain(*stream, 64), sampleBytes(100, 30));
    }
    ASSERT_TRUE(writeFileBytes(path.c_str(), sampleBytes(150, 30)));
    EXPECT_TRUE(location->hasChanged()); // the size differs
    EXPECT_EQ(location->refresh(), 150u);
    EXPECT_FALSE(location->hasChanged());
}

TEST_F(AliasTest, MissingFileLocationOpensNothing)
{
    LogCapture capture;
    CManagedPtr<CFileResourceLocation> location = own(new CFileResourceLocation(testPath("none.bin").c_str()));
    EXPECT_FALSE(location->openStream());
    EXPECT_EQ(location->refresh(), 0u);
    EXPECT_EQ(location->getModificationTime(), 0u);
}

TEST_F(AliasTest, LocationsDescribeThemselvesInXml)
{
    CXMLNode root("locations");
    CManagedPtr<CFileResourceLocation> file = own(new CFileResourceLocation("$Cache/x.png"));
    CXMLNode* node = file->toXML(&root);
    EXPECT_STREQ(node->getName().c_str(), "FileResourceLocation");
    EXPECT_STREQ(node->getValue().c_str(), "$Cache/x.png");
    EXPECT_EQ(node->getChildren().getCount(), 0u);
    EXPECT_EQ(node->getAttributes().getCount(), 0u);
    EXPECT_EQ(node->getParent(), &root);

    CManagedPtr<CUnknownResourceLocation> unknown = own(new CUnknownResourceLocation());
    EXPECT_FALSE(unknown->openStream());
    CXMLNode* other = unknown->toXML(&root);
    EXPECT_STREQ(other->getName().c_str(), "UnknownResourceLocation");
    EXPECT_TRUE(other->getValue().isEmpty());
    ASSERT_EQ(root.getChildren().getCount(), 2u);
    EXPECT_EQ(root.getChildren()[1], other);

    CXMLNode* alone = unknown->toXML(nullptr); // without a parent the caller owns it
    EXPECT_EQ(alone->getParent(), nullptr);
    delete alone;
}

TEST(CResourceLocation, TypeNames)
{
    EXPECT_STREQ(CResourceLocation::getTypeName(1).c_str(), "UnknownResourceLocation");
    EXPECT_STREQ(CResourceLocation::getTypeName(2).c_str(), "FileResourceLocation");
    EXPECT_STREQ(CResourceLocation::getTypeName(3).c_str(), "MemoryResourceLocation");
    EXPECT_STREQ(CResourceLocation::getTypeName(4).c_str(), "DataResourceLocation");
    EXPECT_TRUE(CResourceLocation::getTypeName(0).isEmpty());
    EXPECT_TRUE(CResourceLocation::getTypeName(5).isEmpty());
}

TEST_F(AliasTest, CreatorsMakeLocationsByKind)
{
    const uint32_t fileKind = 0x1234;
    CResourceLocation::registerCreator(fileKind, &CFileResourceLocation::create);
    CManagedPtr<CResourceLocation> made = CResourceLocation::create(fileKind, "$Cache/made.bin");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->getType(), CResourceLocation::C_TYPE_FILE);
    EXPECT_EQ(made->getReferenceCount(), 1u);
    EXPECT_FALSE(CResourceLocation::create(fileKind + 1, "x"));
    CResourceLocation::unregisterCreators();
    EXPECT_FALSE(CResourceLocation::create(fileKind, "x"));
}

TEST(CResourceLocationManager, IdsAreAddressesAndTheGlobalPointerIsCleared)
{
    CResourceLocationManager* manager = new CResourceLocationManager();
    CResourceLocationManager::setInstance(manager);
    CUnknownResourceLocation* location = new CUnknownResourceLocation();
    location->setManager(manager);
    EXPECT_EQ(location->getId(), static_cast<uint32_t>(reinterpret_cast<uintptr_t>(location)));
    location->release(); // the manager deletes it
    delete manager;
    EXPECT_EQ(CResourceLocationManager::getInstance(), nullptr);

    // Another manager's end leaves the pointer alone.
    CResourceLocationManager kept;
    CResourceLocationManager::setInstance(&kept);
    delete new CResourceLocationManager();
    EXPECT_EQ(CResourceLocationManager::getInstance(), &kept);
    CResourceLocationManager::setInstance(nullptr);
}

TEST(CXMLNode, AttributesAndOwnedChildren)
{
    CXMLNode root("root", "text");
    root.setAttribute("a", "1");
    root.setAttribute("b", "2");
    root.setAttribute("a", "3");
    ASSERT_EQ(root.getAttributes().getCount(), 2u);
    ASSERT_NE(root.getAttribute("a"), nullptr);
    EXPECT_STREQ(root.getAttribute("a")->c_str(), "3");
    EXPECT_EQ(root.getAttribute("c"), nullptr);
    CXMLNode* child = root.addChild(new CXMLNode("child"));
    new CXMLNode("grandchild", "g", child);
    EXPECT_EQ(child->getChildren().getCount(), 1u);
    EXPECT_STREQ(child->getChildren()[0]->getValue().c_str(), "g");
}
