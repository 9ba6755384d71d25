#include "Engine/IInput/Linux/SdlDeviceNode.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

namespace Tavrin {
namespace Engine {

namespace {

// NOTE: SDL's Linux joystick driver numbers the absolute axes below ABS_MAX
// in code order and reads ABS_HAT0X to ABS_HAT3Y as hats instead.
bool isSdlAxis(uint32_t code)
{
    return code < ABS_MAX && (code < ABS_HAT0X || code > ABS_HAT3Y);
}

} // namespace

bool readSdlDeviceNode(const char* path, SSdlDeviceNode& out)
{
    // Read only and without a grab: SDL keeps reading the device meanwhile.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct libevdev* device = nullptr;
    bool read = libevdev_new_from_fd(fd, &device) == 0;
    if (read)
    {
        const char* uniq = libevdev_get_uniq(device);
        out.serial = uniq ? uniq : "";
        out.absoluteAxes.clear();
        for (uint32_t code = 0; code < ABS_MAX; ++code)
            if (isSdlAxis(code) && libevdev_has_event_code(device, EV_ABS, code))
                out.absoluteAxes.add(code);
        libevdev_free(device);
    }
    close(fd);
    return read;
}

} // namespace Engine
} // namespace Tavrin
