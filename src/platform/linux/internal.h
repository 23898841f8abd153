// Helpers shared by the kernel library's source files; none of them is exported.
#ifndef ABKWIN_INTERNAL_H
#define ABKWIN_INTERNAL_H

#include <string>

#pragma GCC visibility push(hidden)

namespace abkwin {

// Absolute path of the running program (/proc/self/exe), empty if unknown.
std::string MainProgramPath();

// Absolute path of the loaded object (program or shared library) that
// contains addr, empty if the address belongs to no loaded object.
std::string ModulePathOfAddress(const void* addr);

// Everything before the last '/', i.e. the folder without trailing slash.
std::string FolderOf(const std::string& path);

} // namespace abkwin

#pragma GCC visibility pop

#endif // ABKWIN_INTERNAL_H
