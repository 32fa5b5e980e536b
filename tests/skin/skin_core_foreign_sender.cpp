// A second process for the core tests: sends the library command to a window of the test with
// the codes and arguments given on its command line, as any program on the desktop can.
// Usage: skin_core_foreign_sender <window> <code>:<lparam> ...   (numbers in hexadecimal)
// Exit code: 0 when every send was delivered and answered 0, 1 when one was not delivered
// (the receiver died or hung), 2 when one answered something else, 3 for bad arguments.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 3;
    const auto window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(argv[1], nullptr, 16)));
    if (!IsWindow(window)) return 3;
    int exitCode = 0;
    for (int i = 2; i < argc; ++i) {
        wchar_t* rest = nullptr;
        const auto code = static_cast<WPARAM>(std::wcstoul(argv[i], &rest, 16));
        if (!rest || *rest != L':') return 3;
        const auto lParam = static_cast<LPARAM>(std::wcstoull(rest + 1, nullptr, 16));
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, 0xA100, code << 16, lParam, SMTO_ABORTIFHUNG, 20000, &answer)) return 1;
        if (answer != 0) exitCode = 2;
    }
    return exitCode;
}
