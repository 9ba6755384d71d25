#pragma once

#include <exception>

namespace Tavrin {
namespace Engine {

// The first failure of a writing stream, kept so that every later write,
// flush and close reports it again: data after a gap is worthless, and a
// stream that once lost data must never look whole.
class CStreamFailure
{
public:
    // Called from a catch block: keeps the exception being handled.
    void record() { m_failure = std::current_exception(); }
    bool hasFailed() const { return static_cast<bool>(m_failure); }
    // Throws the kept exception again, if there is one.
    void raise() const;

private:
    std::exception_ptr m_failure;
};

} // namespace Engine
} // namespace Tavrin
