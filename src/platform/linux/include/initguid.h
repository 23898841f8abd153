// Linux stand-in for <initguid.h>: our GUIDs are always inline constants, so this only sets INITGUID.
#ifndef INITGUID
#define INITGUID
#endif
#include <windows.h>
