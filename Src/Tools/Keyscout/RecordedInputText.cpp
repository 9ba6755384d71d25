#include "Tools/Keyscout/RecordedInputText.h"

#include <cstdio>

using namespace Tavrin::Engine;

namespace {

CString shownName(const CInputMapper& mapper, TKeyCode code)
{
    CString name = mapper.keyName(code);
    if (name.getLength() > 0)
        return name;
    char placeholder[32];
    snprintf(placeholder, sizeof(placeholder), "(key 0x%02X)", static_cast<unsigned>(code));
    return CString(placeholder);
}

} // namespace

CArray<SWindowTextSegment> recordedInputText(const CInputMapper& mapper)
{
    CArray<SWindowTextSegment> segments;
    for (TKeyCode code : mapper.getDetectedKeys())
    {
        SWindowTextSegment segment;
        CString name = shownName(mapper, code);
        // The separator goes with the name after it, so it dims with it.
        segment.text = segments.getCount() == 0 ? name : CString(" + ") + name;
        segment.dimmed = !mapper.getKeyStatus(code).pressed;
        segments.add(segment);
    }
    return segments;
}
