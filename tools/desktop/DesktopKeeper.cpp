// Holds Wine's desktop for a whole test run. Wine starts its desktop process for the first
// program that needs it and ends it soon after the last such program; a desktop started by a
// test inherits that test's output pipes and keeps CTest waiting for the test long after it has
// ended. Started first, with output that nobody waits for, this program owns the desktop's start
// and keeps it alive until its standard input ends.
#include <windows.h>

#include <cstdio>

int main()
{
    if (!GetDesktopWindow()) return 1;
    std::printf("desktop ready\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    }
    return 0;
}
