#include "Engine/IKernel/CException.h"

#include "Engine/IKernel/CThrowReporter.h"

namespace Tavrin {
namespace Engine {

namespace {

void report(const char* text)
{
    if (CThrowReporter* reporter = CThrowReporter::get())
        reporter->logText(text);
}

} // namespace

CException::CException(const CString& details, const char* file, int32_t line)
    : m_file(file), m_line(line), m_details(details)
{
    // Written while only the base exists, so the description reads "Unknown"
    // whichever subclass is thrown; the logs have always looked this way.
    if (!CThrowReporter::get())
        return;
    CString text;
    text.format("Exception (%s) %s::%d -> %s\n", CException::getDescription(), m_file.c_str(), m_line, m_details.c_str());
    report(text.c_str());
}

CException::CException(const CException& other)
    : m_file(other.m_file), m_line(other.m_line), m_details(other.m_details)
{
}

const char* CException::getDescription() const
{
    return "Unknown";
}

CString CException::buildReport() const
{
    CString lineText;
    lineText.format("%d", m_line);
    return CString("Exception in:\n- File: ") + m_file + "\n- Line: " + lineText + "\n" + getDescription() +
           "\n\nDetails:\n" + m_details;
}

bool CException::display(void* ownerWindow)
{
    CString text = buildReport();
    report("Exception:\n");
    report(text.c_str());
    report("\n");
    CThrowReporter* reporter = CThrowReporter::get();
    return reporter && reporter->showReport(ownerWindow, text.c_str(), buildCaption().c_str());
}

CString CException::buildCaption()
{
    CThrowReporter* reporter = CThrowReporter::get();
    return (reporter ? reporter->getApplicationShortName() : CString()) + ": exception detected";
}

void _prepareThrow()
{
    if (CThrowReporter* reporter = CThrowReporter::get())
        reporter->writeCrashReport();
}

#define TAVRIN_DESCRIBE(Name, text)                 \
    const char* Name::getDescription() const        \
    {                                               \
        return text;                                \
    }

TAVRIN_DESCRIBE(CInvalidArgumentException, "Some function arguments are invalid or out of range")
TAVRIN_DESCRIBE(CInvalidOperationException, "The operation is invalid")
TAVRIN_DESCRIBE(CInternalErrorException, "An internal error has been detected")
TAVRIN_DESCRIBE(CNotFoundException, "A resource or some data is missing or could not be located")
TAVRIN_DESCRIBE(CNotImplementedException, "The operation has not been implemented yet")
TAVRIN_DESCRIBE(CInvalidDataException, "The input data is invalid")
TAVRIN_DESCRIBE(CNotSupportedException, "The operation is not supported by your system/configuration")

#undef TAVRIN_DESCRIBE

} // namespace Engine
} // namespace Tavrin
