#include "app/startdirectory.h"

#include "platform/os/module.h"

char StartDirectory[260] = "";

void CaptureStartDirectory() {
    DWORD length = GetCurrentDirectoryA(sizeof StartDirectory, StartDirectory);
    if (length == 0 || length >= sizeof StartDirectory) StartDirectory[0] = '\0';
}
