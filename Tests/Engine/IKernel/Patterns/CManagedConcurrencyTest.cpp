#include "Engine/IKernel/Patterns/CManaged.h"
#include "Engine/IKernel/Patterns/CManagedPtr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;

namespace {

const int C_THREADS = 4;

class CCounted : public CManaged
{
public:
    CCounted(std::atomic<int>* lastReleases, std::atomic<int>* deletions) : m_lastReleases(lastReleases), m_deletions(deletions) {}
    ~CCounted() override { ++*m_deletions; }
    void onLastRelease() override { ++*m_lastReleases; }

private:
    std::atomic<int>* m_lastReleases;
    std::atomic<int>* m_deletions;
};

void _runThreads(void (*body)(int index, void* context), void* context)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < C_THREADS; ++i)
        threads.emplace_back(body, i, context);
    for (std::thread& thread : threads)
        thread.join();
}

TEST(CManagedConcurrencyTest, CountsStayExactUnderContention)
{
    std::atomic<int> lastReleases(0), deletions(0);
    CCounted* object = new CCounted(&lastReleases, &deletions);
    _runThreads(
        [](int, void* context) {
            CCounted* shared = static_cast<CCounted*>(context);
            for (int i = 0; i < 20000; ++i)
            {
                shared->addRef();
                shared->release();
            }
        },
        object);
    EXPECT_EQ(1u, object->getReferenceCount());
    EXPECT_EQ(0, lastReleases.load());
    object->release();
    EXPECT_EQ(1, deletions.load());
}

TEST(CManagedConcurrencyTest, ExactlyOneThreadDestroysTheObject)
{
    for (int round = 0; round < 200; ++round)
    {
        std::atomic<int> lastReleases(0), deletions(0);
        CCounted* object = new CCounted(&lastReleases, &deletions);
        for (int i = 1; i < C_THREADS; ++i)
            object->addRef();
        // Each thread gives up one of the references at the same time.
        _runThreads([](int, void* context) { static_cast<CCounted*>(context)->release(); }, object);
        ASSERT_EQ(1, lastReleases.load());
        ASSERT_EQ(1, deletions.load());
    }
}

TEST(CManagedConcurrencyTest, PointersCopiedOnManyThreads)
{
    std::atomic<int> lastReleases(0), deletions(0);
    CManagedPtr<CCounted> shared = CManagedPtr<CCounted>::adopt(new CCounted(&lastReleases, &deletions));
    _runThreads(
        [](int, void* context) {
            const CManagedPtr<CCounted>& source = *static_cast<CManagedPtr<CCounted>*>(context);
            for (int i = 0; i < 5000; ++i)
            {
                CManagedPtr<CCounted> copy(source);
                CManagedPtr<CManaged> moved(std::move(copy));
                if (copy || !moved)
                    ADD_FAILURE();
            }
        },
        &shared);
    EXPECT_EQ(1u, shared->getReferenceCount());
    shared.reset();
    EXPECT_EQ(1, deletions.load());
}

} // namespace
