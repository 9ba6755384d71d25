#include "Engine/IKernel/Maths/CMurmurHash3.h"

namespace Tavrin {
namespace Engine {

// Out of line so that the class has one home for its virtual table.
CMurmurHash3::~CMurmurHash3() = default;

} // namespace Engine
} // namespace Tavrin
