// Reads the Keyscout dialog back for the end-to-end run, and does the few
// things a script cannot do through X: bring the dialog to the front, ask a
// window to close as its close box would, and post or send it any message
// (another program can do the same to a running Keyscout).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

const char* const C_DIALOG_TITLE = "Tavrin Engine Input detector";
const int C_CONTROLS[] = {1001, 1002, 1003, 1004, 1005, 1022, 1023};

HWND findWindow(const char* title)
{
    return FindWindowA(nullptr, title);
}

void printRect(const char* name, const RECT& r)
{
    printf("%s=%ld,%ld,%ld,%ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void printWindow(const char* prefix, HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    printf("%stext=%s\n", prefix, text);
    printf("%svisible=%d\n", prefix, IsWindowVisible(window) ? 1 : 0);
    printf("%senabled=%d\n", prefix, IsWindowEnabled(window) ? 1 : 0);
    printf("%sstyle=0x%08lX\n", prefix, static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    char name[64];
    snprintf(name, sizeof(name), "%srect", prefix);
    printRect(name, outer);
    printf("%sclient=%ldx%ld\n", prefix, client.right, client.bottom);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    printf("%sorigin=%ld,%ld\n", prefix, origin.x, origin.y);
}

int info()
{
    HWND dialog = findWindow(C_DIALOG_TITLE);
    if (!dialog)
        return printf("dialog=none\n"), 1;
    printWindow("dialog.", dialog);
    printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (int id : C_CONTROLS)
    {
        HWND control = GetDlgItem(dialog, id);
        char prefix[32];
        snprintf(prefix, sizeof(prefix), "%d.", id);
        if (!control)
        {
            printf("%smissing=1\n", prefix);
            continue;
        }
        printWindow(prefix, control);
        char className[64] = "";
        GetClassNameA(control, className, sizeof(className));
        printf("%sclass=%s\n", prefix, className);
    }
    printf("1005.checked=%d\n", static_cast<int>(SendMessageA(GetDlgItem(dialog, 1005), BM_GETCHECK, 0, 0)));
    for (int id : {1022, 1023})
    {
        HWND combo = GetDlgItem(dialog, id);
        printf("%d.count=%d\n", id, static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)));
        printf("%d.selection=%d\n", id, static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
    }
    return 0;
}

int resultText()
{
    HWND dialog = findWindow(C_DIALOG_TITLE);
    if (!dialog)
        return 1;
    char text[512] = "";
    GetDlgItemTextA(dialog, 1002, text, sizeof(text));
    printf("%s\n", text);
    return 0;
}

int windowInfo(const char* title)
{
    HWND window = findWindow(title);
    if (!window)
        return printf("window=none\n"), 1;
    printWindow("window.", window);
    printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

// Screen coordinates of a dialog control's centre, for a real mouse click.
int centre(int id)
{
    HWND control = GetDlgItem(findWindow(C_DIALOG_TITLE), id);
    if (!control)
        return 1;
    RECT r;
    GetWindowRect(control, &r);
    printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return 0;
}

int front()
{
    HWND dialog = findWindow(C_DIALOG_TITLE);
    if (!dialog)
        return 1;
    SetForegroundWindow(dialog);
    printf("foreground=%d\n", GetForegroundWindow() == dialog ? 1 : 0);
    return 0;
}

// Which window is in front and which has the focus in the window's thread.
int focusInfo(const char* title)
{
    HWND window = findWindow(title);
    char text[256] = "";
    GetWindowTextA(GetForegroundWindow(), text, sizeof(text));
    printf("foreground=%s\n", text);
    if (!window)
        return 1;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    printf("active=%d\nfocus=%d\n", info.hwndActive == window ? 1 : 0, info.hwndFocus == window ? 1 : 0);
    return 0;
}

int closeWindow(const char* title)
{
    HWND window = findWindow(title);
    if (!window)
        return 1;
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

struct SMessageName
{
    const char* name;
    UINT message;
};

// The messages the end-to-end cases name; any other is given as a number.
const SMessageName C_MESSAGES[] = {
    {"WM_CLOSE", WM_CLOSE},
    {"WM_COMMAND", WM_COMMAND},
    {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"WM_ACTIVATE", WM_ACTIVATE},
    {"WM_KILLFOCUS", WM_KILLFOCUS},
    {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_KEYUP", WM_KEYUP},
    {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {"WM_LBUTTONUP", WM_LBUTTONUP},
    {"WM_XBUTTONDOWN", WM_XBUTTONDOWN},
    {"WM_XBUTTONUP", WM_XBUTTONUP},
};

// A number in C notation (decimal, 0x hex, a leading minus); false for anything else.
bool parseNumber(const char* text, unsigned long long& value)
{
    const bool negative = *text == '-';
    const char* digits = negative ? text + 1 : text;
    char* end = nullptr;
    value = strtoull(digits, &end, 0);
    if (negative)
        value = 0 - value;
    return end != digits && !*end;
}

bool parseMessage(const char* text, UINT& message)
{
    for (const SMessageName& entry : C_MESSAGES)
        if (!strcmp(entry.name, text))
            return message = entry.message, true;
    unsigned long long value;
    return parseNumber(text, value) && (message = static_cast<UINT>(value), true);
}

// post|send TITLE MESSAGE WPARAM LPARAM. A sent message waits for the window
// to handle it, for at most 10 s, and prints its result.
int deliver(bool send, char** argv)
{
    UINT message;
    unsigned long long wParam;
    unsigned long long lParam;
    if (!parseMessage(argv[1], message) || !parseNumber(argv[2], wParam) || !parseNumber(argv[3], lParam))
        return fprintf(stderr, "keyscout_probe: bad message '%s %s %s'\n", argv[1], argv[2], argv[3]), 2;
    HWND window = findWindow(argv[0]);
    if (!window)
        return printf("window=none\n"), 1;
    if (!send)
        return PostMessageA(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam), SMTO_NORMAL,
                             10000, &result))
        return printf("result=timeout\n"), 1;
    printf("result=%lld\n", static_cast<long long>(result));
    return 0;
}

// The clipboard's text, as a paste into another program would get it.
int clipboard()
{
    if (!OpenClipboard(nullptr))
        return printf("clipboard=unavailable\n"), 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    printf("clipboard=%s\n", text ? text : "");
    if (text)
        GlobalUnlock(data);
    CloseClipboard();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int result = 2;
    if (argc == 2 && !strcmp(argv[1], "info"))
        result = info();
    else if (argc == 2 && !strcmp(argv[1], "text"))
        result = resultText();
    else if (argc == 3 && !strcmp(argv[1], "window"))
        result = windowInfo(argv[2]);
    else if (argc == 3 && !strcmp(argv[1], "centre"))
        result = centre(atoi(argv[2]));
    else if (argc == 2 && !strcmp(argv[1], "front"))
        result = front();
    else if (argc == 3 && !strcmp(argv[1], "focus"))
        result = focusInfo(argv[2]);
    else if (argc == 3 && !strcmp(argv[1], "close"))
        result = closeWindow(argv[2]);
    else if (argc == 2 && !strcmp(argv[1], "clipboard"))
        result = clipboard();
    else if (argc == 6 && (!strcmp(argv[1], "post") || !strcmp(argv[1], "send")))
        result = deliver(!strcmp(argv[1], "send"), argv + 2);
    else
        fprintf(stderr, "usage: keyscout_probe info | text | window TITLE | centre ID | front | focus TITLE"
                        " | close TITLE | clipboard | post|send TITLE MESSAGE WPARAM LPARAM\n");
    fflush(stdout);
    return result;
}
