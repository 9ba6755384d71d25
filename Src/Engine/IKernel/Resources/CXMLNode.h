#pragma once

#include "Engine/IKernel/Types/CArray.h"
#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

struct SXMLAttribute
{
    CString name;
    CString value;
};

// One element of an XML tree: a name, a text value, attributes and children.
// A node owns its children.
class CXMLNode
{
public:
    // A node given a parent becomes its last child.
    explicit CXMLNode(const CString& name, const CString& value = CString(), CXMLNode* parent = nullptr);
    virtual ~CXMLNode();
    CXMLNode(const CXMLNode&) = delete;
    CXMLNode& operator=(const CXMLNode&) = delete;

    const CString& getName() const { return m_name; }
    const CString& getValue() const { return m_value; }
    void setValue(const CString& value) { m_value = value; }

    // Replaces the value of an attribute with that name, or adds one.
    void setAttribute(const CString& name, const CString& value);
    // The attribute's value, or null.
    const CString* getAttribute(const CString& name) const;
    const CArray<SXMLAttribute>& getAttributes() const { return m_attributes; }

    // Takes ownership of the child.
    CXMLNode* addChild(CXMLNode* child);
    const CArray<CXMLNode*>& getChildren() const { return m_children; }
    CXMLNode* getParent() const { return m_parent; }

private:
    CString m_name;
    CString m_value;
    CArray<SXMLAttribute> m_attributes;
    CArray<CXMLNode*> m_children;
    CXMLNode* m_parent;
};

} // namespace Engine
} // namespace Tavrin
