#pragma once
// The skin library's start-up and shut-down: the ordered table of its units with their start-up
// and shut-down routines. The program runs the table before it creates its first window and
// backwards at its end; no static constructor takes part.
#include <span>

struct TacLibraryUnit {
    const wchar_t* Name;
    void (*StartUp)();
    void (*ShutDown)();
};

// The library's units in start-up order: every unit after the units whose start-up it reads.
std::span<const TacLibraryUnit> acLibraryUnits();

// Start-up routines of units in table order; shut-down routines in reverse order.
void StartUnits(std::span<const TacLibraryUnit> units);
void ShutDownUnits(std::span<const TacLibraryUnit> units);

// The whole library.
void acLibraryStartUp();
void acLibraryShutDown();
