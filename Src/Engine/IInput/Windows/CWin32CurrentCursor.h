#pragma once

#include <windows.h>

namespace Tavrin {
namespace Engine {

// Makes cursors current and keeps one the engine made alive while it is:
// Win32 needs a cursor to stay valid until another one replaces it.
class CWin32CurrentCursor
{
public:
    CWin32CurrentCursor() : m_owned(nullptr) {}
    // Destroys the last owned cursor.
    ~CWin32CurrentCursor();
    CWin32CurrentCursor(const CWin32CurrentCursor&) = delete;
    CWin32CurrentCursor& operator=(const CWin32CurrentCursor&) = delete;

    // Makes cursor current (owned: this object destroys it later), then
    // destroys the owned one it replaces; returns what SetCursor gave back.
    HCURSOR show(HCURSOR cursor, bool owned);

    HCURSOR getOwned() const { return m_owned; }

private:
    HCURSOR m_owned;
};

} // namespace Engine
} // namespace Tavrin
