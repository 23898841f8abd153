// Composing a recipient name.
#include "rules/recipient_name.h"

#include <cstring>

namespace abk {

void ComposeRecipientName(const char* prefix, const char* first, const char* last, const char* suffix, char* out,
                          size_t outSize) {
  const char* parts[] = {prefix, first, last, suffix};
  size_t used = 0;
  size_t room = outSize - 1;
  for (const char* part : parts) {
    if (!part || !*part) continue;
    if (used > 0 && used < room) out[used++] = ' ';
    size_t length = strlen(part);
    if (length > room - used) length = room - used;
    memcpy(out + used, part, length);
    used += length;
  }
  out[used] = '\0';
}

std::string ComposeRecipientName(const std::string& prefix, const std::string& first, const std::string& last,
                                 const std::string& suffix) {
  std::string name;
  for (const std::string* part : {&prefix, &first, &last, &suffix}) {
    if (part->empty()) continue;
    if (!name.empty()) name += ' ';
    name += *part;
  }
  return name;
}

} // namespace abk
