#pragma once

namespace Tavrin {
namespace Engine {

// Asks the Wayland compositor that SDL would reach (WAYLAND_DISPLAY, or its
// default socket) whether it offers a seat. False when there is no
// compositor, it cannot be read, it does not answer within a few hundred
// milliseconds, or it has no seat.
bool waylandHasSeat();

} // namespace Engine
} // namespace Tavrin
