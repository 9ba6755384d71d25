#pragma once

#include "Engine/IKernel/Resources/CResourceLocation.h"

namespace Tavrin {
namespace Engine {

// A resource in a file, watched through its modification time and size.
class CFileResourceLocation : public CResourceLocation
{
public:
    // Records the file's present modification time and size.
    explicit CFileResourceLocation(const CString& path);
    // The creator registered for the kind "File".
    static CManagedPtr<CResourceLocation> create(const CString& path);

    // A readable file stream, or null when the file cannot be opened.
    CManagedPtr<CStream> openStream() override;
    uint32_t refresh() override;
    bool hasChanged() override;
    uint32_t getType() override { return C_TYPE_FILE; }
    CXMLNode* toXML(CXMLNode* parent) override;
    uint64_t getModificationTime() override;

    const CString& getPath() const { return m_path; }

protected:
    ~CFileResourceLocation() override = default;

private:
    CString m_path;
    uint64_t m_modificationTime;
    uint32_t m_size;
};

} // namespace Engine
} // namespace Tavrin
