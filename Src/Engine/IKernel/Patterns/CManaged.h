#pragma once

#include "Engine/IKernel/Patterns/CReferenced.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CManager;

// A reference-counted object that may belong to a manager, which gives it an
// ID and decides how it is destroyed when its last reference goes.
class CManaged : public CReferenced
{
public:
    static const uint32_t C_NO_ID = 0xFFFFFFFF;

    CManaged() = default;

    void release() override;
    // Leaves the current manager (if any) and registers with the new one.
    virtual void setManager(CManager* manager, uint32_t idHint);
    virtual void setManager(CManager* manager);

    CManager* getManager() const { return m_manager; }
    // Kept after the object leaves its manager.
    uint32_t getId() const { return m_id; }

private:
    void _leaveManager();

    CManager* m_manager = nullptr;
    uint32_t m_id = C_NO_ID;
};

} // namespace Engine
} // namespace Tavrin
