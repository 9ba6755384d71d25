#pragma once

#include "Engine/IKernel/Types/CString.h"

#include <cstdint>

namespace Tavrin {
namespace Engine {

// Base of every error the engine throws: the throw site's engine file and line
// plus a detail text ending in "\n". Constructing one writes its log line.
class CException
{
public:
    CException(const CString& details, const char* file, int32_t line);
    CException(const CException& other);
    CException& operator=(const CException& other) = default;
    // Not virtual: exceptions are never deleted through a base pointer.
    ~CException() = default;

    // Logs the report and shows it in a message box; true when confirmed with OK.
    virtual bool display(void* ownerWindow);
    virtual const char* getDescription() const;

    const CString& getFile() const { return m_file; }
    int32_t getLine() const { return m_line; }
    const CString& getDetails() const { return m_details; }
    // The text that display shows and logs.
    CString buildReport() const;
    // The message box caption: the application's short name and ": exception detected".
    static CString buildCaption();

private:
    CString m_file;
    int32_t m_line;
    CString m_details;
};

#define TAVRIN_DECLARE_EXCEPTION(Name)                                                        \
    class Name final : public CException                                                      \
    {                                                                                         \
    public:                                                                                   \
        Name(const CString& details, const char* file, int32_t line) : CException(details, file, line) {} \
        Name(const Name& other) = default;                                                    \
        Name& operator=(const Name& other) = default;                                         \
        const char* getDescription() const override;                                          \
    }

TAVRIN_DECLARE_EXCEPTION(CInvalidArgumentException);
TAVRIN_DECLARE_EXCEPTION(CInvalidOperationException);
TAVRIN_DECLARE_EXCEPTION(CInternalErrorException);
TAVRIN_DECLARE_EXCEPTION(CNotFoundException);
TAVRIN_DECLARE_EXCEPTION(CNotImplementedException);
TAVRIN_DECLARE_EXCEPTION(CInvalidDataException);
TAVRIN_DECLARE_EXCEPTION(CNotSupportedException);

#undef TAVRIN_DECLARE_EXCEPTION

// First step of every throw: the crash report of the current stack.
void _prepareThrow();

} // namespace Engine
} // namespace Tavrin

// Throws ExceptionClass after writing the crash report. `file` is the engine
// path of the site ("Engine/IKernel/Types/CString"), `line` the line that the
// engine's logs have always given for it. Safe after an unbraced if.
#define TAVRIN_THROW_AT(ExceptionClass, details, file, line)                                    \
    do                                                                                          \
    {                                                                                           \
        ::Tavrin::Engine::_prepareThrow();                                                      \
        throw ::Tavrin::Engine::ExceptionClass(::Tavrin::Engine::CString(details), file, line); \
    } while (0)

// For sites without a historical line: the real one.
#define TAVRIN_THROW(ExceptionClass, details, file) TAVRIN_THROW_AT(ExceptionClass, details, file, __LINE__)
