#ifndef TestsAppWineWindowsH
#define TestsAppWineWindowsH

// What the Wine tests ask of the windows the program made.

#include <vector>

#include <windows.h>

// Every window inside a top-level one.
inline std::vector<HWND> Descendants(HWND top)
{
    std::vector<HWND> windows;
    EnumChildWindows(
        top,
        [](HWND window, LPARAM into) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(into)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

#endif
