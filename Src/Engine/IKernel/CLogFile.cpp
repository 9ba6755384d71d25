#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CLogGlobals.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CSystem.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// Names tried when other running instances hold the log's name.
const uint32_t maximumFileNumber = 16;

} // namespace

// "%s%s%s" of folder, "/" and name, kept whole: a name cut short would name another file.
CString composeLogName(const char* name)
{
    return IKernel::getExecutableFolder() + "/" + name;
}

CString composeDefaultLogName()
{
    return composeLogName((IKernel::getApplicationShortName() + "_log.txt").c_str());
}

void CLog::_writeHeader(FILE* file) const
{
    static const char separator[] =
        "============================================================================\n";
    fputs(separator, file);
    fprintf(file, "Log file of '%s'\n", IKernel::getExecutablePath().c_str());
    fputs(separator, file);
    fputs("\n", file);
    fprintf(file, "Free disk space: %.1f Mb\n", static_cast<double>(CSystem::getFreeDiskSpaceMb()));
    fprintf(file, "Total disk space: %.1f Mb\n", static_cast<double>(CSystem::getTotalDiskSpaceMb()));
    CSystem::writeSystemInfo(file);
    fputs("\n", file);
}

CString CLog::numberedName(const CString& path, uint32_t number)
{
    if (number <= 1)
        return path;
    const char* text = path.c_str();
    const char* name = text;
    for (const char* c = text; *c; ++c)
        if (*c == '/' || *c == '\\')
            name = c + 1;
    const char* dot = strrchr(name, '.');
    int32_t stemLength = static_cast<int32_t>((dot ? dot : text + path.getLength()) - text);
    CString suffix;
    suffix.format("-%u", number);
    return path.left(stemLength) + suffix + (dot ? dot : "");
}

// Caller holds the file lock. The first of the numbered names that no other
// running instance holds: two instances never write into one file.
bool CLog::_openFirstFreeName(const CString& name)
{
    int32_t outcome = CFileSystem::C_OPEN_FAILED;
    for (uint32_t number = 1; number <= maximumFileNumber; ++number)
    {
        CString candidate = numberedName(name, number);
        FILE* file = CFileSystem::openOwnFile(candidate, true, &outcome);
        if (outcome == CFileSystem::C_OPEN_IN_USE)
            continue;
        m_fileName = candidate;
        m_fileNumber = number;
        m_file = file;
        return file != nullptr;
    }
    return false;
}

bool CLog::reopen(const char* name)
{
    CString composed;
    if (!name)
        composed = composeDefaultLogName();
    else if (strchr(name, '\\') || strchr(name, '/'))
        composed = name;
    else
        composed = composeLogName(name);
    // Resolved before the file lock is taken: a bad name throws, and a throw logs.
    CString resolved = CFileName::toNativeFullPath(composed.c_str());
    bool opened;
    {
        CCriticalSectionLock lock(m_fileLock);
        if (m_file)
        {
            fclose(m_file);
            m_file = nullptr;
        }
        m_fileName = resolved;
        m_fileNumber = 1;
        // Emptied, not deleted, and kept open: the name is held against other
        // instances from now on, and a line that the header's system section
        // logs follows what came before it.
        opened = _openFirstFreeName(resolved);
        if (opened)
        {
            _writeHeader(m_file);
            fflush(m_file);
        }
    }
    _announceFile();
    if (opened && m_fileNumber > 1)
    {
        CString line = "Log file '" + resolved + "' is in use by another instance of the program: this one writes '" +
                       m_fileName + "'\n";
        write(line.c_str(), 2);
    }
    return opened;
}

} // namespace Engine
} // namespace Tavrin
