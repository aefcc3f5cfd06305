#pragma once
// What a long-running process holds: counted the platform's way, and the Unix process's way where
// Wine answers nothing (it counts no handles, GDI or USER objects and no private bytes).

#include <windows.h>

#include <cstdio>

namespace endurance {

struct ProcessFigures {
    long handles = 0;      // GetProcessHandleCount, or the handle values that answer
    long gdiObjects = 0;   // GetGuiResources, or the live entries of the process's GDI handle table
    long userObjects = 0;  // GetGuiResources, or the windows the process owns
    long threads = 0;
    double privateMiB = 0;     // private bytes, or the Unix process's private writable data
    double workingSetMiB = 0;  // working set, or the Unix process's resident memory
};

ProcessFigures measureProcess();
void printFigures(std::FILE* out, const char* label, const ProcessFigures& figures);

}  // namespace endurance
