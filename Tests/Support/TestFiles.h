#pragma once

#include "Engine/IKernel/System/CSystemServices.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace TavrinTests {

// A fresh folder for one test's files, below the system's temporary folder.
inline std::string makeTestFolder(const char* name)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavrin-tests" / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    // Forward slashes read the same in both builds' reports.
    return folder.generic_string();
}

// A fresh folder of its own under the system's temporary folder, removed
// afterwards; the process id keeps parallel runs apart.
class CTempFolder
{
public:
    CTempFolder()
    {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("tavrin_test_" + std::to_string(processId()) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~CTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    std::string path() const { return m_path.string(); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    static uint32_t processId() { return Tavrin::Engine::CSystemServices::getCurrentProcessId(); }
    std::filesystem::path m_path;
};

// In text mode, as the engine writes its logs and reports: Windows line ends
// read as "\n".
inline std::string readFile(const std::string& path)
{
    std::string text;
    if (FILE* file = fopen(path.c_str(), "r"))
    {
        char buffer[4096];
        size_t count;
        while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
            text.append(buffer, count);
        fclose(file);
    }
    return text;
}

inline void writeFile(const std::string& path, const std::string& text)
{
    if (FILE* file = fopen(path.c_str(), "w"))
    {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

// Lines without their "\n" (a "\r" before it is kept).
inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

inline size_t countOf(const std::string& text, const std::string& needle)
{
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace TavrinTests
