// Writes the house test skin in its three shapes into a folder for a person to look at:
// <folder>\HouseSkin\, <folder>\HouseSkin.asz and <folder>\HouseSkin.txt (the stored skin).
#include "house_skin.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: house_skin_tool <folder>\n");
        return 2;
    }
    const int n = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
    UnicodeString dir(static_cast<std::size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, argv[1], -1, dir.data(), n);
    try {
        if (!house_skin::WriteAll(dir)) {
            std::fprintf(stderr, "could not write the skin into %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("written: %s\n", argv[1]);
    return 0;
}
