#include "Engine/IRenderer/CNullWindow.h"
#include "Engine/IRenderer/CWindow.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IRenderer/RendererTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

const char* const C_WINDOW_SOURCE = "Engine/IRenderer/Windows/CWindow";

typedef CManagedPtr<CWindow> TWindowPtr;
typedef CManagedPtr<CTraceListener> TListenerPtr;

TWindowPtr newWindow(uint32_t flags = 0)
{
    return TWindowPtr::adopt(new CNullWindow("Test", nullptr, 320, 100, flags));
}

TListenerPtr newListener(TTrace& trace, const char* name)
{
    return TListenerPtr::adopt(new CTraceListener(trace, name));
}

SWindowEvent keyEvent(uint32_t code)
{
    SWindowEvent event;
    event.code = code;
    return event;
}

// Receives onChar's copy of the event through the observer channel.
class CCharObserver : public CObserver
{
public:
    CCharObserver(TTrace& trace, const SWindowEvent* original) : m_trace(trace), m_original(original) {}
    void onNotify(CObservable*, uint64_t event) override
    {
        const SWindowEvent* copy = reinterpret_cast<const SWindowEvent*>(static_cast<uintptr_t>(event));
        m_trace.push_back("observer " + std::to_string(copy->code) + (copy == m_original ? " same" : " copy"));
    }

private:
    TTrace& m_trace;
    const SWindowEvent* m_original;
};

// Unregisters itself from the window on its first key-down.
class CSelfRemovingListener : public CWindowEventListener
{
public:
    explicit CSelfRemovingListener(TTrace& trace) : m_trace(trace) {}
    ~CSelfRemovingListener() override { m_trace.push_back("deleted"); }
    void onKeyDown(CWindow* window, const SWindowEvent&) override
    {
        window->removeListener(this);
        m_trace.push_back("removed itself");
    }

private:
    TTrace& m_trace;
};

} // namespace

TEST(CWindowTest, EveryEventReachesListenersInRegistrationOrder)
{
    struct SCase
    {
        std::function<void(CWindow&)> raise;
        std::string expected;
    };
    const SCase cases[] = {
        {[](CWindow& w) { w.onMove(-5, 7); }, "move -5,7"},
        {[](CWindow& w) { w.onResize(640, 480); }, "resize 640,480"},
        {[](CWindow& w) { w.onChar(keyEvent('q')); }, "char 101:113:"},
        {[](CWindow& w) { w.onKeyDown(keyEvent(162)); }, "keydown 101:162:"},
        {[](CWindow& w) { w.onKeyUp(keyEvent(162)); }, "keyup 101:162:"},
        {[](CWindow& w) { w.onMouseWheel(-2.0f); }, "wheel -2.000000"},
        {[](CWindow& w) { w.onMouseMove(65535, 3); }, "mousemove 65535,3"},
        {[](CWindow& w) { w.onMouseButtonDown(5, 1, 2); }, "buttondown 5 1,2"},
        {[](CWindow& w) { w.onMouseButtonUp(5, 3, 4); }, "buttonup 5 3,4"},
        {[](CWindow& w) { w.onFocusGained(); }, "focusgained"},
        {[](CWindow& w) { w.onFocusLost(); }, "focuslost"},
        {[](CWindow& w) { w.onSetCursor(); }, "setcursor"},
    };
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr first = newListener(trace, "first");
    TListenerPtr second = newListener(trace, "second");
    window->addListener(second.get());
    window->addListener(first.get());
    for (const SCase& testCase : cases)
    {
        trace.clear();
        testCase.raise(*window);
        EXPECT_EQ(trace, (TTrace{"second " + testCase.expected, "first " + testCase.expected})) << testCase.expected;
    }
}

// A release that happens while another window has the focus, or after this
// one is gone, never reaches the listeners: the window reports it itself.
TEST(CWindowTest, FocusLossAndDestructionReleaseWhatIsHeld)
{
    TTrace trace;
    TListenerPtr listener = newListener(trace, "");
    TWindowPtr window = newWindow();
    window->addListener(listener.get());
    window->onKeyDown(keyEvent(65));
    window->onKeyDown(keyEvent(65));
    window->onKeyDown(keyEvent(163));
    window->onKeyUp(keyEvent(163));
    window->onMouseButtonDown(4, 7, 8);
    window->onMouseButtonDown(6, 7, 8);
    trace.clear();
    window->onFocusLost();
    EXPECT_EQ(trace, (TTrace{"buttonup 4 0,0", "buttonup 6 0,0", "keyup 101:65:", "focuslost"}));

    // Released once: a second focus loss has nothing left to let go.
    trace.clear();
    window->onFocusLost();
    EXPECT_EQ(trace, (TTrace{"focuslost"}));

    window->onKeyDown(keyEvent(261));
    trace.clear();
    window.reset();
    EXPECT_EQ(trace, (TTrace{"keyup 101:261:"}));
}

namespace {

// Pumps the window or throws from every key release it is told of.
class CCarelessListener : public CWindowEventListener
{
public:
    explicit CCarelessListener(bool throws) : m_throws(throws) {}
    void onKeyUp(CWindow* window, const SWindowEvent&) override
    {
        ++m_releases;
        if (m_throws)
            TAVRIN_THROW(CInvalidOperationException, "Listener failure\n", "Engine/IRenderer/CWindowTest");
        window->processMessages();
    }
    bool m_throws;
    int m_releases = 0;
};

} // namespace

// The releases that a dying window reports reach a whole window, and what a
// listener throws stops there: either fault would end the process.
TEST(CWindowDeathTest, DestructionReleasesHeldKeysSafelyForListenersThatPumpOrThrow)
{
    EXPECT_EXIT(
        {
            CLogCapture capture;
            CManagedPtr<CCarelessListener> pumping = CManagedPtr<CCarelessListener>::adopt(new CCarelessListener(false));
            CManagedPtr<CCarelessListener> throwing = CManagedPtr<CCarelessListener>::adopt(new CCarelessListener(true));
            TWindowPtr window = newWindow();
            window->addListener(pumping.get());
            window->addListener(throwing.get());
            window->onKeyDown(keyEvent(65));
            window.reset();
            const std::vector<std::string>& lines = CLogCapture::lines();
            bool logged = std::find(lines.begin(), lines.end(),
                                    "Error: exception while releasing the input held by a closing window; ignored\n") != lines.end();
            std::exit(pumping->m_releases == 1 && throwing->m_releases == 1 && logged ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(CWindowTest, EventsUpdateTheWindowState)
{
    TWindowPtr window = newWindow();
    window->onMove(12, -3);
    window->onResize(200, 150);
    EXPECT_EQ(window->getX(), 12);
    EXPECT_EQ(window->getY(), -3);
    EXPECT_EQ(window->getWidth(), 200u);
    EXPECT_EQ(window->getHeight(), 150u);
    EXPECT_FALSE(window->isFocused());
    window->onFocusGained();
    EXPECT_TRUE(window->isFocused());
    window->onFocusLost();
    EXPECT_FALSE(window->isFocused());
}

TEST(CWindowTest, DuplicateRegistrationIsCalledTwiceAndRemovedOnce)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr listener = newListener(trace, "");
    window->addListener(listener.get());
    window->addListener(listener.get());
    EXPECT_EQ(listener->getReferenceCount(), 3u);
    window->onKeyDown(keyEvent(65));
    EXPECT_EQ(trace, (TTrace{"keydown 101:65:", "keydown 101:65:"}));

    window->removeListener(listener.get());
    EXPECT_EQ(window->getListenerCount(), 1u);
    EXPECT_EQ(listener->getReferenceCount(), 2u);
    trace.clear();
    window->onKeyDown(keyEvent(65));
    EXPECT_EQ(trace, (TTrace{"keydown 101:65:"}));
}

TEST(CWindowTest, RemovalTakesTheFirstRegistrationAndKeepsOrder)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr a = newListener(trace, "a");
    TListenerPtr b = newListener(trace, "b");
    TListenerPtr c = newListener(trace, "c");
    for (CTraceListener* listener : {a.get(), b.get(), a.get(), c.get()})
        window->addListener(listener);
    window->removeListener(a.get());
    window->onFocusLost();
    EXPECT_EQ(trace, (TTrace{"b focuslost", "a focuslost", "c focuslost"}));
    window->removeListener(c.get());
    trace.clear();
    window->onFocusLost();
    EXPECT_EQ(trace, (TTrace{"b focuslost", "a focuslost"}));
}

TEST(CWindowTest, BadRegistrationsThrowAndChangeNothing)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr registered = newListener(trace, "registered");
    TListenerPtr stranger = newListener(trace, "stranger");
    window->addListener(registered.get());

    expectException<CInvalidArgumentException>([&] { window->addListener(nullptr); }, "Cannot register null listener\n",
                                                     C_WINDOW_SOURCE, 339);
    expectException<CInvalidArgumentException>([&] { window->removeListener(nullptr); },
                                                     "Cannot unregister null listener\n", C_WINDOW_SOURCE, 348);
    expectException<CInvalidOperationException>([&] { window->removeListener(stranger.get()); },
                                                      "Could not find registered listener\n", C_WINDOW_SOURCE, 357);
    EXPECT_EQ(window->getListenerCount(), 1u);
    EXPECT_EQ(window->getListener(0), registered.get());
    EXPECT_EQ(stranger->getReferenceCount(), 1u);
    EXPECT_EQ(registered->getReferenceCount(), 2u);

    window->removeListener(registered.get());
    expectException<CInvalidOperationException>([&] { window->removeListener(registered.get()); },
                                                      "Could not find registered listener\n", C_WINDOW_SOURCE, 357);
}

TEST(CWindowTest, ListenerMayRemoveItselfWhileBeingCalled)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    // The window holds the only reference once the creator lets go.
    CSelfRemovingListener* listener = new CSelfRemovingListener(trace);
    window->addListener(listener);
    listener->release();
    window->onKeyDown(keyEvent(65));
    EXPECT_EQ(trace, (TTrace{"removed itself", "deleted"}));
    EXPECT_EQ(window->getListenerCount(), 0u);
}

TEST(CWindowTest, RemovingAllAndDestroyingReleaseTheReferences)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr a = newListener(trace, "a");
    TListenerPtr b = newListener(trace, "b");
    window->addListener(a.get());
    window->addListener(b.get());
    window->addListener(a.get());
    window->removeAllListeners();
    EXPECT_EQ(window->getListenerCount(), 0u);
    EXPECT_EQ(a->getReferenceCount(), 1u);
    EXPECT_EQ(b->getReferenceCount(), 1u);

    CFakeRenderer renderer;
    window->addListener(a.get());
    window->createSwapChain(&renderer);
    CManagedPtr<CSwapChain> swapChain(window->getSwapChain());
    EXPECT_EQ(swapChain->getReferenceCount(), 2u);
    window.reset();
    EXPECT_EQ(a->getReferenceCount(), 1u);
    EXPECT_EQ(swapChain->getReferenceCount(), 1u);
}

TEST(CWindowTest, CharacterEventsReachObserversAsACopyFirst)
{
    TTrace trace;
    TWindowPtr window = newWindow();
    TListenerPtr listener = newListener(trace, "listener");
    SWindowEvent event = keyEvent('x');
    event.text = "kept";
    CCharObserver observer(trace, &event);
    window->addListener(listener.get());
    window->addObserver(&observer);
    window->onChar(event);
    window->removeObserver(&observer);
    EXPECT_EQ(trace, (TTrace{"observer 120 copy", "listener char 101:120:kept"}));
}

TEST(CWindowTest, SwapChainIsMadeOnceFromTheWindowsFlags)
{
    CFakeRenderer renderer;
    TWindowPtr window = newWindow(CWindow::C_WINDOW_SWAP_CHAIN_OPTION_1 | CWindow::C_WINDOW_SWAP_CHAIN_OPTION_3);
    window->createSwapChain(&renderer);
    window->createSwapChain(&renderer);
    ASSERT_EQ(renderer.m_requests.size(), 1u);
    const SSwapChainDescription& request = renderer.m_requests[0];
    EXPECT_STREQ(request.name.c_str(), "CWindow Default SwapChain");
    EXPECT_EQ(request.width, 320u);
    EXPECT_EQ(request.height, 100u);
    EXPECT_EQ(request.colourFormat, 29u);
    EXPECT_EQ(request.depthFormat, 45u);
    EXPECT_TRUE(request.options[0]);
    EXPECT_FALSE(request.options[1]);
    EXPECT_TRUE(request.options[2]);
    // Making the swap chain opens the window.
    EXPECT_FALSE(window->isClosed());

    // The swap chain follows the client area on resize.
    window->onResize(500, 400);
    SSwapChainState state = window->getSwapChain()->getState();
    EXPECT_EQ(state.width, window->getClientWidth());
    EXPECT_EQ(state.height, window->getClientHeight());
    EXPECT_EQ(state.width, 320u);

    expectException<CInvalidArgumentException>([&] { window->createSwapChain(nullptr); },
                                                     "Cannot create a swap chain without a renderer\n", C_WINDOW_SOURCE, -1);
}

TEST(CNullWindowTest, OpensOnceAndStaysClosed)
{
    CManagedPtr<CNullWindow> window = CManagedPtr<CNullWindow>::adopt(new CNullWindow("Null", nullptr, 10, 20, 0));
    EXPECT_TRUE(window->isClosed());
    EXPECT_FALSE(window->isCreated());
    window->show();
    EXPECT_TRUE(window->isCreated());
    EXPECT_FALSE(window->isClosed());
    window->close();
    EXPECT_TRUE(window->isClosed());
    window->show();
    EXPECT_TRUE(window->isClosed());
}
