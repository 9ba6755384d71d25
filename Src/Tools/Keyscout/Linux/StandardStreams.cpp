#include "Tools/Keyscout/Linux/StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void openClosedStandardStreams()
{
    // A closed stream's number goes to the next file opened, which could be
    // the display connection: log text written to "standard error" would
    // then corrupt the X stream.
    for (int stream = 0; stream <= 2; ++stream)
    {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF)
            continue;
        int opened = open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != stream)
        {
            dup2(opened, stream);
            close(opened);
        }
    }
}

namespace {

// Before the C++ static constructors (priority 101 is the first an
// application may use), since any of them may open a file.
__attribute__((constructor(101))) void openClosedStandardStreamsFirst()
{
    openClosedStandardStreams();
}

} // namespace
