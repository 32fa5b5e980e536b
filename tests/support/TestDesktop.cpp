// Puts a test executable's main thread on a desktop of its own before any window exists.
// The test executables run at once on one display: a window that one of them activates would
// otherwise take the foreground, and with it the keyboard focus, from another's windows in the
// middle of a test. Each desktop is a virtual one with the display's size, so a window shown on
// another desktop does not reach this one's foreground either.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kDesktopsKey[] = L"Software\\Wine\\Explorer\\Desktops";

void Fail(const char* what)
{
    std::fprintf(stderr, "test desktop: %s failed (%lu)\n", what, GetLastError());
    std::exit(4);
}

const bool onOwnDesktop = [] {
    const std::wstring name = L"marlindo-test-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring size = std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" +
                              std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
    // The desktop process reads the size of a named desktop from here when it creates it.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        Fail("RegCreateKeyExW");
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(size.c_str()),
                   static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
    HDESK desktop = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop) Fail("CreateDesktopW");
    if (!SetThreadDesktop(desktop)) Fail("SetThreadDesktop");
    // Asking for the desktop window starts the desktop; then its size entry is no longer needed.
    if (!GetDesktopWindow()) Fail("GetDesktopWindow");
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
    return true; // the desktop handle stays open for the process's life
}();

} // namespace
