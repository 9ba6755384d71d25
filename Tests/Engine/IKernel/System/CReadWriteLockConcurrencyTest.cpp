#include "Engine/IKernel/System/CReadWriteLock.h"

#include "Engine/IKernel/System/CFallbackReadWriteLock.h"
#include "Engine/IKernel/System/SyncTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace Tavrin::Engine;
using SyncTest::CTestCounter;

namespace {

// The fallback lock shows its counters, so a test knows exactly when a
// thread is blocked in it.
struct SFallbackLock
{
    CFallbackReadWriteLock lock;
    static const int C_ATTEMPTS = 1;

    bool waitUntilBlocked(uint32_t writers, uint32_t readers, int)
    {
        return SyncTest::waitUntil(
            [&] { return lock.getWritersWaiting() == writers && lock.getReadersWaiting() == readers; });
    }
    bool isWriterHolding() { return lock.getState() == CFallbackReadWriteLock::C_WRITER_STATE; }
};

// The system's lock shows nothing: a thread that announced itself is given
// a grace period to block, longer at each new attempt of a scenario whose
// threads came in the wrong order.
template <bool FORCE_FALLBACK>
struct SEngineLock
{
    CReadWriteLock lock{FORCE_FALLBACK};
    static const int C_ATTEMPTS = 6;

    bool waitUntilBlocked(uint32_t, uint32_t, int attempt)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20 << attempt));
        return true;
    }
    bool isWriterHolding() { return true; }
};

typedef SEngineLock<false> SSlimLock;
typedef SEngineLock<true> SForcedFallbackLock;

// A thread that takes the lock, records when, and holds it until released.
template <class TLock>
class CHolder
{
public:
    CHolder(TLock& subject, bool exclusive, std::atomic<int>& clock)
        : m_subject(subject), m_exclusive(exclusive), m_clock(clock), m_thread([this] { _body(); })
    {
    }
    ~CHolder()
    {
        release();
        m_thread.join();
    }

    bool hasLock() { return acquired.get() > 0; }
    bool waitForLock() { return acquired.waitForAtLeast(1); }
    void release() { m_release.increment(); }
    int order() const { return m_order; }

    CTestCounter announced;
    CTestCounter acquired;

private:
    void _body()
    {
        announced.increment();
        if (m_exclusive)
            m_subject.lock.lockExclusive();
        else
            m_subject.lock.lockShared();
        m_order = ++m_clock;
        acquired.increment();
        SYNC_REQUIRE(m_release.waitForAtLeast(1));
        if (m_exclusive)
            m_subject.lock.unlockExclusive();
        else
            m_subject.lock.unlockShared();
    }

    TLock& m_subject;
    bool m_exclusive;
    std::atomic<int>& m_clock;
    int m_order = 0;
    CTestCounter m_release;
    std::thread m_thread;
};

// Short wait that lets a thread which should stay blocked go wrong visibly.
void settle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

template <class TLock>
class CReadWriteLockConcurrency : public testing::Test
{
};

typedef testing::Types<SFallbackLock, SSlimLock, SForcedFallbackLock> TLockKinds;
TYPED_TEST_SUITE(CReadWriteLockConcurrency, TLockKinds);

} // namespace

TEST(CReadWriteLockKind, ForcedFallbackIsChosenOnEveryPlatform)
{
    CReadWriteLock slim;
    CReadWriteLock fallback(true);
    EXPECT_FALSE(slim.isFallback());
    EXPECT_TRUE(fallback.isFallback());
}

TYPED_TEST(CReadWriteLockConcurrency, ReadersShareAndAWriterWaitsForAllOfThem)
{
    TypeParam subject;
    std::atomic<int> clock{0};
    subject.lock.lockShared();
    CHolder<TypeParam> secondReader(subject, false, clock);
    SYNC_REQUIRE(secondReader.waitForLock());

    CHolder<TypeParam> writer(subject, true, clock);
    SYNC_REQUIRE(writer.announced.waitForAtLeast(1));
    SYNC_REQUIRE(subject.waitUntilBlocked(1, 0, TypeParam::C_ATTEMPTS - 1));
    EXPECT_FALSE(writer.hasLock());

    subject.lock.unlockShared();
    settle();
    EXPECT_FALSE(writer.hasLock());

    secondReader.release();
    SYNC_REQUIRE(writer.waitForLock());
    EXPECT_TRUE(subject.isWriterHolding());
    writer.release();
}

TYPED_TEST(CReadWriteLockConcurrency, ReaderArrivingAfterAWaitingWriterWaitsForIt)
{
    for (int attempt = 0; attempt < TypeParam::C_ATTEMPTS; ++attempt)
    {
        TypeParam subject;
        std::atomic<int> clock{0};
        subject.lock.lockShared();
        CHolder<TypeParam> writer(subject, true, clock);
        SYNC_REQUIRE(writer.announced.waitForAtLeast(1));
        SYNC_REQUIRE(subject.waitUntilBlocked(1, 0, attempt));

        CHolder<TypeParam> lateReader(subject, false, clock);
        SYNC_REQUIRE(lateReader.announced.waitForAtLeast(1));
        SYNC_REQUIRE(subject.waitUntilBlocked(1, 1, attempt));
        bool readerSlippedIn = lateReader.hasLock();
        subject.lock.unlockShared();
        SYNC_REQUIRE(writer.waitForLock());
        if (readerSlippedIn && attempt + 1 < TypeParam::C_ATTEMPTS)
            continue; // the writer may not have been blocked yet: again, slower
        EXPECT_FALSE(readerSlippedIn);

        settle();
        EXPECT_FALSE(lateReader.hasLock());
        writer.release();
        SYNC_REQUIRE(lateReader.waitForLock());
        EXPECT_LT(writer.order(), lateReader.order());
        return;
    }
}

TYPED_TEST(CReadWriteLockConcurrency, UnlockExclusiveHandsOverToAWaitingWriterBeforeReaders)
{
    for (int attempt = 0; attempt < TypeParam::C_ATTEMPTS; ++attempt)
    {
        TypeParam subject;
        std::atomic<int> clock{0};
        subject.lock.lockExclusive();
        CHolder<TypeParam> writer(subject, true, clock);
        SYNC_REQUIRE(writer.announced.waitForAtLeast(1));
        SYNC_REQUIRE(subject.waitUntilBlocked(1, 0, attempt));
        CHolder<TypeParam> reader(subject, false, clock);
        SYNC_REQUIRE(reader.announced.waitForAtLeast(1));
        SYNC_REQUIRE(subject.waitUntilBlocked(1, 1, attempt));
        EXPECT_FALSE(writer.hasLock());
        EXPECT_FALSE(reader.hasLock());

        subject.lock.unlockExclusive();
        SYNC_REQUIRE(writer.waitForLock() || reader.waitForLock());
        bool readerFirst = reader.hasLock() && !writer.hasLock();
        if (readerFirst && attempt + 1 < TypeParam::C_ATTEMPTS)
            continue;
        EXPECT_FALSE(readerFirst);
        SYNC_REQUIRE(writer.waitForLock());
        EXPECT_TRUE(subject.isWriterHolding());
        settle();
        EXPECT_FALSE(reader.hasLock());
        writer.release();
        SYNC_REQUIRE(reader.waitForLock());
        EXPECT_LT(writer.order(), reader.order());
        return;
    }
}

TYPED_TEST(CReadWriteLockConcurrency, WritersQueueBehindEachOther)
{
    TypeParam subject;
    std::atomic<int> clock{0};
    subject.lock.lockExclusive();
    CHolder<TypeParam> first(subject, true, clock);
    CHolder<TypeParam> second(subject, true, clock);
    SYNC_REQUIRE(subject.waitUntilBlocked(2, 0, TypeParam::C_ATTEMPTS - 1));
    subject.lock.unlockExclusive();
    SYNC_REQUIRE(SyncTest::waitUntil([&] { return first.hasLock() || second.hasLock(); }));
    settle();
    // Exactly one of them holds it; the other follows once it is released.
    CHolder<TypeParam>& owner = first.hasLock() ? first : second;
    CHolder<TypeParam>& next = first.hasLock() ? second : first;
    EXPECT_FALSE(next.hasLock());
    owner.release();
    SYNC_REQUIRE(next.waitForLock());
    next.release();
}

// Readers and writers hammer the lock; every holder checks who else is
// inside, and the data that writers change is plain memory that the race
// detector watches.
TYPED_TEST(CReadWriteLockConcurrency, StressKeepsWritersAlone)
{
    const int C_THREADS = 4;
    const int C_ROUNDS = 4000;
    TypeParam subject;
    std::atomic<int> readersInside{0};
    std::atomic<int> writersInside{0};
    std::atomic<int> violations{0};
    std::atomic<int> mostReadersTogether{0};
    uint64_t guarded[2] = {0, 0};
    CTestCounter ready;
    CTestCounter done;
    std::vector<std::thread> threads;
    for (int t = 0; t < C_THREADS; ++t)
        threads.emplace_back([&, t] {
            // All start together, so that they meet in the lock.
            ready.increment();
            SYNC_REQUIRE(ready.waitForAtLeast(C_THREADS));
            for (int round = 0; round < C_ROUNDS; ++round)
            {
                if ((round + t) % 4 == 0)
                {
                    subject.lock.lockExclusive();
                    if (writersInside.fetch_add(1) != 0 || readersInside.load() != 0)
                        ++violations;
                    guarded[0]++;
                    // Give the others a chance to meet this holder inside.
                    if (round % 16 == 0)
                        std::this_thread::yield();
                    guarded[1] = guarded[0] * 3;
                    writersInside.fetch_sub(1);
                    subject.lock.unlockExclusive();
                }
                else
                {
                    subject.lock.lockShared();
                    int inside = readersInside.fetch_add(1) + 1;
                    int most = mostReadersTogether.load();
                    while (inside > most && !mostReadersTogether.compare_exchange_weak(most, inside))
                    {
                    }
                    if (round % 16 == 1)
                        std::this_thread::yield();
                    if (writersInside.load() != 0 || guarded[1] != guarded[0] * 3)
                        ++violations;
                    readersInside.fetch_sub(1);
                    subject.lock.unlockShared();
                }
            }
            done.increment();
        });
    SYNC_REQUIRE(done.waitForAtLeast(C_THREADS, 120000));
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(violations.load(), 0);
    EXPECT_EQ(guarded[0], static_cast<uint64_t>(C_THREADS * C_ROUNDS / 4));
    EXPECT_GE(mostReadersTogether.load(), 1);
}

// Waiting readers let in by a writer's release must all get in, even when
// one of them comes and goes before another has gone back to its wait.
TYPED_TEST(CReadWriteLockConcurrency, ReleasedReadersAllGetIn)
{
    const int C_READERS = 3;
    for (int round = 0; round < 200; ++round)
    {
        TypeParam subject;
        CTestCounter through;
        subject.lock.lockExclusive();
        std::vector<std::thread> readers;
        for (int i = 0; i < C_READERS; ++i)
            readers.emplace_back([&] {
                subject.lock.lockShared();
                subject.lock.unlockShared();
                through.increment();
            });
        if (round % 2 == 0)
            std::this_thread::yield();
        subject.lock.unlockExclusive();
        SYNC_REQUIRE(through.waitForAtLeast(C_READERS));
        for (std::thread& reader : readers)
            reader.join();
    }
}
