#include "Engine/IKernel/System/CProfiler.h"

namespace Tavrin {
namespace Engine {

CArray<_SProfileChunk*>* CProfiler::s_chunks = nullptr;
CArray<CProfileListener*>* CProfiler::s_listeners = nullptr;

void CProfiler::createLists()
{
    s_chunks = new CArray<_SProfileChunk*>();
    s_listeners = new CArray<CProfileListener*>();
}

void CProfiler::destroyLists()
{
    delete s_chunks;
    delete s_listeners;
    s_chunks = nullptr;
    s_listeners = nullptr;
}

} // namespace Engine
} // namespace Tavrin
