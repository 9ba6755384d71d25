#pragma once

#include "Engine/IInput/CKeyNames.h"
#include "Engine/IInput/TKeyCode.h"
#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// The two lookups between key codes and name IDs built from a key-name
// table. Texts live in the process-wide name dictionary, not here.
class CKeyNameMaps
{
public:
    // Builds from the engine's key-name table.
    CKeyNameMaps();
    // Builds from another table, ended by an entry whose code is C_KEY_NONE.
    explicit CKeyNameMaps(const SKeyName* table);
    ~CKeyNameMaps();
    CKeyNameMaps(const CKeyNameMaps&) = delete;
    CKeyNameMaps& operator=(const CKeyNameMaps&) = delete;

    // Adds every entry of the table, overwriting earlier mappings.
    void build(const SKeyName* table);

    // 0 when the code has no name.
    uint32_t getNameId(TKeyCode code) const;
    // C_KEY_NONE when no key has that name ID.
    TKeyCode getCode(uint32_t nameId) const;
    // The lower-case name of a key in any letter case; C_KEY_NONE when unknown.
    TKeyCode findKeyCode(const CString& name) const;

    // The dictionary text of the code's name, or the empty string.
    CString keyName(TKeyCode code) const;
    // Names in array order, joined by " ", the separator and " ".
    CString formatKeys(const CArray<TKeyCode>& codes, const CString& separator) const;

    uint32_t getCount() const { return m_codeByName.getCount(); }

private:
    // Open-addressing map from one 32-bit value to another.
    class _CTable
    {
    public:
        _CTable() = default;
        ~_CTable();
        _CTable(const _CTable&) = delete;
        _CTable& operator=(const _CTable&) = delete;

        void set(uint32_t key, uint32_t value);
        bool get(uint32_t key, uint32_t& value) const;
        uint32_t getCount() const { return m_count; }

    private:
        struct _SSlot
        {
            uint32_t key;
            uint32_t value;
            bool used;
        };

        uint32_t _find(uint32_t key) const;
        void _rehash(uint32_t capacity);

        _SSlot* m_slots = nullptr;
        uint32_t m_capacity = 0;
        uint32_t m_count = 0;
    };

    _CTable m_codeByName;
    _CTable m_nameByCode;
};

} // namespace Engine
} // namespace Tavrin
