#pragma once

#include "Engine/IKernel/CException.h"

#include <gtest/gtest.h>

// Runs the action and checks that it throws CInvalidArgumentException with
// exactly these details, engine file and line.
template <typename TAction>
void expectInvalidArgument(TAction action, const char* details, const char* file, int32_t line)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception for \"" << details << "\"";
    }
    catch (const Tavrin::Engine::CInvalidArgumentException& exception)
    {
        EXPECT_STREQ(exception.getDetails().c_str(), details);
        EXPECT_STREQ(exception.getFile().c_str(), file);
        EXPECT_EQ(exception.getLine(), line);
    }
}
