#pragma once
// What the files of the shell unit share among themselves: the desktop item and the workers
// left at shut-down.
#include "acShellCtrls.h"

#include <memory>

void acSetDesktopFolder(std::unique_ptr<TacShellFolder> folder);
// acFreeChangeThreads (declared with the thread class) ends and frees every change worker still
// alive, on the main thread.
