// A program that only waits: tests copy it under a game client's name and run
// it, so the process list shows that name. It ends by itself after a minute
// in case a test could not end it.
#include <windows.h>

int main() {
    ::Sleep(60000);
    return 0;
}
