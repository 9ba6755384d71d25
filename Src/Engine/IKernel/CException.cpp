#include "Engine/IKernel/CException.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/Debug/CStackTrace.h"
#include "Engine/IKernel/IKernel.h"
#include "Engine/IKernel/System/CSystemServices.h"

namespace Tavrin {
namespace Engine {

CException::CException(const CString& details, const char* file, int32_t line)
    : m_file(file), m_line(line), m_details(details)
{
    // Written while only the base exists, so the description reads "Unknown"
    // whichever subclass is thrown; the logs have always looked this way.
    log("Exception (%s) %s::%d -> %s\n", CException::getDescription(), m_file.c_str(), m_line, m_details.c_str());
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
    CString report = buildReport();
    log("Exception:\n");
    // The report may hold '%': never use it as a format.
    log("%s", report.c_str());
    log("\n");
    return showMessageBox(ownerWindow, report.c_str(), buildCaption().c_str());
}

CString CException::buildCaption()
{
    return IKernel::getApplicationShortName() + ": exception detected";
}

void _prepareThrow()
{
    dumpStackTrace();
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
