#include "Engine/IKernel/Maths/CHashFunction.h"

namespace Tavrin {
namespace Engine {

CHashFunction::~CHashFunction() = default;

uint32_t CHashFunction::hash(const void* data, uint32_t count)
{
    reset();
    feed(data, count);
    return finish();
}

} // namespace Engine
} // namespace Tavrin
