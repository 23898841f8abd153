// Records the WinHelpA calls the code under test makes, instead of starting a help viewer. On Linux the
// platform layer records them; on Windows the test program's own import of WinHelpA is redirected
// while a capture lives.
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
  HelpCapture();
  ~HelpCapture();
  HelpCapture(const HelpCapture&) = delete;
  HelpCapture& operator=(const HelpCapture&) = delete;

  std::vector<HelpRequest> Requests() const;
};

} // namespace abktest
