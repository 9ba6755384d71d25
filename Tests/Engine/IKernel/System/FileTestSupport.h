#pragma once

#include "Engine/IKernel/CException.h"
#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/System/CFileSystem.h"
#include "Engine/IKernel/System/CFileUtils.h"
#include "Engine/IKernel/System/CSystemServices.h"
#include "Support/ExpectException.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace FileTestSupport {

using namespace Tavrin::Engine;

using LogCapture = TavrinTests::CLogCapture;

// A test with the standard alias table; test files go to $Cache with names
// that differ between processes (the sanitizer and Wine runs share $Temp).
class AliasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (CFileUtils::hasAliasArray())
            CFileUtils::destroyAliasArray();
        CFileUtils::createAliasArray();
    }
    void TearDown() override
    {
        for (const std::string& path : m_created)
            CFileSystem::removeFile(CFileUtils::resolveAliases(path.c_str()));
        if (CFileUtils::hasAliasArray())
            CFileUtils::destroyAliasArray();
    }
    // "$Cache/<pid>_<name>", removed after the test.
    std::string testPath(const char* name)
    {
        char path[512];
        snprintf(path, sizeof(path), "$Cache/%u_%s", CSystemServices::getCurrentProcessId(), name);
        m_created.push_back(path);
        return path;
    }

private:
    std::vector<std::string> m_created;
};

using TavrinTests::expectException;

} // namespace FileTestSupport
