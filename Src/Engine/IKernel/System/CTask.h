#pragma once

#include <cstdint>

namespace Tavrin {
namespace Engine {

// A piece of work that the task manager runs split into parts. execute is
// called once per part index, possibly on several threads at once.
class CTask
{
public:
    virtual void execute(uint32_t partIndex, uintptr_t argument, uint32_t partCount) = 0;
    virtual ~CTask() = default;
};

} // namespace Engine
} // namespace Tavrin
