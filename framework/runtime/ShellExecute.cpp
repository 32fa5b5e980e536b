#include "ShellExecute.h"

#include <atomic>

namespace {
BOOL PlatformShellExecuteEx(SHELLEXECUTEINFOW* info) { return ShellExecuteExW(info); }

std::atomic<TShellExecuteExProc> entry{&PlatformShellExecuteEx};
} // namespace

BOOL acShellExecuteEx(SHELLEXECUTEINFOW* info) { return entry.load()(info); }

HINSTANCE acShellExecute(HWND wnd, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                         const wchar_t* directory, int show)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = wnd;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = show;
    if (!acShellExecuteEx(&info) && reinterpret_cast<INT_PTR>(info.hInstApp) > 32)
        info.hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_NOASSOC));
    return info.hInstApp;
}

TShellExecuteExProc SetShellExecuteEntry(TShellExecuteExProc proc)
{
    return entry.exchange(proc ? proc : &PlatformShellExecuteEx);
}
