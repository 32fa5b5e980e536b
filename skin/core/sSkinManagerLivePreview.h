#pragma once
// Live preview with the skin editor: the record the editor sends (the edited skin text, its
// folder and the name of the changed section) and what the default manager does with it, and
// the task bar's iconic bitmaps of a window.
#include <windows.h>

#include <array>
#include <cstdint>

class TsSkinManager;

inline constexpr std::int32_t acSkinEditorMagic = 0xA400;

// The record carried by WM_COPYDATA, byte for byte. Texts are 8-bit in the system code page,
// zero-terminated unless they fill their whole width.
#pragma pack(push, 1)
struct TacSkinEditorData {
    std::int32_t Magic = 0;          // acSkinEditorMagic
    std::array<char, 128> Name1{};   // skin name
    std::array<char, 128> Name2{};   // changed section; empty when the whole skin changed
    std::array<char, 512> Data1{};   // skin directory
    std::array<char, 40001> Data2{}; // the whole options text
};
#pragma pack(pop)
static_assert(sizeof(TacSkinEditorData) == 40773);

// The skin files of a folder are preferred to packed ones (set by the live preview).
extern bool UnPackedFirst;

// Applies the manager's PreviewBuffer: a record with the magic loads the received skin text with
// the images of its folder, repainting only the changed section when that is all that changed.
// Repaint is not consulted.
void ReceiveData(TsSkinManager* Manager, bool Repaint);
// With thumbnail previews on, tells the desktop window manager whether Wnd draws its own iconic
// bitmaps and has them fetched again.
void UpdatePreview(HWND Wnd, bool Value);
