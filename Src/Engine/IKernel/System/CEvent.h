#pragma once

namespace Tavrin {
namespace Engine {

// Manual-reset event: stays signalled until reset. A set wakes every thread
// waiting at that moment, even when a reset follows at once. Failures are
// logged and reported through the result, never thrown.
class CEvent
{
public:
    explicit CEvent(bool signalled = false);
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    bool isValid() const { return m_handle != nullptr; }
    bool set();
    bool reset();
    // Waits without time limit until signalled; false on failure.
    bool wait();

private:
    void* m_handle;
};

} // namespace Engine
} // namespace Tavrin
