#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// One open operation: the slice [start, end] of the whole that it fills and
// the cumulative fraction reached at the start of each of its steps.
struct _SProgressState
{
    float start;
    float end;
    uint32_t stepCount;
    uint32_t currentStep;
    float* weights;
};

// Reports the progress of nested long operations to the log, in percent.
class CProgress
{
public:
    CProgress();
    virtual ~CProgress();
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    // Opens an operation of stepCount steps inside the current step of the
    // innermost one. weights: stepCount cumulative fractions, or null for
    // equal steps (the first value is always taken as 0).
    virtual void begin(uint32_t stepCount, const char* name, const float* weights);
    // Closes the innermost operation.
    virtual void end();
    // Advances the innermost operation by one step, never past its last.
    virtual void step();
    // Logs the fraction (0..1) as a percentage at once.
    virtual void report(float fraction);
    // Logs the innermost operation's present value at once.
    virtual void reportCurrent();

    // Present value of the innermost operation in percent (0 with none open).
    int32_t getPercentage() const;
    uint32_t getDepth() const { return static_cast<uint32_t>(m_states->getCount()); }
    const CString& getName() const { return m_name; }

    // The process-wide progress object: the first one created.
    static CProgress* getCurrent();

protected:
    // Only the creation time decides whether begin and step report.
    void _setCreationTime(uint64_t counter) { m_creationTime = counter; }

private:
    void _reportThrottled();
    void _write(int32_t percentage);

    float m_reportDelay;
    CString m_name;
    CArray<_SProgressState>* m_states;
    uint64_t m_creationTime;
};

} // namespace Engine
} // namespace Tavrin
