// Checks a dialog's photograph before it is kept (see picture_check.h).
#include "host/picture_check.h"

#include <cstdio>
#include <cstdlib>
#include <set>

namespace host {

namespace {

// Fewer colours than this is no dialog: a frame, a face, text and a caption already make four.
constexpr size_t kFewestColours = 4;

// Displays of fewer than 24 bits round colours a little.
bool NearlyEqual(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > 8) return false;
  }
  return true;
}

bool IsCaptionColour(std::uint32_t pixel, const std::vector<std::uint32_t>& colours) {
  for (std::uint32_t colour : colours) {
    if (NearlyEqual(pixel, colour)) return true;
  }
  return false;
}

std::string Hex(std::uint32_t colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour & 0xFFFFFF));
  return text;
}

} // namespace

std::string ProblemWithPicture(const Picture& picture, const DialogLook& look) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) {
    return "the picture is empty";
  }
  std::set<std::uint32_t> colours(picture.pixels.begin(), picture.pixels.end());
  if (colours.size() < kFewestColours) {
    return "the picture is blank: " + std::to_string(colours.size()) + " colour(s), the first " + Hex(*colours.begin());
  }
  if (look.captionLeft < 0 || look.captionTop < 0 || look.captionRight <= look.captionLeft ||
      look.captionBottom <= look.captionTop || look.captionRight > picture.width ||
      look.captionBottom > picture.height) {
    return "the picture has no caption area";
  }

  // The caption band is mostly caption colour, and its left half (where the buttons are not) has the
  // caption's text drawn on it.
  size_t inCaptionColour = 0, total = 0, textPixels = 0;
  for (int row = look.captionTop; row < look.captionBottom; ++row) {
    for (int column = look.captionLeft; column < look.captionRight; ++column) {
      std::uint32_t pixel = picture.pixels[static_cast<size_t>(row) * picture.width + column];
      ++total;
      if (IsCaptionColour(pixel, look.captionColours)) {
        ++inCaptionColour;
      } else if (column < (look.captionLeft + look.captionRight) / 2) {
        ++textPixels;
      }
    }
  }
  if (inCaptionColour * 3 < total) {
    return "the caption area is not drawn: " + std::to_string(inCaptionColour) + " of " + std::to_string(total) +
           " pixels in a caption colour";
  }
  if (textPixels == 0) return "the caption area shows no caption text";
  return "";
}

} // namespace host
