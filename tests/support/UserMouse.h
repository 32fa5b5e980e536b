#pragma once
// The user's mouse in tests: absolute moves, presses and releases at screen points, queued at once
// through SendInput, so the window system sees what a person's mouse would give.
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace user_mouse {
inline INPUT At(POINT screen, DWORD flags)
{
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65535, w);
    in.mi.dy = MulDiv(screen.y, 65535, h);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}
inline void Send(std::initializer_list<INPUT> inputs)
{
    std::vector<INPUT> list(inputs);
    SendInput(static_cast<UINT>(list.size()), list.data(), sizeof(INPUT));
}
inline void MoveTo(POINT p) { Send({At(p, 0)}); }
inline void Press(POINT p) { Send({At(p, 0), At(p, MOUSEEVENTF_LEFTDOWN)}); }
inline void Release(POINT p) { Send({At(p, MOUSEEVENTF_LEFTUP)}); }
inline void Click(POINT p) { Send({At(p, 0), At(p, MOUSEEVENTF_LEFTDOWN), At(p, MOUSEEVENTF_LEFTUP)}); }
inline void RightClick(POINT p) { Send({At(p, 0), At(p, MOUSEEVENTF_RIGHTDOWN), At(p, MOUSEEVENTF_RIGHTUP)}); }
inline void DoubleClick(POINT p)
{
    Send({At(p, 0), At(p, MOUSEEVENTF_LEFTDOWN), At(p, MOUSEEVENTF_LEFTUP), At(p, MOUSEEVENTF_LEFTDOWN),
          At(p, MOUSEEVENTF_LEFTUP)});
}
// A client point of a window on the screen.
inline POINT Screen(HWND window, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}
} // namespace user_mouse
