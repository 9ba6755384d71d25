#pragma once

#include "Engine/IRenderer/CRenderer.h"
#include "Engine/IRenderer/CSwapChain.h"
#include "Engine/IRenderer/CWindow.h"
#include "Engine/IRenderer/CWindowEventListener.h"

#include <string>
#include <vector>

namespace Tavrin {
namespace Engine {
namespace Testing {

typedef std::vector<std::string> TTrace;

// Writes every event it receives, prefixed with its name, into a trace.
class CTraceListener : public CWindowEventListener
{
public:
    CTraceListener(TTrace& trace, const std::string& name) : m_trace(trace), m_name(name) {}

    void onMove(CWindow*, int32_t x, int32_t y) override { _add("move " + _pair(x, y)); }
    void onResize(CWindow*, uint32_t width, uint32_t height) override { _add("resize " + _pair(width, height)); }
    void onChar(CWindow*, const SWindowEvent& event) override { _add("char " + _event(event)); }
    void onKeyDown(CWindow*, const SWindowEvent& event) override { _add("keydown " + _event(event)); }
    void onKeyUp(CWindow*, const SWindowEvent& event) override { _add("keyup " + _event(event)); }
    void onMouseWheel(CWindow*, float delta) override { _add("wheel " + std::to_string(delta)); }
    void onMouseMove(CWindow*, uint16_t x, uint16_t y) override { _add("mousemove " + _pair(x, y)); }
    void onMouseButtonDown(CWindow*, uint32_t button, uint16_t x, uint16_t y) override
    {
        _add("buttondown " + std::to_string(button) + " " + _pair(x, y));
    }
    void onMouseButtonUp(CWindow*, uint32_t button, uint16_t x, uint16_t y) override
    {
        _add("buttonup " + std::to_string(button) + " " + _pair(x, y));
    }
    void onFocusGained(CWindow*) override { _add("focusgained"); }
    void onFocusLost(CWindow*) override { _add("focuslost"); }
    void onSetCursor(CWindow*) override { _add("setcursor"); }

private:
    template <typename T>
    static std::string _pair(T x, T y)
    {
        return std::to_string(x) + "," + std::to_string(y);
    }
    static std::string _event(const SWindowEvent& event)
    {
        return std::to_string(event.type) + ":" + std::to_string(event.code) + ":" + event.text.c_str();
    }
    void _add(const std::string& text) { m_trace.push_back(m_name.empty() ? text : m_name + " " + text); }

    TTrace& m_trace;
    std::string m_name;
};

// A swap chain that only keeps its state.
class CFakeSwapChain : public CSwapChain
{
public:
    SSwapChainState getState() const override { return m_state; }
    void setFullscreen(bool fullscreen) override
    {
        m_state.fullscreen = fullscreen;
        ++m_toggles;
    }
    void resize(uint32_t width, uint32_t height) override
    {
        m_state.width = width;
        m_state.height = height;
    }

    SSwapChainState m_state;
    uint32_t m_toggles = 0;
};

// Hands out fake swap chains and keeps what it was asked for.
class CFakeRenderer : public CRenderer
{
public:
    CManagedPtr<CSwapChain> createSwapChain(const SSwapChainDescription& description) override
    {
        m_requests.push_back(description);
        return CManagedPtr<CSwapChain>::adopt(new CFakeSwapChain());
    }

    std::vector<SSwapChainDescription> m_requests;
};

} // namespace Testing
} // namespace Engine
} // namespace Tavrin
