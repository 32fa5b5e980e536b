#include "acSBUtilsBrushes.h"

#include <algorithm>
#include <vector>

namespace {

struct ClassBrush {
    ATOM Atom;
    HINSTANCE Module;     // classes of one name may differ by module
    ULONG_PTR Original;   // the class's own brush (a handle or a system colour + 1)
    HBRUSH Own = nullptr; // ours while skinned
    COLORREF Color = 0;
    HWND Sample = nullptr; // the last window of the class the brush was set through
};

std::vector<ClassBrush>& Records()
{
    static std::vector<ClassBrush> list;
    return list;
}

ATOM ClassAtom(HWND wnd) { return static_cast<ATOM>(GetClassLongPtrW(wnd, GCW_ATOM)); }
HINSTANCE ClassModule(HWND wnd) { return reinterpret_cast<HINSTANCE>(GetClassLongPtrW(wnd, GCLP_HMODULE)); }

std::vector<ClassBrush>::iterator Find(HWND wnd)
{
    const ATOM atom = ClassAtom(wnd);
    const HINSTANCE module = ClassModule(wnd);
    return std::find_if(Records().begin(), Records().end(),
                        [&](const ClassBrush& r) { return r.Atom == atom && r.Module == module; });
}

} // namespace

void SetClassSkinBrush(HWND wnd, TColor color)
{
    if (!wnd || !IsWindow(wnd)) return;
    const COLORREF rgb = static_cast<COLORREF>(color) & 0xFFFFFF;
    auto it = Find(wnd);
    if (it == Records().end()) {
        Records().push_back({ClassAtom(wnd), ClassModule(wnd), GetClassLongPtrW(wnd, GCLP_HBRBACKGROUND)});
        it = Records().end() - 1;
    }
    it->Sample = wnd;
    if (it->Own && it->Color == rgb) return;
    HBRUSH brush = CreateSolidBrush(rgb);
    SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    if (it->Own) DeleteObject(it->Own);
    it->Own = brush;
    it->Color = rgb;
}

void RestoreClassBrush(HWND wnd)
{
    if (!wnd || !IsWindow(wnd)) return;
    auto it = Find(wnd);
    if (it == Records().end()) return;
    SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(it->Original));
    if (it->Own) DeleteObject(it->Own);
    Records().erase(it);
}

void RestoreAllClassBrushes()
{
    // The class long is reached through a window of the class: the last one used while it lives,
    // else a message-only window of the class made for the moment. A class that cannot be
    // reached keeps our brush, which then stays alive.
    for (ClassBrush& r : Records()) {
        HWND wnd = r.Sample && IsWindow(r.Sample) && ClassAtom(r.Sample) == r.Atom ? r.Sample : nullptr;
        HWND probe = nullptr;
        if (!wnd)
            wnd = probe = CreateWindowExW(0, MAKEINTATOM(r.Atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, r.Module, nullptr);
        if (!wnd) continue;
        SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(r.Original));
        if (probe) DestroyWindow(probe);
        if (r.Own) DeleteObject(r.Own);
    }
    Records().clear();
}

int ChangedClassBrushCount() { return static_cast<int>(Records().size()); }
