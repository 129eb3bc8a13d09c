// What a simulated window publishes through the accessibility interfaces: a program that
// draws its own caret (a browser engine, a terminal, a WinUI program) and how it answers.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"

namespace sevalune::sim {

struct SimAccessible {
  // The interface the program answers through; the other one finds nothing.
  enum class Interface { Msaa, Uia };
  Interface via = Interface::Msaa;
  // Screen rectangles as the program reports them, sense or nonsense; nullopt: none.
  std::optional<Rect> caret;      // MSAA: the OBJID_CARET object; UIA: the caret range
  std::optional<Rect> selection;  // UIA only: a collapsed selection of the text pattern
  std::optional<Rect> focus;      // MSAA: OBJID_CLIENT's focused child; UIA: focused element
  // UIA only: a caret range without rectangles of its own, nor for the character after it,
  // as at the end of a text: the character before it (`before`), else its line (`line`, an
  // empty text) has one.
  std::optional<Rect> before;
  std::optional<Rect> line;
  // How long a round of calls into the program takes; beyond the round's limit the round
  // is given up.
  std::uint32_t roundMs = 1;
  // A tree built only once asked: the first this many rounds find nothing.
  std::uint32_t lazyRounds = 0;
  std::uint32_t roundsAsked = 0;  // counted by the desktop
};

}  // namespace sevalune::sim
