#include "Engine/IInput/CInputManager.h"
#include "Engine/IInput/CNullInputManager.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

TEST(CreateInputManagerTest, PlatformWithoutBackendGetsTheNullManager)
{
    CManagedPtr<CInputManager> manager = createInputManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager->getReferenceCount(), 1u);
    EXPECT_NE(dynamic_cast<CNullInputManager*>(manager.get()), nullptr);
}
