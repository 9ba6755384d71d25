#include "Engine/IKernel/System/CFileName.h"

#include "Engine/IKernel/System/FileTestSupport.h"

using namespace Tavrin::Engine;
using namespace FileTestSupport;

// A program started from a share finds its files there, not under the
// current drive's root.
TEST_F(AliasTest, NetworkPathsKeepTheirLeadingPair)
{
    struct SCase
    {
        const char* path;
        const char* full;
        const char* directory;
    } cases[] = {
        {"\\\\server\\share\\x.txt", "\\\\server\\share\\x.txt", "\\\\server\\share\\"},
        {"//server/share/logs/../x.txt", "\\\\server\\share\\x.txt", "\\\\server\\share\\"},
        {"\\\\server\\share/keyscout_log.txt", "\\\\server\\share\\keyscout_log.txt", "\\\\server\\share\\"},
        {"C:\\\\x\\\\y.txt", "C:\\x\\y.txt", "C:\\x\\"},
    };
    for (const SCase& c : cases)
    {
        CFileName name(c.path);
        EXPECT_STREQ(name.getFullPath().c_str(), c.full) << c.path;
        EXPECT_STREQ(name.getDirectory().c_str(), c.directory) << c.path;
        EXPECT_STREQ(CFileName::toNativeFullPath(c.path).c_str(), c.full) << c.path;
    }
}
