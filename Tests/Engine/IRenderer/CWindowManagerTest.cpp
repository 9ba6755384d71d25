#include "Engine/IRenderer/CNullWindow.h"
#include "Engine/IRenderer/CWindowManager.h"

#include "Engine/IInput/InputTestSupport.h"
#include "Engine/IRenderer/RendererTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Tavrin::Engine;
using namespace Tavrin::Engine::Testing;

namespace {

// A null window with a handle of the test's choosing that traces its pumps,
// last-release hook and deletion.
class CTracedWindow : public CNullWindow
{
public:
    CTracedWindow(TTrace& trace, const CString& title, void* parent, uint32_t width, uint32_t height, uint32_t flags)
        : CNullWindow(title, parent, width, height, flags), m_trace(trace)
    {
    }
    ~CTracedWindow() override { m_trace.push_back(std::string("delete ") + getTitle().c_str()); }
    void processMessages() override { m_trace.push_back(std::string("pump ") + getTitle().c_str()); }
    void onLastRelease() override { m_trace.push_back(std::string("last ") + getTitle().c_str()); }
    void setHandle(void* handle) { m_handle = handle; }

private:
    TTrace& m_trace;
};

class CTracedWindowManager : public CWindowManager
{
public:
    explicit CTracedWindowManager(TTrace& trace) : m_trace(trace) {}

    CTracedWindow* traced(const CManagedPtr<CWindow>& window) { return static_cast<CTracedWindow*>(window.get()); }

protected:
    CWindow* _newWindow(const CString& title, void* parent, uint32_t width, uint32_t height, uint32_t flags) override
    {
        return new CTracedWindow(m_trace, title, parent, width, height, flags);
    }

private:
    TTrace& m_trace;
};

int g_handles[4];

} // namespace

TEST(CWindowManagerTest, FirstManagerIsTheDefaultUntilDestroyed)
{
    ASSERT_EQ(CWindowManager::getManagerCount(), 0u);
    ASSERT_EQ(CWindowManager::getDefault(), nullptr);
    std::unique_ptr<CWindowManager> first(new CWindowManager());
    std::unique_ptr<CWindowManager> second(new CWindowManager());
    EXPECT_EQ(CWindowManager::getDefault(), first.get());
    EXPECT_EQ(CWindowManager::getManagerCount(), 2u);

    first.reset();
    EXPECT_EQ(CWindowManager::getDefault(), nullptr);
    EXPECT_EQ(CWindowManager::getManagerCount(), 1u);

    // A manager made while there is no default becomes it.
    std::unique_ptr<CWindowManager> third(new CWindowManager());
    EXPECT_EQ(CWindowManager::getDefault(), third.get());
    second.reset();
    third.reset();
    EXPECT_EQ(CWindowManager::getManagerCount(), 0u);
    EXPECT_EQ(CWindowManager::getDefault(), nullptr);
}

TEST(CWindowManagerTest, CreatedWindowsAreRegisteredAndNotYetOpen)
{
    CWindowManager manager;
    CManagedPtr<CWindow> window = manager.createWindow("Press one or many keys..", 320, 100, 68);
    CManagedPtr<CWindow> child = manager.createChildWindow(&g_handles[0], 64, 32, 1);
    EXPECT_EQ(window->getReferenceCount(), 1u);
    EXPECT_EQ(window->getManager(), &manager);
    EXPECT_EQ(manager.getWindow(window->getId()), window.get());
    EXPECT_EQ(manager.getWindow(child->getId()), child.get());
    EXPECT_NE(window->getId(), child->getId());
    EXPECT_STREQ(window->getTitle().c_str(), "Press one or many keys..");
    EXPECT_EQ(window->getWidth(), 320u);
    EXPECT_EQ(window->getClientHeight(), 100u);
    EXPECT_EQ(window->getFlags(), 68u);
    EXPECT_TRUE(window->isClosed());
    EXPECT_EQ(window->getHandle(), nullptr);
    EXPECT_EQ(child->getParentHandle(), &g_handles[0]);
    EXPECT_TRUE(child->getTitle().isEmpty());

    // The last release unregisters the window and frees its slot.
    uint32_t id = window->getId();
    window.reset();
    EXPECT_EQ(manager.getWindow(id), nullptr);
}

TEST(CWindowManagerTest, WindowsFromHandlesAreNotImplemented)
{
    CWindowManager manager;
    expectException<CNotImplementedException>([&] { manager.createWindowFromHandle(&g_handles[0]); },
                                                    "Cannot create a window from a handle yet\n",
                                                    "Engine/IRenderer/Windows/CWindow", 68);
}

TEST(CWindowManagerTest, FindWindowSearchesEveryManagerByHandle)
{
    TTrace trace;
    CTracedWindowManager first(trace);
    CTracedWindowManager second(trace);
    CManagedPtr<CWindow> unopened = first.createWindow("unopened", 1, 1, 0);
    CManagedPtr<CWindow> a = first.createWindow("a", 1, 1, 0);
    CManagedPtr<CWindow> b = second.createWindow("b", 1, 1, 0);
    CManagedPtr<CWindow> twin = second.createWindow("twin", 1, 1, 0);
    first.traced(a)->setHandle(&g_handles[1]);
    second.traced(b)->setHandle(&g_handles[2]);
    second.traced(twin)->setHandle(&g_handles[1]);

    EXPECT_EQ(CWindowManager::findWindow(&g_handles[1]), a.get());
    EXPECT_EQ(CWindowManager::findWindow(&g_handles[2]), b.get());
    EXPECT_EQ(CWindowManager::findWindow(&g_handles[3]), nullptr);
    // Windows without native window must not answer for a null handle.
    EXPECT_EQ(CWindowManager::findWindow(nullptr), nullptr);
    a.reset();
    EXPECT_EQ(CWindowManager::findWindow(&g_handles[1]), twin.get());
}

TEST(CWindowManagerTest, PumpsInRegistryOrderAndDeletesRemainingWindowsLast)
{
    TTrace trace;
    {
        CTracedWindowManager manager(trace);
        CManagedPtr<CWindow> one = manager.createWindow("one", 1, 1, 0);
        CManagedPtr<CWindow> two = manager.createWindow("two", 1, 1, 0);
        CManagedPtr<CWindow> three = manager.createWindow("three", 1, 1, 0);
        two.reset();
        // The freed slot is reused first.
        CManagedPtr<CWindow> four = manager.createWindow("four", 1, 1, 0);
        EXPECT_EQ(trace, (TTrace{"last two", "delete two"}));
        trace.clear();
        manager.processAllMessages();
        EXPECT_EQ(trace, (TTrace{"pump one", "pump four", "pump three"}));

        // Windows still held when the manager goes are deleted with it.
        trace.clear();
        one.detach();
        four.detach();
        three.detach();
    }
    EXPECT_EQ(trace, (TTrace{"last one", "last four", "last three", "delete one", "delete four", "delete three"}));
}
