#include "Engine/IInput/CInputMapper.h"

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include <algorithm>
#include <cmath>

namespace Tavrin {
namespace Engine {

namespace {

const char* const C_SOURCE = "Engine/IInput/CInputMapper";

} // namespace

uint32_t CInputMapper::createEvent(const CString& name, bool inverted, bool requireDoublePress)
{
    if (!name.isEmpty() && findEvent(name) != C_NO_INDEX)
        TAVRIN_THROW(CInvalidArgumentException, "Input event already exists\n", C_SOURCE);
    SInputEvent event;
    event.nameId = internName(name);
    event.inverted = inverted;
    event.requireDoublePress = requireDoublePress;
    return static_cast<uint32_t>(m_events->add(event));
}

uint32_t CInputMapper::findEvent(const CString& name) const
{
    if (name.isEmpty())
        return C_NO_INDEX;
    uint32_t id = hashName(name);
    for (uint32_t i = 0; i < m_events->getCount(); ++i)
        if ((*m_events)[i].nameId == id)
            return i;
    return C_NO_INDEX;
}

void CInputMapper::setEventCallbacks(uint32_t event, const SInputEventCallback& onActivate, const SInputEventCallback& onDeactivate)
{
    SInputEvent& record = m_events->at(event);
    record.onActivate = onActivate;
    record.onDeactivate = onDeactivate;
}

void CInputMapper::bindKeys(uint32_t event, uint32_t slot, const CArray<TKeyCode>& keys)
{
    // Everything is checked before anything changes.
    m_events->at(event);
    if (slot > 1)
        TAVRIN_THROW(CInvalidArgumentException, "Invalid binding slot\n", C_SOURCE);
    if (keys.getCount() == 0)
        TAVRIN_THROW(CInvalidArgumentException, "Empty key combination\n", C_SOURCE);
    for (TKeyCode key : keys)
        if (key < 0 || key >= static_cast<int32_t>(m_keyStatus->getCount()))
            TAVRIN_THROW(CInvalidArgumentException, "Invalid key code\n", C_SOURCE);

    unbindKeys(event, slot);
    SInputEventKeys binding;
    // Larger combinations first: one that takes over from its part is
    // switched on before the part is switched off.
    binding.sortKey = static_cast<uint32_t>(keys.getCount());
    binding.eventIndex = event;
    binding.slot = slot;
    binding.keys = keys;
    for (TKeyCode key : keys)
        binding.keyMask |= _maskBit(key);
    m_bindings->add(binding);
    m_bindingsDirty = true;
}

void CInputMapper::unbindKeys(uint32_t event, uint32_t slot)
{
    m_events->at(event);
    if (slot > 1)
        TAVRIN_THROW(CInvalidArgumentException, "Invalid binding slot\n", C_SOURCE);
    if (m_bindingsDirty)
        reindexBindings();
    uint32_t binding = (*m_events)[event].bindingIndex[slot];
    if (binding != SInputEvent::C_NO_BINDING)
        _removeBinding(binding);
}

void CInputMapper::removeEvent(uint32_t event)
{
    m_events->at(event);
    if (m_bindingsDirty)
        reindexBindings();
    for (uint32_t slot = 0; slot < 2; ++slot)
    {
        uint32_t binding = m_events->at(event).bindingIndex[slot];
        if (binding != SInputEvent::C_NO_BINDING)
            _removeBinding(binding);
    }
    // Bindings of later events follow their event down one place.
    for (SInputEventKeys& binding : *m_bindings)
        if (binding.eventIndex > event)
            --binding.eventIndex;
    m_events->removeAt(event);
    reindexBindings();
}

void CInputMapper::_removeBinding(uint32_t binding)
{
    // An event loses its state with the combination that may have held it;
    // its other combination takes it up again at its next key change.
    _setEventActive(binding, false);
    m_bindings->removeAt(binding);
    reindexBindings();
}

void CInputMapper::reindexBindings()
{
    m_bindingsDirty = false;
    std::stable_sort(m_bindings->begin(), m_bindings->end(),
                     [](const SInputEventKeys& a, const SInputEventKeys& b) { return a.sortKey > b.sortKey; });
    for (SInputEvent& event : *m_events)
        event.bindingIndex[0] = event.bindingIndex[1] = SInputEvent::C_NO_BINDING;
    for (uint32_t k = 0; k < m_bindings->getCount(); ++k)
    {
        const SInputEventKeys& binding = (*m_bindings)[k];
        m_events->at(binding.eventIndex).bindingIndex[binding.slot] = k;
    }
}

bool CInputMapper::_isSubsetOf(const CArray<TKeyCode>& a, const CArray<TKeyCode>& b)
{
    if (a.getCount() == 0 || b.getCount() == 0)
        return false;
    for (TKeyCode key : a)
        if (!_contains(b, key))
            return false;
    return true;
}

bool CInputMapper::_isBindingHeld(uint32_t binding) const
{
    if (binding == SInputEvent::C_NO_BINDING)
        return false;
    const SInputEventKeys& keys = m_bindings->at(binding);
    bool needDouble = m_events->at(keys.eventIndex).requireDoublePress;
    for (TKeyCode key : keys.keys)
    {
        const SKeyStatus& status = getKeyStatus(key);
        if (!status.pressed || (needDouble && !status.doublePressed))
            return false;
    }
    return true;
}

float CInputMapper::_bindingValue(uint32_t binding) const
{
    if (binding == SInputEvent::C_NO_BINDING)
        return 0.0f;
    const SInputEventKeys& keys = m_bindings->at(binding);
    const SInputEvent& event = m_events->at(keys.eventIndex);
    if (!event.active)
        return 0.0f;
    float value = 1.0f;
    for (TKeyCode key : keys.keys)
        value *= getKeyStatus(key).value;
    return event.inverted ? -value : value;
}

void CInputMapper::_invokeCallback(const SInputEventCallback& callback, SInputEvent& event, bool released)
{
    if (callback.object && callback.function)
        callback.function(callback.object, event, released);
}

bool CInputMapper::_setEventActive(uint32_t binding, bool on)
{
    if (binding == SInputEvent::C_NO_BINDING)
        return false;
    uint32_t index = m_bindings->at(binding).eventIndex;
    SInputEvent& event = m_events->at(index);
    bool wasActive = event.active;
    event.active = on;
    if (wasActive && !on)
    {
        // Copied: the callback may grow the event array.
        SInputEventCallback callback = event.onDeactivate;
        _invokeCallback(callback, event, true);
        m_events->at(index).value = 0.0f;
        return true;
    }
    if (!wasActive && on)
    {
        event.value = _bindingValue(binding);
        SInputEventCallback callback = event.onActivate;
        _invokeCallback(callback, event, false);
        return true;
    }
    return false;
}

void CInputMapper::_collectHeldNeighbours(uint32_t binding, CArray<uint32_t>& candidates) const
{
    const CArray<TKeyCode>& keys = m_bindings->at(binding).keys;
    for (TKeyCode key : keys)
        for (uint32_t j = 0; j < m_bindings->getCount(); ++j)
            if (_bindingHasKey((*m_bindings)[j], key) && _isBindingHeld(j) &&
                candidates.indexOf(j) == CArray<uint32_t>::C_NOT_FOUND)
                candidates.add(j);
}

void CInputMapper::_activateUncovered(const CArray<uint32_t>& candidates, bool heldOnly)
{
    uint64_t count = candidates.getCount();
    for (uint64_t m = 0; m < count; ++m)
    {
        uint32_t c = candidates[m];
        if (heldOnly && !_isBindingHeld(c))
            continue;
        // A combination inside another held one gives way to it; two equal
        // combinations give way to each other.
        bool covered = false;
        for (uint64_t n = 0; n < count && !covered; ++n)
            covered = n != m && _isSubsetOf(m_bindings->at(c).keys, m_bindings->at(candidates[n]).keys);
        _setEventActive(c, !covered);
    }
}

void CInputMapper::_refreshEventValues(TKeyCode code)
{
    for (uint32_t e = 0; e < m_events->getCount(); ++e)
    {
        const SInputEvent& event = (*m_events)[e];
        if (!event.active)
            continue;
        uint32_t first = event.bindingIndex[0];
        uint32_t second = event.bindingIndex[1];
        bool uses = (first != SInputEvent::C_NO_BINDING && _bindingHasKey(m_bindings->at(first), code)) ||
                    (second != SInputEvent::C_NO_BINDING && _bindingHasKey(m_bindings->at(second), code));
        if (!uses)
            continue;
        float firstValue = _bindingValue(first);
        float secondValue = _bindingValue(second);
        (*m_events)[e].value = std::fabs(firstValue) < std::fabs(secondValue) ? secondValue : firstValue;
    }
}

} // namespace Engine
} // namespace Tavrin
