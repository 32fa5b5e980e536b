#pragma once
// Bits of the CtrlSkinState word of a control's skin data. Every bit any part of the library
// sets or tests is named here, so no two users pick the same one.
#include <cstdint>

inline constexpr std::uint32_t ACS_PRINTING = 0x200;        // printing: paint into the skin data's PrintDC
inline constexpr std::uint32_t ACS_MNUPDATING = 0x400;      // a form's menu changed and waits for a repaint
inline constexpr std::uint32_t ACS_LOCKED = 0x800;          // between BeginUpdate and EndUpdate
inline constexpr std::uint32_t ACS_NOFLOATLABEL = 0x1000;   // an edit shows no floating label on entry
inline constexpr std::uint32_t ACS_CHANGING = 0x2000;       // the skin's colours are being written into the control
inline constexpr std::uint32_t ACS_TEXTMOVING = 0x4000;     // an edit's text hint is flying into its bound label
inline constexpr std::uint32_t ACS_WIDTHCHANGING = 0x8000;  // the width changes (until the next WM_SIZE)
inline constexpr std::uint32_t ACS_HEIGHTCHANGING = 0x10000; // the height changes (until the next WM_SIZE)
inline constexpr std::uint32_t ACS_CACHEREADY = 0x20000;   // the cache holds a finished image
inline constexpr std::uint32_t ACS_FRAMECHANGED = 0x40000;  // frame and layout are recomputed at the next paint
inline constexpr std::uint32_t ACS_FOCUSCACHE = 0x80000;    // paint from the cache even when focused
inline constexpr std::uint32_t ACS_SCALEANIMATING = 0x1000000; // a scale animation is running
