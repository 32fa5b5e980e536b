#pragma once
// Control and window utilities of the skin library.

// Around window and bitmap calls whose errors the library ignores; they do nothing.
inline void ResetLastError() {}
inline void CheckLastError() {}
