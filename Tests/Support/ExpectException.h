#pragma once

#include "Engine/IKernel/CException.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace TavrinTests {

// Runs `action`, which must throw TException with these details; the engine
// file and line are checked unless null or negative.
template <typename TException, typename TAction>
void expectException(TAction action, const char* details, const char* file = nullptr, int32_t line = -1)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception, expected: " << details;
    }
    catch (const TException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), details);
        if (file)
        {
            EXPECT_STREQ(exception.getFile().c_str(), file);
        }
        if (line >= 0)
        {
            EXPECT_EQ(exception.getLine(), line);
        }
    }
}

// The checked element access of every engine array.
template <typename TAction>
void expectRangeError(TAction action)
{
    expectException<Tavrin::Engine::CInvalidArgumentException>(
        action, "Accessing array element outside range\n", "Engine/IKernel/Types/CArray", 1014);
}

} // namespace TavrinTests
