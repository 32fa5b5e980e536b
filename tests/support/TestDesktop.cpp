// Puts a test executable's main thread on a desktop of its own before any window exists. The
// test run gives each executable a display of its own too (tools/wine-run); a shared desktop
// would still let a window that one executable activates take the foreground, and with it the
// keyboard focus, from another's windows in the middle of a test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "test desktop: %s failed (%lu)\n", what, GetLastError());
    std::exit(4);
}

const bool onOwnDesktop = [] {
    const std::wstring name = L"marlindo-test-" + std::to_wstring(GetCurrentProcessId());
    HDESK desktop = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop) Fail("CreateDesktopW");
    if (!SetThreadDesktop(desktop)) Fail("SetThreadDesktop");
    if (!GetDesktopWindow()) Fail("GetDesktopWindow");
    return true; // the desktop handle stays open for the process's life
}();

} // namespace
