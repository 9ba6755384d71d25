// Launches a program and times it from the launch to the MapNotify of its
// first top-level window, read from the X server's own event stream (the root
// window's SubstructureNotify): no polling process stands between the two.
//
//   startup_map_watch [--memory IDLE_MS] [--timeout MS] [--title TEXT] [--trace FILE] -- PROGRAM ARGS...
//
// --title waits for a window whose name holds TEXT (Wine maps helper windows
// of its own first). --trace hands the program FILE for its start-up marks
// (KEYSCOUT_STARTUP_TRACE; "<phase> <CLOCK_MONOTONIC ms>" lines) and reads
// them back after the map.
//
// Prints one line: "map_ms=<ms> cpu_ms=<ms> pid=<pid> window=0x<id>" (cpu_ms:
// the processor time the program used up to the map, all its threads), with --memory
// "rss_kb=<kb> private_kb=<kb> software_gl=<no|library>" read IDLE_MS after the
// map from /proc/PID, with --trace "trace=<phase>:<ms since launch>,..." in
// the order marked, and last "title=<title>". The program is then ended
// (SIGTERM, SIGKILL if it lingers). Exit status 1 when no window came.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct _SOptions
{
    long memoryIdleMs = -1;
    long timeoutMs = 10000;
    const char* title = nullptr;
    const char* trace = nullptr;
    char** command = nullptr;
};

double nowMs()
{
    timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time.tv_sec * 1000.0 + time.tv_nsec / 1e6;
}

bool parseOptions(int count, char** arguments, _SOptions& options)
{
    for (int i = 1; i < count; ++i)
    {
        if (strcmp(arguments[i], "--") == 0 && i + 1 < count)
        {
            options.command = arguments + i + 1;
            return true;
        }
        if (i + 1 >= count)
            return false;
        if (strcmp(arguments[i], "--memory") == 0)
            options.memoryIdleMs = atol(arguments[++i]);
        else if (strcmp(arguments[i], "--timeout") == 0)
            options.timeoutMs = atol(arguments[++i]);
        else if (strcmp(arguments[i], "--title") == 0)
            options.title = arguments[++i];
        else if (strcmp(arguments[i], "--trace") == 0)
            options.trace = arguments[++i];
        else
            return false;
    }
    return false;
}

pid_t launch(char** command)
{
    pid_t pid = fork();
    if (pid == 0)
    {
        // Its output is not ours to read: a pipe held open by a program that
        // outlives this watcher would keep its reader waiting.
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(command[0], command);
        perror(command[0]);
        _exit(127);
    }
    return pid;
}

// WM_NAME, else the UTF-8 _NET_WM_NAME; "" for a window already gone.
std::string windowTitle(Display* display, Window window)
{
    char* name = nullptr;
    std::string title = XFetchName(display, window, &name) && name ? name : "";
    if (name)
        XFree(name);
    if (!title.empty())
        return title;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success && data)
    {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return title;
}

// Windows vanish between their map and our question: not an error here.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

// The first MapNotify of a child of the root (named with `title` when
// given), or 0 after the timeout.
Window waitForMap(Display* display, double deadline, const char* title)
{
    while (nowMs() < deadline)
    {
        while (XPending(display))
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(display) &&
                (!title || windowTitle(display, event.xmap.window).find(title) != std::string::npos))
                return event.xmap.window;
        }
        pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, 5);
    }
    return 0;
}

// Processor time of the whole process so far, threads that ended included.
double processorMs(pid_t pid)
{
    clockid_t clock;
    timespec used;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0)
        return -1;
    return used.tv_sec * 1000.0 + used.tv_nsec / 1e6;
}


long smapsKilobytes(pid_t pid, const char* const* keys)
{
    char path[64];
    snprintf(path, sizeof(path), "/proc/%d/smaps_rollup", static_cast<int>(pid));
    FILE* file = fopen(path, "r");
    if (!file)
        return -1;
    long total = 0;
    char line[256];
    while (fgets(line, sizeof(line), file))
        for (const char* const* key = keys; *key; ++key)
            if (strncmp(line, *key, strlen(*key)) == 0)
                total += atol(line + strlen(*key));
    fclose(file);
    return total;
}

// The first mapped library of a software OpenGL stack, or "".
std::string softwareGlLibrary(pid_t pid)
{
    static const char* const markers[] = {"libLLVM", "libGL", "libEGL", "libgallium", "_dri.so", "swrast",
                                          "libglapi", "mesa"};
    char path[64];
    snprintf(path, sizeof(path), "/proc/%d/maps", static_cast<int>(pid));
    FILE* file = fopen(path, "r");
    if (!file)
        return "";
    std::string found;
    char line[1024];
    while (found.empty() && fgets(line, sizeof(line), file))
    {
        const char* slash = strrchr(line, '/');
        for (const char* marker : markers)
            if (slash && strstr(slash, marker))
            {
                found = slash + 1;
                found.erase(found.find_last_not_of("\n") + 1);
                break;
            }
    }
    fclose(file);
    return found;
}

void reportMemory(pid_t pid, long idleMs)
{
    usleep(static_cast<useconds_t>(idleMs) * 1000);
    static const char* const rss[] = {"Rss:", nullptr};
    static const char* const priv[] = {"Private_Clean:", "Private_Dirty:", nullptr};
    std::string library = softwareGlLibrary(pid);
    printf(" rss_kb=%ld private_kb=%ld software_gl=%s", smapsKilobytes(pid, rss), smapsKilobytes(pid, priv),
           library.empty() ? "no" : library.c_str());
}

// The program's marks, relative to its launch.
void reportTrace(const char* file, double launchedMs)
{
    FILE* trace = fopen(file, "r");
    if (!trace)
        return;
    char phase[64];
    double ms;
    const char* separator = " trace=";
    while (fscanf(trace, "%63s %lf", phase, &ms) == 2)
    {
        printf("%s%s:%.1f", separator, phase, ms - launchedMs);
        separator = ",";
    }
    fclose(trace);
}

void endProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i)
    {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int count, char** arguments)
{
    _SOptions options;
    if (!parseOptions(count, arguments, options))
    {
        fputs("usage: startup_map_watch [--memory IDLE_MS] [--timeout MS] [--title TEXT] [--trace FILE] -- PROGRAM ARGS...\n",
              stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        fputs("startup_map_watch: cannot open the display\n", stderr);
        return 2;
    }
    XSetErrorHandler(ignoreError);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    if (options.trace)
    {
        unlink(options.trace);
        setenv("KEYSCOUT_STARTUP_TRACE", options.trace, 1);
    }
    double start = nowMs();
    pid_t pid = launch(options.command);
    Window window = waitForMap(display, start + options.timeoutMs, options.title);
    double mapped = nowMs();
    double processor = window ? processorMs(pid) : -1;
    int status = 0;
    if (window)
    {
        printf("map_ms=%.1f cpu_ms=%.1f pid=%d window=0x%lx", mapped - start, processor, static_cast<int>(pid),
               window);
        if (options.memoryIdleMs >= 0)
            reportMemory(pid, options.memoryIdleMs);
        if (options.trace)
            reportTrace(options.trace, start);
        printf(" title=%s\n", windowTitle(display, window).c_str());
    }
    else
    {
        printf("map_ms=none pid=%d\n", static_cast<int>(pid));
        status = 1;
    }
    fflush(stdout);
    endProgram(pid);
    XCloseDisplay(display);
    return status;
}
