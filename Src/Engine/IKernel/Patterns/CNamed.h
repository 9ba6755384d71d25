#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
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
    // Other threads can find the object from then on: where they may look the
    // name up meanwhile, create it with createNamed instead.
    CNamed(uint32_t requestedNameId, uint32_t typeId);
    ~CNamed() override;

    // What the naming constructor does, for an object built unnamed; does
    // nothing when the object has a name already.
    void _takeName(uint32_t requestedNameId, uint32_t typeId);

    // Reloads the object's data through its name's loader and type.
    virtual void reload();

    uint32_t getNameId() const { return m_nameId; }
    CString getName() const;

private:
    uint32_t m_nameId = C_NO_NAME;
};

// Builds a T (a CNamed, constructed unnamed) and names it once it is whole,
// so that no other thread finds it half built. The pointer holds the creation
// reference; a refused name (collision, type mismatch) throws and frees it.
template <typename T, typename... TArguments>
CManagedPtr<T> createNamed(uint32_t requestedNameId, uint32_t typeId, TArguments&&... arguments)
{
    CManagedPtr<T> object = CManagedPtr<T>::adopt(new T(static_cast<TArguments&&>(arguments)...));
    object->_takeName(requestedNameId, typeId);
    return object;
}

} // namespace Engine
} // namespace Tavrin
