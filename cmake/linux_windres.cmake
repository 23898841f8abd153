# The Linux build compiles the Windows resource scripts into .res files that the platform layer reads.
# windres runs mingw's own C compiler as its preprocessor, against the mingw-w64 headers (windows.h,
# commctrl.h), exactly as the Windows build does. Left to itself, windres falls back to the host's gcc
# when mingw's is missing, and that gcc has no windows.h: name both programs here so that a missing
# package stops the configure step with the program's name instead of failing deep in the build.
find_program(ABK_WINDRES x86_64-w64-mingw32-windres REQUIRED)
find_program(ABK_RC_PREPROCESSOR NAMES x86_64-w64-mingw32-gcc x86_64-w64-mingw32-gcc-posix
                                       x86_64-w64-mingw32-gcc-win32 REQUIRED)
# An explicit preprocessor gets none of windres's default arguments, so they are given here.
set(ABK_WINDRES_COMMAND
    ${ABK_WINDRES} --preprocessor=${ABK_RC_PREPROCESSOR} --preprocessor-arg=-E --preprocessor-arg=-xc
    --preprocessor-arg=-DRC_INVOKED)
