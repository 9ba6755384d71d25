#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CManaged;

// Interface of every manager: hands out IDs and decides how its objects die.
class CManager
{
public:
    virtual ~CManager() = default;

    // Not every manager honours ID hints; the base throws.
    virtual uint32_t registerManaged(CManaged* object, uint32_t idHint);
    virtual uint32_t registerManaged(CManaged* object) = 0;
    virtual void unregisterManaged(CManaged* object);
    // Called by the object's last release, after unregisterManaged.
    virtual void destroyManaged(CManaged* object);
    virtual void releaseAll();
};

} // namespace Engine
} // namespace Tavrin
