// zt-wintool: looks at and drives the windows of a running zentick.exe or
// zentick-hexedit.exe, for the end-to-end checks under Wine (scripts/test-windows.sh).
//
//   zt-wintool start [--title T] EXE [ARGS]
//                                      starts EXE and waits (30 s at most) for its visible
//                                      window titled T (the clock's when not given); prints
//                                      "ms N": the milliseconds from starting the process
//                                      to the window showing
//   zt-wintool list                    every window of class ZentickWindow or
//                                      ZentickApplication: handle, class, visible,
//                                      extended style, title, window and client size
//   zt-wintool find TITLE [SECONDS]    waits for a visible ZentickWindow titled TITLE
//                                      ("-" for any popup menu); prints its handle
//   zt-wintool region HANDLE           the window region: "rects N" and one line a
//                                      rectangle (left top right bottom)
//   zt-wintool click HANDLE X Y [right]  a click at a client position
//   zt-wintool key HANDLE VK [ctrl]    a key press (virtual-key code, decimal), with the
//                                      Control key held when ctrl is given
//   zt-wintool type HANDLE TEXT        the characters of TEXT typed, one WM_CHAR each
//   zt-wintool move HANDLE X Y         moves the window as the system would
//   zt-wintool close HANDLE            asks the window to close (WM_CLOSE)
//
// Handles are decimal. Exit status 0 on success, 1 when a window is not found, 2 for a
// bad command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct TFound {
    std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM data) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (wcscmp(name, L"ZentickWindow") == 0 || wcscmp(name, L"ZentickApplication") == 0)
        reinterpret_cast<TFound*>(data)->windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Windows() {
    TFound found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

std::string Title(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

HWND Handle(const char* text) {
    return reinterpret_cast<HWND>(std::strtoull(text, nullptr, 10));
}

int List() {
    for (HWND hwnd : Windows()) {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        RECT window{}, client{};
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        std::printf(
            "%llu %ls visible=%d exstyle=0x%08lx title=\"%s\" window=%ldx%ld+%ld+%ld "
            "client=%ldx%ld\n",
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), name,
            IsWindowVisible(hwnd) ? 1 : 0,
            static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_EXSTYLE)), Title(hwnd).c_str(),
            window.right - window.left, window.bottom - window.top, window.left, window.top,
            client.right, client.bottom);
    }
    return 0;
}

int Find(const std::string& title, double seconds) {
    DWORD end = GetTickCount() + DWORD(seconds * 1000);
    do {
        for (HWND hwnd : Windows()) {
            if (!IsWindowVisible(hwnd)) continue;
            bool popup = GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
            if ((title == "-" && popup) || (title != "-" && Title(hwnd) == title)) {
                std::printf("%llu\n",
                            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
                return 0;
            }
        }
        Sleep(50);
    } while (GetTickCount() < end);
    return 1;
}

int Region(HWND hwnd) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(hwnd, region) == ERROR) {
        std::printf("rects 0\n");
        DeleteObject(region);
        return 0;
    }
    DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> data(size);
    GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
    DeleteObject(region);
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    auto* rects = reinterpret_cast<RECT*>(data.data() + header->dwSize);
    std::printf("rects %lu\n", static_cast<unsigned long>(header->nCount));
    for (DWORD i = 0; i < header->nCount; ++i)
        std::printf("%ld %ld %ld %ld\n", rects[i].left, rects[i].top, rects[i].right,
                    rects[i].bottom);
    return 0;
}

// An argument as the program's command line gives it: quoted when it holds a space.
std::string Quoted(const std::string& argument) {
    return argument.find_first_of(" \t") == std::string::npos ? argument : "\"" + argument + "\"";
}

int Start(int argc, char** argv) {
    int first = 2;
    std::string title = "Tarvo's Binary Clock";
    if (std::strcmp(argv[2], "--title") == 0) {
        if (argc < 5) return 2;
        title = argv[3];
        first = 4;
    }
    std::string commandLine = "\"" + std::string(argv[first]) + "\"";
    for (int i = first + 1; i < argc; ++i)
        commandLine += " " + Quoted(argv[i]);
    LARGE_INTEGER frequency{}, begin{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 1;
    CloseHandle(process.hThread);
    for (int i = 0; i < 30000; ++i) {
        for (HWND hwnd : Windows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == process.dwProcessId && IsWindowVisible(hwnd) && Title(hwnd) == title) {
                QueryPerformanceCounter(&now);
                std::printf("ms %lld\n", static_cast<long long>((now.QuadPart - begin.QuadPart) *
                                                                1000 / frequency.QuadPart));
                CloseHandle(process.hProcess);
                return 0;
            }
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    CloseHandle(process.hProcess);
    return 1;
}

// A key press with Control, sent (not posted) while this tool holds the Control key in
// the keyboard state that it shares with the window's thread: the window reads that state
// as it handles the key.
int KeyWithControl(HWND hwnd, WPARAM vk) {
    DWORD self = GetCurrentThreadId();
    DWORD target = GetWindowThreadProcessId(hwnd, nullptr);
    if (!AttachThreadInput(self, target, TRUE)) return 1;
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
    SendMessageW(hwnd, WM_KEYUP, vk, LPARAM(0xC0000001));
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    AttachThreadInput(self, target, FALSE);
    return 0;
}

int Type(HWND hwnd, const char* text) {
    for (const char* c = text; *c; ++c)
        if (!PostMessageW(hwnd, WM_CHAR, WPARAM(static_cast<unsigned char>(*c)), 1)) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    if (command == "list") return List();
    if (command == "start" && argc >= 3) return Start(argc, argv);
    if (command == "find" && argc >= 3) return Find(argv[2], argc >= 4 ? std::atof(argv[3]) : 10);
    if (argc < 3) return 2;
    HWND hwnd = Handle(argv[2]);
    if (!IsWindow(hwnd)) return 1;
    if (command == "region") return Region(hwnd);
    if (command == "close") return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == "click" && argc >= 5) {
        bool right = argc >= 6 && std::strcmp(argv[5], "right") == 0;
        LPARAM at = MAKELPARAM(std::atoi(argv[3]), std::atoi(argv[4]));
        PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
        PostMessageW(hwnd, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                     at);
        PostMessageW(hwnd, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (command == "key" && argc >= 4) {
        WPARAM vk = WPARAM(std::atoi(argv[3]));
        if (argc >= 5 && std::strcmp(argv[4], "ctrl") == 0) return KeyWithControl(hwnd, vk);
        PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageW(hwnd, WM_KEYUP, vk, LPARAM(0xC0000001));
        return 0;
    }
    if (command == "type" && argc >= 4) return Type(hwnd, argv[3]);
    if (command == "move" && argc >= 5)
        return SetWindowPos(hwnd, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    return 2;
}
