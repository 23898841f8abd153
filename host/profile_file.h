// The profile file: the service's display name, address-book file path and service identifier kept
// between runs of the host, one "key=value" line each (text in Windows-1252, the identifier in hex).
#pragma once

#include <string>

#include "host/profile_section.h"

namespace host {

// Fills the section from the file; false when the file cannot be read.
bool LoadProfileFile(const std::string& path, ProfileSection* section);
// Writes the section's three properties to the file, creating its folder; false on failure.
bool SaveProfileFile(const std::string& path, const ProfileSection& section);
// The user's own profile file: $ABK_PROFILE_FILE, else abk/profile in the user's configuration folder.
std::string DefaultProfileFile();

} // namespace host
