// Name lookups against the bare work they wrap: the ratio is the price of the
// dictionary's and the name table's locks and probes.
#include "Engine/IKernel/Maths/Hash.h"
#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"

#include <benchmark/benchmark.h>

using namespace Tavrin::Engine;

namespace {

const CString s_name("leftctrl");

void BM_HashNameBaseline(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(hashName(s_name));
}
BENCHMARK(BM_HashNameBaseline);

// A name already in the dictionary: hash plus one shared-lock probe.
void BM_InternKnownName(benchmark::State& state)
{
    internName(s_name);
    for (auto _ : state)
        benchmark::DoNotOptimize(internName(s_name));
}
BENCHMARK(BM_InternKnownName);

void BM_StringCopyBaseline(benchmark::State& state)
{
    for (auto _ : state)
    {
        CString copy(s_name);
        benchmark::DoNotOptimize(copy.getData());
    }
}
BENCHMARK(BM_StringCopyBaseline);

void BM_NameText(benchmark::State& state)
{
    uint32_t id = internName(s_name);
    for (auto _ : state)
    {
        CString text = nameText(id);
        benchmark::DoNotOptimize(text.getData());
    }
}
BENCHMARK(BM_NameText);

void BM_ManagedPtrCopyBaseline(benchmark::State& state)
{
    CManagedPtr<CNamed> object = CManagedPtr<CNamed>::adopt(new CNamed());
    for (auto _ : state)
    {
        CManagedPtr<CNamed> copy(object);
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_ManagedPtrCopyBaseline);

void BM_GetNamed(benchmark::State& state)
{
    CNameManager::install();
    {
        CManagedPtr<CNamed> object = createNamed<CNamed>(internName("benchmarkObject"), 0);
        uint32_t id = object->getNameId();
        for (auto _ : state)
        {
            CManagedPtr<CNamed> found = CNameManager::getNamed(id);
            benchmark::DoNotOptimize(found.get());
        }
    }
    CNameManager::uninstall();
}
BENCHMARK(BM_GetNamed);

} // namespace
