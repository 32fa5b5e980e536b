#pragma once
// The bits of a skin provider's (or a skinned dialog's) form-state word FFormState: one named
// constant per bit. The word is shared by the provider, its border window, the animations and
// the core's freezing and scaling routines; each bit lists what it means to those that set or
// test it (where two of them describe a bit differently, it is still one flag).
//
// Write the word through TsSkinProvider::SetFormState: FS_HIDDEN and FS_RESTORING disable the
// form's child alignment while either is set.
#include <cstdint>

// The provider places its border window itself: the region code must not re-enter on its own
// SetWindowPos calls, and the border window keeps its z-order.
inline constexpr std::uint32_t FS_BORDERPLACING = 0x1;
// The form is moved or blended by an animation (blend on moving), or its paint event draws into
// the cache: activation is handled elsewhere (WM_NCACTIVATE leaves FormActive alone), the
// shadow is not hit-tested and the border region is reduced.
inline constexpr std::uint32_t FS_MOVEBLEND = 0x80;
// The form is minimizing or was hidden by an animation: alignment is disabled, the border
// window swallows its hide, a minimize step sets Minimized.
inline constexpr std::uint32_t FS_HIDDEN = 0x100;
// A hide animation has taken the window image; the border window's WM_SHOWWINDOW passes on
// untouched.
inline constexpr std::uint32_t FS_IMAGETAKEN = 0x200;
// The form is being shown or restored by the provider's animation: alignment is disabled and
// WM_NCACTIVATE is ignored completely.
inline constexpr std::uint32_t FS_RESTORING = 0x400;
// A taskbar-preview bitmap is being rendered.
inline constexpr std::uint32_t FS_PREVIEWING = 0x800;
// The stored form image is being copied (skin change); the border window's region is the whole
// window.
inline constexpr std::uint32_t FS_COPYING = 0x1000;
// No border window may be created.
inline constexpr std::uint32_t FS_NOBORDERFORM = 0x2000;
// A position correction is pending: the form was stretched to the work area's full height
// (0x4000) or width (0x8000) by a double click on its edge.
inline constexpr std::uint32_t FS_FULLHEIGHT = 0x4000;
inline constexpr std::uint32_t FS_FULLWIDTH = 0x8000;
// The form is frozen for a skin or scale change (the core's LockForms/UnLockForms and scaling).
inline constexpr std::uint32_t FS_FROZEN = 0x10000;
// The form's own scroll wrapper is being made (guards its re-entry).
inline constexpr std::uint32_t FS_SCROLLWRAPPING = 0x20000;
// Set and cleared by library command 63, reported by command 64 (redrawing held while a glued
// form moves).
inline constexpr std::uint32_t FS_CMDSTATE = 0x40000;
// A maximize is running.
inline constexpr std::uint32_t FS_MAXIMIZING = 0x80000;
// The form is disabled and shown blended.
inline constexpr std::uint32_t FS_DISABLEDBLEND = 0x100000;
// WM_NCACTIVATE is being handled.
inline constexpr std::uint32_t FS_NCACTIVATING = 0x200000;
// A restore is running; restore steps pause meanwhile.
inline constexpr std::uint32_t FS_RESTORERUNNING = 0x400000;
// The blur code changes the form's border style.
inline constexpr std::uint32_t FS_BLURSTYLING = 0x800000;
// A DPI change is applied through the framework's scaling path; the border window does not
// update its positions meanwhile.
inline constexpr std::uint32_t FS_VCLSCALING = 0x1000000;
// The form's system blur is active (a blur update is due).
inline constexpr std::uint32_t FS_BLURACTIVE = 0x2000000;

// Painting and moving held during a scale change.
inline constexpr std::uint32_t FS_SCALING = FS_COPYING | FS_HIDDEN | FS_MOVEBLEND; // 0x1180
inline constexpr std::uint32_t FS_ANIMSCALING = FS_SCALING | FS_FROZEN;           // 0x11180
static_assert(FS_SCALING == 0x1180 && FS_ANIMSCALING == 0x11180);
