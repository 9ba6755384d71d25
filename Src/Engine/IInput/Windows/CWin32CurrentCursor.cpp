#include "Engine/IInput/Windows/CWin32CurrentCursor.h"

namespace Tavrin {
namespace Engine {

CWin32CurrentCursor::~CWin32CurrentCursor()
{
    if (!m_owned)
        return;
    // Never leave a destroyed cursor current.
    if (GetCursor() == m_owned)
        SetCursor(nullptr);
    DestroyCursor(m_owned);
}

HCURSOR CWin32CurrentCursor::show(HCURSOR cursor, bool owned)
{
    HCURSOR previous = SetCursor(cursor);
    HCURSOR replaced = m_owned;
    m_owned = owned ? cursor : nullptr;
    // Only once the new cursor is current may the old one go.
    if (replaced && replaced != cursor)
        DestroyCursor(replaced);
    return previous;
}

} // namespace Engine
} // namespace Tavrin
