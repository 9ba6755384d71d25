#include "Engine/IKernel/System/CCpuClockCache.h"

#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CSystemServices.h"

#include <cstdio>
#include <cstring>

namespace Tavrin {
namespace Engine {

namespace {

// Ours is a few dozen bytes; anything longer is not ours.
const size_t C_MAXIMUM_FILE_BYTES = 256;

// The figure filling `text` exactly, up to its line end; 0 when there is none
// or it is no clock (truncated, garbage, 0, absurd).
uint32_t parseFigure(const char* text)
{
    uint32_t value = 0;
    const char* digit = text;
    for (; *digit >= '0' && *digit <= '9'; ++digit)
    {
        value = value * 10 + static_cast<uint32_t>(*digit - '0');
        if (value > CCpuClockCache::C_MAXIMUM_MHZ)
            return 0;
    }
    return digit != text && strcmp(digit, "\n") == 0 ? value : 0;
}

// A boot identity that fits on its line.
bool isPrintable(const CString& text)
{
    for (int32_t i = 0; i < text.getLength(); ++i)
        if (static_cast<unsigned char>(text[i]) < ' ')
            return false;
    return true;
}

} // namespace

CCpuClockCache::CCpuClockCache(const CString& path, const CString& bootIdentity, uint64_t counterFrequency)
    : m_path(path), m_bootIdentity(bootIdentity), m_counterFrequency(counterFrequency)
{
}

bool CCpuClockCache::_isUsable() const
{
    return !m_path.isEmpty() && !m_bootIdentity.isEmpty() && isPrintable(m_bootIdentity) && m_counterFrequency != 0;
}

CString CCpuClockCache::_header() const
{
    CString header;
    header.format("boot %s\nfrequency %llu\nmhz ", m_bootIdentity.c_str(),
                  static_cast<unsigned long long>(m_counterFrequency));
    return header;
}

uint32_t CCpuClockCache::read() const
{
    if (!_isUsable())
        return 0;
    // The cache folder may be shared with other users: only our own file counts.
    FILE* file = CFileSystem::openOwnFileToRead(m_path);
    if (!file)
        return 0;
    char text[C_MAXIMUM_FILE_BYTES + 1];
    size_t length = fread(text, 1, C_MAXIMUM_FILE_BYTES, file);
    bool complete = length < C_MAXIMUM_FILE_BYTES && !ferror(file);
    fclose(file);
    text[length] = '\0';
    CString header = _header();
    size_t headerLength = static_cast<size_t>(header.getLength());
    if (!complete || length < headerLength || memcmp(text, header.c_str(), headerLength) != 0)
        return 0;
    return parseFigure(text + headerLength);
}

bool CCpuClockCache::store(uint32_t mhz) const
{
    if (!_isUsable() || mhz == 0 || mhz > C_MAXIMUM_MHZ)
        return false;
    // One name per process: two writers on one temporary file could rename
    // each other's half-written text into place.
    CString temporary;
    temporary.format("%s.%u.tmp", m_path.c_str(), CSystemServices::getCurrentProcessId());
    int32_t outcome = CFileSystem::C_OPEN_FAILED;
    FILE* file = CFileSystem::openOwnFile(temporary, true, &outcome);
    if (!file)
        return false;
    bool written = fprintf(file, "%s%u\n", _header().c_str(), mhz) > 0;
    written = fclose(file) == 0 && written;
    if (written && CFileSystem::replaceFile(temporary, m_path))
        return true;
    CFileSystem::removeFile(temporary);
    return false;
}

} // namespace Engine
} // namespace Tavrin
