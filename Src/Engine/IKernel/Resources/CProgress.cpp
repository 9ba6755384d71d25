#include "Engine/IKernel/Resources/CProgress.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CTimer.h"

#include <cstdlib>

namespace Tavrin {
namespace Engine {

namespace {

CProgress* currentProgress = nullptr;

// Truncation toward 0, defined for every input (NaN gives 0).
int32_t truncatePercentage(double percentage)
{
    if (!(percentage == percentage))
        return 0;
    if (percentage >= 2147483647.0)
        return INT32_MAX;
    if (percentage <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(percentage);
}

} // namespace

CProgress::CProgress()
    : m_reportDelay(0.1f), m_states(new CArray<_SProgressState>()), m_creationTime(CTimer::readCounter())
{
    if (!currentProgress)
        currentProgress = this;
}

CProgress::~CProgress()
{
    if (currentProgress == this)
        currentProgress = nullptr;
    for (_SProgressState& state : *m_states)
        free(state.weights);
    delete m_states;
}

CProgress* CProgress::getCurrent()
{
    return currentProgress;
}

void CProgress::begin(uint32_t stepCount, const char* name, const float* weights)
{
    m_name = name;
    _SProgressState state;
    state.currentStep = 0;
    state.stepCount = stepCount;
    state.weights = static_cast<float*>(malloc((static_cast<size_t>(stepCount) + 1) * sizeof(float)));
    if (weights)
        for (uint32_t i = 0; i < stepCount; ++i)
            state.weights[i] = weights[i];
    else
        for (uint32_t i = 0; i < stepCount; ++i)
            state.weights[i] = static_cast<float>(i) * (1.0f / static_cast<float>(stepCount));
    state.weights[0] = 0.0f;
    state.weights[stepCount] = 1.0f;

    state.start = 0.0f;
    state.end = 1.0f;
    uint64_t depth = m_states->getCount();
    if (depth > 0)
    {
        const _SProgressState& parent = (*m_states)[depth - 1];
        float range = parent.end - parent.start;
        // A parent whose steps are all done has no weight past its last one:
        // the child gets the empty slice at the parent's end.
        uint32_t k = parent.currentStep;
        uint32_t next = k < parent.stepCount ? k + 1 : parent.stepCount;
        state.start = parent.start + range * parent.weights[k];
        state.end = parent.start + range * parent.weights[next];
    }
    m_states->add(state);
    _reportThrottled();
}

void CProgress::end()
{
    uint64_t depth = m_states->getCount();
    if (depth == 0)
        TAVRIN_THROW_AT(CInvalidOperationException, "Create/destroy mismatching\n", "Engine/IKernel/Resources/CProgress", 95);
    free((*m_states)[depth - 1].weights);
    m_states->removeAt(depth - 1);
}

void CProgress::step()
{
    uint64_t depth = m_states->getCount();
    if (depth == 0)
        return;
    _SProgressState& state = (*m_states)[depth - 1];
    if (state.currentStep < state.stepCount)
        ++state.currentStep;
    _reportThrottled();
}

int32_t CProgress::getPercentage() const
{
    uint64_t depth = m_states->getCount();
    if (depth == 0)
        return 0;
    const _SProgressState& state = (*m_states)[depth - 1];
    float w = state.weights[state.currentStep];
    w = w < 0.0f ? 0.0f : (w > 1.0f ? 1.0f : w);
    return truncatePercentage((state.start + (state.end - state.start) * w) * 100.0f);
}

void CProgress::report(float fraction)
{
    _write(truncatePercentage(static_cast<double>(fraction * 100.0f)));
}

void CProgress::reportCurrent()
{
    if (m_states->getCount() == 0)
        return;
    _write(getPercentage());
}

void CProgress::_reportThrottled()
{
    int64_t elapsed = static_cast<int64_t>(CTimer::readCounter() - m_creationTime);
    double seconds = static_cast<double>(elapsed) / static_cast<double>(CTimer::getCounterFrequency());
    if (seconds > m_reportDelay)
        reportCurrent();
}

void CProgress::_write(int32_t percentage)
{
    logLevel(0, "Progress: %s (%d %%)\n", m_name.c_str(), percentage);
}

} // namespace Engine
} // namespace Tavrin
