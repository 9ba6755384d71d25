#pragma once

#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"
#include "Engine/IKernel/Resources/CStream.h"
#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

class CXMLNode;
class CResourceLocation;

// Makes a location of one kind from its text (a path for files).
typedef CManagedPtr<CResourceLocation> (*TResourceLocationCreator)(const CString& text);

// Where a resource comes from; opens streams on it and notices changes.
class CResourceLocation : public CManaged
{
public:
    static constexpr uint32_t C_TYPE_UNKNOWN = 1;
    static constexpr uint32_t C_TYPE_FILE = 2;
    static constexpr uint32_t C_TYPE_MEMORY = 3;
    static constexpr uint32_t C_TYPE_DATA = 4;

    // "UnknownResourceLocation", "FileResourceLocation", ...; empty for other types.
    static const CString& getTypeName(uint32_t type);

    // A new readable stream on the resource, or null.
    virtual CManagedPtr<CStream> openStream() = 0;
    // Records the resource's present state; returns its size.
    virtual uint32_t refresh() = 0;
    // Whether the resource changed since the last refresh.
    virtual bool hasChanged() = 0;
    virtual uint32_t getType() = 0;
    // A node named after the type, holding the location's text; a given
    // parent takes it as its last child.
    virtual CXMLNode* toXML(CXMLNode* parent) = 0;
    virtual uint64_t getModificationTime() = 0;

    // The creators of each kind of location, keyed by the name ID of the kind
    // ("File"). Filled during the kernel install.
    static void registerCreator(uint32_t kindNameId, TResourceLocationCreator creator);
    static void unregisterCreators();
    // Null for a kind without creator.
    static CManagedPtr<CResourceLocation> create(uint32_t kindNameId, const CString& text);

protected:
    ~CResourceLocation() override = default;
    CXMLNode* _makeNode(CXMLNode* parent, const CString& value);
};

} // namespace Engine
} // namespace Tavrin
