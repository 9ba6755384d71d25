#pragma once

#include "Engine/IKernel/Resources/CResourceLocation.h"

namespace Tavrin {
namespace Engine {

// A location that names nothing: no stream, no size, never changes.
class CUnknownResourceLocation : public CResourceLocation
{
public:
    CManagedPtr<CStream> openStream() override { return CManagedPtr<CStream>(); }
    uint32_t refresh() override { return 0; }
    bool hasChanged() override { return false; }
    uint32_t getType() override { return C_TYPE_UNKNOWN; }
    CXMLNode* toXML(CXMLNode* parent) override { return _makeNode(parent, CString()); }
    uint64_t getModificationTime() override { return 0; }

protected:
    ~CUnknownResourceLocation() override = default;
};

} // namespace Engine
} // namespace Tavrin
