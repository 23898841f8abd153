// The one include through which provider code reaches the platform: the public Windows and MAPI SDK
// headers on Windows, and the project's stand-ins with the same names on Linux.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <mapicode.h>
#include <mapidefs.h>
#include <mapiguid.h>
#include <mapitags.h>
#include <mapiutil.h>
#include <mapix.h>
