#include "Tools/Keyscout/CConsoleFrontEnd.h"

#include <cerrno>

int CConsoleFrontEnd::s_firstWriteError = 0;

void CConsoleFrontEnd::onDetectionFinished(const Tavrin::Engine::CString& result)
{
    fprintf(m_output, "%s\n", result.c_str());
    // A reader at the other end of a pipe wants each line as it comes.
    if (fflush(m_output) != 0 && s_firstWriteError == 0)
        s_firstWriteError = errno;
}
