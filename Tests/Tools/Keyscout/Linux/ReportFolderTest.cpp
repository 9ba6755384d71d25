#include "Tools/Keyscout/Linux/ReportFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportFolderTest, StateFolderFollowsTheBaseDirectoryRules)
{
    EXPECT_EQ(stateFolder("/x/state", "/home/u"), "/x/state/keyscout");
    // A relative XDG_STATE_HOME is ignored, as the rules say.
    EXPECT_EQ(stateFolder("state", "/home/u"), "/home/u/.local/state/keyscout");
    EXPECT_EQ(stateFolder(nullptr, "/home/u"), "/home/u/.local/state/keyscout");
    EXPECT_EQ(stateFolder("", nullptr), "/tmp/.local/state/keyscout");
}

} // namespace
