// What a photograph of a dialog must show before it is kept: more than a few colours, and a caption
// band drawn in one of the system's caption colours with the caption's text on it. A picture taken
// before the display caught up (all black, or one colour) or of the wrong part of the screen fails the
// test that took it instead of ending up in the documentation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels; // 0xRRGGBB, top row first
};

struct DialogLook {
  // The caption band in the picture: left and top included, right and bottom excluded.
  int captionLeft = 0, captionTop = 0, captionRight = 0, captionBottom = 0;
  std::vector<std::uint32_t> captionColours; // active and inactive caption colours and their gradients
};

// An empty text when the picture shows a dialog with its caption; else what is wrong with it.
std::string ProblemWithPicture(const Picture& picture, const DialogLook& look);

} // namespace host
