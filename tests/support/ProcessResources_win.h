// ProcessResources: what the process holds of the window system and of memory, for tests that
// check that the block leaves nothing behind.
#pragma once

#include <windows.h>

#include <cstddef>

// Live GDI objects of the process. Windows counts them (GetGuiResources); Wine answers 0 there,
// so under Wine the process's handle table is probed instead: a handle without generation bits
// names the object in that slot, whatever its generation.
int GdiObjectCount();

// Windows of the process, top-level and child windows alike (the USER objects a block makes).
int WindowCount();

// Memory the process has taken: its committed private bytes where the system counts them, else
// (Wine) its working set.
size_t ProcessMemory();
