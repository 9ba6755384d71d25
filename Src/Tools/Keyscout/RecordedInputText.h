#pragma once

#include "Engine/IInput/CInputMapper.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IRenderer/SWindowTextSegment.h"

// What the detection window shows while a run records: the names recorded
// so far, joined as in the result, each with the separator before it; a
// name is dimmed once its input is let go. An input without a name shows as
// its code in brackets, which the result never holds.
Tavrin::Engine::CArray<Tavrin::Engine::SWindowTextSegment> recordedInputText(const Tavrin::Engine::CInputMapper& mapper);
