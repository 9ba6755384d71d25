#include "Tools/Keyscout/CConsoleFrontEnd.h"

void CConsoleFrontEnd::onDetectionFinished(const Tavrin::Engine::CString& result)
{
    fprintf(m_output, "%s\n", result.c_str());
    // A reader at the other end of a pipe wants each line as it comes.
    fflush(m_output);
}
