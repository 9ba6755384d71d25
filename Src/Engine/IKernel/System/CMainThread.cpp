#include "Engine/IKernel/System/CMainThread.h"

namespace Tavrin {
namespace Engine {

CMainThread* CMainThread::s_mainThread = nullptr;

CMainThread::CMainThread()
{
    m_handle = _duplicateCurrentThread();
}

CMainThread::~CMainThread()
{
    if (s_mainThread == this)
        s_mainThread = nullptr;
}

} // namespace Engine
} // namespace Tavrin
