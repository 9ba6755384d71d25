#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A managed object registered in the name manager under a 32-bit name ID.
// Its name never changes after construction.
class CNamed : public CManaged
{
public:
    // Name IDs that stand for "no name".
    static const uint32_t C_NO_NAME = 0;
    static const uint32_t C_INVALID_NAME = 0xFFFFFFFF;

    // Unnamed: not entered in the name table.
    CNamed() = default;
    // Takes the requested name, or a fresh anonymous one ("Unknown_%x") when a
    // live object already holds it. Name ID 0 leaves the object unnamed.
    CNamed(uint32_t requestedNameId, uint32_t typeId);
    ~CNamed() override;

    // Reloads the object's data through its name's loader and type.
    virtual void reload();

    uint32_t getNameId() const { return m_nameId; }
    CString getName() const;

private:
    uint32_t m_nameId = C_NO_NAME;
};

} // namespace Engine
} // namespace Tavrin
