#pragma once

#include "Support/ExpectException.h"

// Runs the action and checks that it throws CInvalidArgumentException with
// exactly these details, engine file and line.
template <typename TAction>
void expectInvalidArgument(TAction action, const char* details, const char* file, int32_t line)
{
    TavrinTests::expectException<Tavrin::Engine::CInvalidArgumentException>(action, details, file, line);
}
