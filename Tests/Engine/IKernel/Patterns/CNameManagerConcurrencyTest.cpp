#include "Engine/IKernel/Patterns/CNameDictionary.h"
#include "Engine/IKernel/Patterns/CNameManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const int C_THREADS = 4;

class CPayload : public CNamed
{
public:
    static std::atomic<int> s_live;
    CPayload() { ++s_live; }
    ~CPayload() override { --s_live; }
    int m_value = 7;
};
std::atomic<int> CPayload::s_live(0);

std::atomic<int> s_loads(0);

CNamed* _loadPayload(CManaged* /*loader*/, uint32_t nameId, uint64_t /*word*/, uint64_t /*userValue*/)
{
    ++s_loads;
    return createNamed<CPayload>(nameId, internName("Payload")).detach();
}

void _destroyPayload(CNamed* object, uint64_t, uint64_t)
{
    delete object;
}

std::string _caseVariant(const char* text, int variant)
{
    std::string result(text);
    for (size_t i = 0; i < result.size(); ++i)
        if ((i + variant) % 2)
            result[i] = static_cast<char>(toupper(static_cast<unsigned char>(result[i])));
    return result;
}

TEST(CNameManagerConcurrencyTest, InterningAndLookupsFromManyThreads)
{
    const int names = 500;
    std::vector<std::vector<uint32_t>> ids(C_THREADS, std::vector<uint32_t>(names));
    std::vector<std::thread> threads;
    for (int t = 0; t < C_THREADS; ++t)
        threads.emplace_back([t, &ids] {
            char text[32];
            for (int i = 0; i < names; ++i)
            {
                // Every thread interns every name, each in its own letter case.
                snprintf(text, sizeof(text), "concurrent_name_%d", (i + t * 37) % names);
                uint32_t id = internName(_caseVariant(text, t).c_str());
                ids[t][(i + t * 37) % names] = id;
                CString stored = nameText(id);
                if (stored.toLower() != CString(text))
                    ADD_FAILURE() << stored.c_str() << " for " << text;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < names; ++i)
        for (int t = 1; t < C_THREADS; ++t)
            ASSERT_EQ(ids[0][i], ids[t][i]);
}

TEST(CNameManagerConcurrencyTest, LookupsWhileObjectsComeAndGo)
{
    CNameManager::install();
    uint32_t name = internName("ChurningObject");
    uint32_t type = internName("Payload");
    std::atomic<bool> stop(false);
    std::atomic<int> found(0);
    std::vector<std::thread> readers;
    for (int t = 0; t < C_THREADS - 1; ++t)
        readers.emplace_back([&] {
            while (!stop)
            {
                CManagedPtr<CNamed> object = CNameManager::getNamed(name);
                if (!object)
                    continue;
                // A found object is whole and stays alive while held.
                if (static_cast<CPayload*>(object.get())->m_value != 7 || object->getNameId() != name)
                    ADD_FAILURE();
                ++found;
            }
        });
    for (int i = 0; i < 3000; ++i)
        createNamed<CPayload>(name, type);
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(0, CPayload::s_live.load());
    EXPECT_FALSE(CNameManager::isNameUsed(name));
    CNameManager::uninstall();
}

// Loads asked for on other threads wait until the render thread runs them;
// all the threads asking for one name share one load.
TEST(CNameManagerConcurrencyTest, QueuedLoadsRunOnlyOnTheRenderThread)
{
    CNameManager::install();
    s_loads = 0;
    uint32_t type = internName("Payload");
    STypeDescriptor descriptor = {_loadPayload, nullptr, _destroyPayload, nullptr, 0};
    CNameManager::registerType(type, descriptor);
    uint32_t name = internName("QueuedPayload");
    CNameManager::registerIOContext(name, type, nullptr, 5);

    std::atomic<int> done(0);
    std::vector<CManagedPtr<CNamed>> results(C_THREADS - 1);
    std::vector<std::thread> workers;
    for (int t = 0; t < C_THREADS - 1; ++t)
        workers.emplace_back([&, t] {
            // Not the render thread: working off the queue is refused.
            if (CNameManager::processLoadQueue() != 0)
                ADD_FAILURE();
            results[t] = CNameManager::loadNamed(name);
            ++done;
        });
    // Nothing loads until the render thread works the queue off.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(0, s_loads.load());
    EXPECT_EQ(0, done.load());
    uint32_t processed = 0;
    while (done < C_THREADS - 1)
    {
        processed += CNameManager::processLoadQueue();
        std::this_thread::yield();
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(1u, processed);
    EXPECT_EQ(1, s_loads.load());
    for (const CManagedPtr<CNamed>& result : results)
    {
        ASSERT_TRUE(result);
        EXPECT_EQ(results[0], result);
    }
    EXPECT_EQ(uint32_t(C_THREADS - 1), results[0]->getReferenceCount());
    results.clear();
    EXPECT_EQ(0, CPayload::s_live.load());
    CNameManager::uninstall();
}

// Uninstalling wakes the threads whose loads were still queued.
TEST(CNameManagerConcurrencyTest, UninstallCancelsQueuedLoads)
{
    CNameManager::install();
    s_loads = 0;
    uint32_t type = internName("Payload");
    STypeDescriptor descriptor = {_loadPayload, nullptr, _destroyPayload, nullptr, 0};
    CNameManager::registerType(type, descriptor);
    uint32_t name = internName("CancelledPayload");
    CNameManager::registerIOContext(name, type, nullptr, 0);
    std::atomic<bool> gotNothing(false);
    std::thread worker([&] { gotNothing = !CNameManager::loadNamed(name); });
    // Wait until the request is queued (the record then has a pending load).
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    CNameManager::uninstall();
    worker.join();
    EXPECT_TRUE(gotNothing.load());
    EXPECT_EQ(0, s_loads.load());
}

} // namespace
