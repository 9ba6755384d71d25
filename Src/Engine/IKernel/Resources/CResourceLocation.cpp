#include "Engine/IKernel/Resources/CResourceLocation.h"

#include "Engine/IKernel/Resources/CXMLNode.h"
#include "Engine/IKernel/Types/CArray.h"

namespace Tavrin {
namespace Engine {

namespace {

struct SCreator
{
    uint32_t kindNameId;
    TResourceLocationCreator creator;
};

CArray<SCreator>& creators()
{
    static CArray<SCreator> table;
    return table;
}

} // namespace

const CString& CResourceLocation::getTypeName(uint32_t type)
{
    static const CString names[4] = {"UnknownResourceLocation", "FileResourceLocation", "MemoryResourceLocation",
                                     "DataResourceLocation"};
    if (type < C_TYPE_UNKNOWN || type > C_TYPE_DATA)
        return CString::empty();
    return names[type - C_TYPE_UNKNOWN];
}

CXMLNode* CResourceLocation::_makeNode(CXMLNode* parent, const CString& value)
{
    return new CXMLNode(getTypeName(getType()), value, parent);
}

void CResourceLocation::registerCreator(uint32_t kindNameId, TResourceLocationCreator creator)
{
    for (SCreator& entry : creators())
    {
        if (entry.kindNameId == kindNameId)
        {
            entry.creator = creator;
            return;
        }
    }
    creators().add(SCreator{kindNameId, creator});
}

void CResourceLocation::unregisterCreators()
{
    creators().clear();
}

CManagedPtr<CResourceLocation> CResourceLocation::create(uint32_t kindNameId, const CString& text)
{
    for (const SCreator& entry : creators())
        if (entry.kindNameId == kindNameId && entry.creator)
            return entry.creator(text);
    return CManagedPtr<CResourceLocation>();
}

} // namespace Engine
} // namespace Tavrin
