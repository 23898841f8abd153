// Records the WinHelpA calls the code under test makes, instead of starting a help viewer. On Linux the
// platform layer records them; on Windows a module's import of WinHelpA (the test program's own, or
// the loaded provider's) is redirected while a capture lives.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace abktest {

struct HelpRequest {
  HWND window;
  std::optional<std::string> file; // none when the call gave a null file name
  UINT command;
  ULONG_PTR data;
};

class HelpCapture {
public:
  explicit HelpCapture(HMODULE module = nullptr);
  ~HelpCapture();
  HelpCapture(const HelpCapture&) = delete;
  HelpCapture& operator=(const HelpCapture&) = delete;

  std::vector<HelpRequest> Requests() const;
};

} // namespace abktest
