// Linux stand-in for <windows.h>: Win32 types, COM basics and the kernel calls we implement.
#ifndef _WINDOWS_
#define _WINDOWS_
#define ABK_WINDOWS_H

#include "abk_com.h"
#include "abk_kernel.h"
#include "abk_registry.h"
#include "abk_resource.h"
#include "abk_user.h"
#include "abk_winerror.h"
#include "abk_wintypes.h"

#endif // _WINDOWS_
