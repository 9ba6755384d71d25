#include "Engine/IKernel/Patterns/CObservable.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Tavrin::Engine;

namespace {

struct SCall
{
    int observer;
    CObservable* source;
    uint64_t event;
    bool operator==(const SCall& other) const
    {
        return observer == other.observer && source == other.source && event == other.event;
    }
};

class CRecorder : public CObserver
{
public:
    CRecorder(int id, std::vector<SCall>* calls) : m_id(id), m_calls(calls) {}
    void onNotify(CObservable* source, uint64_t event) override
    {
        m_calls->push_back({m_id, source, event});
        if (m_onNotify)
            m_onNotify(source);
    }
    void (*m_onNotify)(CObservable*) = nullptr;

private:
    int m_id;
    std::vector<SCall>* m_calls;
};

TEST(CObservableTest, ForwardsEventsInRegistrationOrder)
{
    std::vector<SCall> calls;
    CObservable subject;
    subject.notify(1);  // no observers yet
    CRecorder first(1, &calls), second(2, &calls);
    subject.addObserver(&first);
    subject.addObserver(&second);
    subject.notify(0x1234567890ull);
    EXPECT_EQ((std::vector<SCall>{{1, &subject, 0x1234567890ull}, {2, &subject, 0x1234567890ull}}), calls);

    calls.clear();
    subject.removeObserver(&first);
    subject.notify(7);
    EXPECT_EQ((std::vector<SCall>{{2, &subject, 7}}), calls);
    EXPECT_EQ(1u, subject.getObserverCount());
}

// The count is read again after each call, so observers added meanwhile are
// reached and removed ones are not.
TEST(CObservableTest, ObserversMayChangeTheListWhileNotified)
{
    static std::vector<SCall> calls;
    static CRecorder late(3, &calls);
    static CRecorder removed(2, &calls);
    calls.clear();
    CObservable subject;
    CRecorder changer(1, &calls);
    changer.m_onNotify = [](CObservable* source) {
        source->removeObserver(&removed);
        source->addObserver(&late);
    };
    subject.addObserver(&changer);
    subject.addObserver(&removed);
    subject.notify(5);
    EXPECT_EQ((std::vector<SCall>{{1, &subject, 5}, {3, &subject, 5}}), calls);
}

} // namespace
