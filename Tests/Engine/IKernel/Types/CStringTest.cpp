#include "Engine/IKernel/Types/CString.h"

#include "Engine/IKernel/CException.h"

#include <gtest/gtest.h>

using namespace Tavrin::Engine;

TEST(CString, LeftTakesHeadOrTail)
{
    CString text("abcdef");
    EXPECT_STREQ(text.left(3).c_str(), "abc");
    EXPECT_STREQ(text.left(-2).c_str(), "ef");
    EXPECT_STREQ(text.left(10).c_str(), "abcdef");
    CString none = text.left(0);
    EXPECT_EQ(none.getLength(), 0);
    ASSERT_NE(none.getData(), nullptr);
    EXPECT_EQ(none.getData()[0], '\0');
    EXPECT_EQ(CString().left(3).getData(), nullptr);
    EXPECT_STREQ(text.left(INT32_MIN).c_str(), "abcdef");
}
