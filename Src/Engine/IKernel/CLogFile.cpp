#include "Engine/IKernel/CLog.h"

#include "Engine/IKernel/CLogGlobals.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <cstring>

namespace Tavrin {
namespace Engine {

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

CString CLog::errorPhrase(int32_t code)
{
    char* text = CSystemServices::getErrorText(code);
    CString phrase = text ? text : "";
    CSystemServices::freeErrorText(text);
    int32_t length = phrase.getLength();
    while (length > 0 && (phrase[length - 1] == '\n' || phrase[length - 1] == '\r' || phrase[length - 1] == '.'))
        --length;
    return phrase.left(length);
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

// Caller holds the file lock. The first of the numbered names that can be
// opened: two instances never write into one file, and a name that another
// user's file or a folder took only moves the log to the next. Without one,
// the system's error is that of the first name refused for another reason
// than being in use.
bool CLog::_openFirstFreeName(const CString& name)
{
    m_namesInUse = 0;
    int32_t firstError = 0;
    for (uint32_t number = 1; number <= C_MAXIMUM_FILE_NUMBER; ++number)
    {
        CString candidate = numberedName(name, number);
        int32_t outcome = CFileSystem::C_OPEN_FAILED;
        FILE* file = CFileSystem::openOwnFile(candidate, true, &outcome);
        if (file)
        {
            m_fileName = candidate;
            m_fileNumber = number;
            m_file = file;
            return true;
        }
        bool inUse = outcome == CFileSystem::C_OPEN_IN_USE;
        int32_t error = CSystemServices::getLastError();
        m_namesInUse += inUse ? 1 : 0;
        if (!inUse && !firstError)
            firstError = error;
        if (number == 1)
            m_firstRefusal = inUse ? CString() : errorPhrase(error);
    }
    if (firstError)
        CSystemServices::setLastError(firstError);
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
    if (!opened)
        return false;
    _announceFile();
    if (m_fileNumber > 1)
    {
        CString why = m_firstRefusal.isEmpty() ? CString("is in use by another instance of the program")
                                               : "cannot be written (" + m_firstRefusal + ")";
        CString line = "Log file '" + resolved + "' " + why + ": this one writes '" + m_fileName + "'\n";
        write(line.c_str(), 2);
    }
    return true;
}

} // namespace Engine
} // namespace Tavrin
