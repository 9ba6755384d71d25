#pragma once

#include "Engine/IKernel/Types/CString.h"

// What a detection run needs from the user interface that started it.
class CDetectionFrontEnd
{
public:
    virtual ~CDetectionFrontEnd() = default;

    // The devices and the window are ready; the front end steps aside so that
    // the detection window is the only one taking input.
    virtual void onDetectionStarted() = 0;
    // Shows the detected names (empty when nothing was recorded) and comes back.
    virtual void onDetectionFinished(const Tavrin::Engine::CString& result) = 0;
    // A run that failed gives the front end back without a result; by
    // default as a run that recorded nothing.
    virtual void onDetectionAbandoned() { onDetectionFinished(Tavrin::Engine::CString()); }
};
