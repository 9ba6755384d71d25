#pragma once

#include "Engine/IKernel/Types/CString.h"

namespace Tavrin {
namespace Engine {

// A path resolved (aliases, "$current", "./", "../") and split into its parts.
// The full path uses "\\" as its only separator.
class CFileName
{
public:
    CFileName() = default;
    explicit CFileName(const CString& path);

    const CString& getGivenPath() const { return m_givenPath; }
    const CString& getFullPath() const { return m_fullPath; }
    // Up to and including the last separator.
    const CString& getDirectory() const { return m_directory; }
    const CString& getFileName() const { return m_fileName; }
    // The file name without its last extension.
    const CString& getBaseName() const { return m_baseName; }
    const CString& getExtension() const { return m_extension; }

private:
    CString m_givenPath;
    CString m_fullPath;
    CString m_directory;
    CString m_fileName;
    CString m_baseName;
    CString m_extension;
};

} // namespace Engine
} // namespace Tavrin
