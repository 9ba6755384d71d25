// Path aliases and file names from arbitrary text: resolution ends, and a
// file name that is built holds together.
#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/System/CFileName.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <string>

using namespace Tavrin::Engine;

namespace {

// The standard table, put back after every input.
CArray<_SPathAlias>* standardAliases = nullptr;

void restoreAliases()
{
    while (CFileUtils::getAliasArray()->getCount())
        CFileUtils::removeAlias((*CFileUtils::getAliasArray())[0].name);
    for (const _SPathAlias& alias : *standardAliases)
        CFileUtils::addAlias(alias.name, alias.path);
}

// Input: up to four lines "name=path" that add aliases, then the path itself.
void addAliases(std::string& text)
{
    for (int line = 0; line < 4; ++line)
    {
        size_t end = text.find('\n');
        size_t equals = text.find('=');
        if (end == std::string::npos || equals == std::string::npos || equals > end)
            return;
        CString name(text.substr(0, equals).c_str());
        CString path(text.substr(equals + 1, end - equals - 1).c_str());
        text.erase(0, end + 1);
        try
        {
            CFileUtils::addAlias(name, path);
        }
        catch (const CException&)
        {
            // Refused names and paths are part of the game.
        }
    }
}

void checkFileName(const CString& path)
{
    CFileName name(path);
    const CString& full = name.getFullPath();
    FUZZ_CHECK(full.find("/") < 0);
    FUZZ_CHECK(name.getDirectory().getLength() > 0);
    FUZZ_CHECK(name.getDirectory()[name.getDirectory().getLength() - 1] == '\\');
    FUZZ_CHECK(name.getDirectory() + name.getFileName() == full);
    CString rebuilt = name.getExtension().isEmpty() && name.getFileName().find(".") < 0
                          ? name.getBaseName()
                          : name.getBaseName() + "." + name.getExtension();
    FUZZ_CHECK(rebuilt == name.getFileName());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tavrinFuzzSetUp();
    CFileUtils::createAliasArray();
    standardAliases = new CArray<_SPathAlias>(*CFileUtils::getAliasArray());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Text ends at its first zero byte, as a CString does.
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();
    addAliases(text);
    CString path(text.c_str());
    CFileUtils::resolveAliases(path);
    try
    {
        CString full = CFileUtils::fullPath(path);
        FUZZ_CHECK(full.getLength() == 0 || full[full.getLength() - 1] != '/');
    }
    catch (const CException&)
    {
    }
    try
    {
        checkFileName(path);
    }
    catch (const CException&)
    {
    }
    restoreAliases();
    return 0;
}
