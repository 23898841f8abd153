// Item lists shared by list boxes and combo boxes: sorted insertion and exact search without case.
#include "window.h"

namespace abkwin {

int SortedPosition(const std::vector<ListItem>& items, const char* text) {
  int position = 0;
  int count = static_cast<int>(items.size());
  while (position < count && lstrcmpiA(items[position].text.c_str(), text) <= 0)
    ++position;
  return position;
}

int FindExact(const std::vector<ListItem>& items, int start, const char* text) {
  int count = static_cast<int>(items.size());
  if (!text || count == 0) return -1;
  if (start < -1 || start >= count) start = -1;
  for (int step = 1; step <= count; ++step) {
    int index = (start + step) % count;
    if (lstrcmpiA(items[index].text.c_str(), text) == 0) return index;
  }
  return -1;
}

} // namespace abkwin
