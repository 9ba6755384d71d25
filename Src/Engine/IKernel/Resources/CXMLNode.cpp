#include "Engine/IKernel/Resources/CXMLNode.h"

namespace Tavrin {
namespace Engine {

CXMLNode::CXMLNode(const CString& name, const CString& value, CXMLNode* parent)
    : m_name(name), m_value(value), m_parent(nullptr)
{
    if (parent)
        parent->addChild(this);
}

CXMLNode::~CXMLNode()
{
    for (CXMLNode* child : m_children)
        delete child;
}

void CXMLNode::setAttribute(const CString& name, const CString& value)
{
    for (SXMLAttribute& attribute : m_attributes)
    {
        if (attribute.name == name)
        {
            attribute.value = value;
            return;
        }
    }
    m_attributes.add(SXMLAttribute{name, value});
}

const CString* CXMLNode::getAttribute(const CString& name) const
{
    for (const SXMLAttribute& attribute : m_attributes)
        if (attribute.name == name)
            return &attribute.value;
    return nullptr;
}

CXMLNode* CXMLNode::addChild(CXMLNode* child)
{
    child->m_parent = this;
    m_children.add(child);
    return child;
}

} // namespace Engine
} // namespace Tavrin
