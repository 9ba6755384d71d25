// A plug-in library for the module manager and plug-in tests: a few plain
// exported entry points, no engine code.

extern "C" int tavrinTestPluginAnswer()
{
    return 42;
}

// State kept in the library: it lives as long as the library stays loaded.
static int s_callCount = 0;

extern "C" int tavrinTestPluginCount()
{
    return ++s_callCount;
}
