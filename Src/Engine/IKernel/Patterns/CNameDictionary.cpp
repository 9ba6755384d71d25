#include "Engine/IKernel/Patterns/CNameDictionary.h"

#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CIdTable.h"
#include "Engine/IKernel/System/CReadWriteLock.h"

#include <new>

namespace Tavrin {
namespace Engine {

namespace {

struct _SNameDictionary
{
    CReadWriteLock lock;
    CIdTable<CString> texts;
};

// Built on first use, so that names may be interned during static
// initialisation, and never destroyed, so that names still resolve while
// other static objects are destroyed at exit.
_SNameDictionary& _dictionary()
{
    alignas(_SNameDictionary) static unsigned char storage[sizeof(_SNameDictionary)];
    static _SNameDictionary* dictionary = new (storage) _SNameDictionary();
    return *dictionary;
}

bool _isKnown(_SNameDictionary& dictionary, uint32_t id)
{
    dictionary.lock.lockShared();
    bool known = dictionary.texts.find(id) != nullptr;
    dictionary.lock.unlockShared();
    return known;
}

} // namespace

uint32_t internName(const CString& text)
{
    if (text.isEmpty())
        return 0;
    uint32_t id = hashName(text);
    if (id == 0 || id == 0xFFFFFFFF)
        return id;
    _SNameDictionary& dictionary = _dictionary();
    // Most names are known already: only a shared lookup then.
    if (_isKnown(dictionary, id))
        return id;
    CString copy(text);
    dictionary.lock.lockExclusive();
    // Another thread may have stored the ID meanwhile; its text stays.
    if (!dictionary.texts.find(id))
    {
        try
        {
            dictionary.texts.insert(id, static_cast<CString&&>(copy));
        }
        catch (...)
        {
            dictionary.lock.unlockExclusive();
            throw;
        }
    }
    dictionary.lock.unlockExclusive();
    return id;
}

uint32_t internName(const char* text)
{
    if (!text || !text[0])
        return 0;
    return internName(CString(text));
}

CString nameText(uint32_t nameId)
{
    if (nameId == 0 || nameId == 0xFFFFFFFF)
        return CString::empty();
    _SNameDictionary& dictionary = _dictionary();
    dictionary.lock.lockShared();
    const CString* text = dictionary.texts.find(nameId);
    CString result = text ? *text : CString::empty();
    dictionary.lock.unlockShared();
    return result;
}

void clearNameDictionary()
{
    _SNameDictionary& dictionary = _dictionary();
    dictionary.lock.lockExclusive();
    dictionary.texts.clear();
    dictionary.lock.unlockExclusive();
}

} // namespace Engine
} // namespace Tavrin
