#include "Engine/IInput/CKeyNameMaps.h"

#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include <cstdlib>

namespace Tavrin {
namespace Engine {

namespace {

// Codes are small consecutive numbers and name IDs are already hashes;
// a multiplicative spread serves both.
uint32_t spread(uint32_t key, uint32_t mask)
{
    return (key * 0x9E3779B1u >> 7) & mask;
}

} // namespace

CKeyNameMaps::_CTable::~_CTable()
{
    free(m_slots);
}

uint32_t CKeyNameMaps::_CTable::_find(uint32_t key) const
{
    uint32_t mask = m_capacity - 1;
    uint32_t index = spread(key, mask);
    while (m_slots[index].used && m_slots[index].key != key)
        index = (index + 1) & mask;
    return index;
}

void CKeyNameMaps::_CTable::_rehash(uint32_t capacity)
{
    _SSlot* old = m_slots;
    uint32_t oldCapacity = m_capacity;
    m_slots = static_cast<_SSlot*>(calloc(capacity, sizeof(_SSlot)));
    m_capacity = capacity;
    for (uint32_t i = 0; i < oldCapacity; ++i)
        if (old[i].used)
            m_slots[_find(old[i].key)] = old[i];
    free(old);
}

void CKeyNameMaps::_CTable::set(uint32_t key, uint32_t value)
{
    // At most half full, so that probes stay short and always end.
    if ((m_count + 1) * 2 > m_capacity)
        _rehash(m_capacity ? m_capacity * 2 : 64);
    _SSlot& slot = m_slots[_find(key)];
    if (!slot.used)
    {
        slot.used = true;
        slot.key = key;
        ++m_count;
    }
    slot.value = value;
}

bool CKeyNameMaps::_CTable::get(uint32_t key, uint32_t& value) const
{
    if (m_count == 0)
        return false;
    const _SSlot& slot = m_slots[_find(key)];
    if (!slot.used)
        return false;
    value = slot.value;
    return true;
}

CKeyNameMaps::CKeyNameMaps()
{
    build(s_keyNameTable);
}

CKeyNameMaps::CKeyNameMaps(const SKeyName* table)
{
    build(table);
}

CKeyNameMaps::~CKeyNameMaps() = default;

void CKeyNameMaps::build(const SKeyName* table)
{
    for (const SKeyName* entry = table; entry->code != C_KEY_NONE; ++entry)
    {
        // Interning the lower-cased copy is what makes every key name read
        // back in lower case.
        uint32_t id = internName(CString(entry->name).toLower());
        m_codeByName.set(id, static_cast<uint32_t>(entry->code));
        m_nameByCode.set(static_cast<uint32_t>(entry->code), id);
    }
}

uint32_t CKeyNameMaps::getNameId(TKeyCode code) const
{
    uint32_t id = 0;
    m_nameByCode.get(static_cast<uint32_t>(code), id);
    return id;
}

TKeyCode CKeyNameMaps::getCode(uint32_t nameId) const
{
    uint32_t code;
    if (!m_codeByName.get(nameId, code))
        return C_KEY_NONE;
    return static_cast<TKeyCode>(code);
}

TKeyCode CKeyNameMaps::findKeyCode(const CString& name) const
{
    if (name.isEmpty())
        return C_KEY_NONE;
    return getCode(hashName(name));
}

CString CKeyNameMaps::keyName(TKeyCode code) const
{
    uint32_t id = getNameId(code);
    if (id == 0 || id == 0xFFFFFFFFu)
        return CString();
    return nameText(id);
}

CString CKeyNameMaps::formatKeys(const CArray<TKeyCode>& codes, const CString& separator) const
{
    CString result;
    for (TKeyCode code : codes)
    {
        // A nameless first key adds nothing, so the next name follows without
        // a separator; a nameless later key still brings its separator.
        CString name = keyName(code);
        if (!result.isEmpty())
        {
            result += " ";
            result += separator;
            result += " ";
        }
        result += name;
    }
    return result;
}

} // namespace Engine
} // namespace Tavrin
