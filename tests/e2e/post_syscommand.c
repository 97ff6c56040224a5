/* Posts WM_SYSCOMMAND with a command (hex, e.g. F020 to minimise, F120 to
 * restore) to the top-level window of that title, for the end-to-end scripts,
 * which have no other way to minimise a window without a window manager.
 *
 *   post_syscommand TITLE HEXCODE      exit code 1 when no such window */
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv)
{
    HWND window = argc == 3 ? FindWindowA(NULL, argv[1]) : NULL;
    if (window == NULL)
        return 1;
    return PostMessageA(window, WM_SYSCOMMAND, strtoul(argv[2], NULL, 16), 0) ? 0 : 1;
}
