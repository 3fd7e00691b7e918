#pragma once

#include <string_view>

namespace quellmoor {

// The ways the game says no. The four differ only in spacing and line breaks, and each
// command keeps its own: a refusal that lacks its final line break lets the next output
// begin on the same line, and transcripts of play depend on every byte.

/// Unknown words; "talk", "climb", "buy" and "drink" in the wrong place.
inline constexpr std::string_view kCanNotDoThat = "\n\nYou can not do that here\n";
/// "open" away from the trash cans; an unknown choice in the spell shop.
inline constexpr std::string_view kCanNotDoThatUnended = "\n\nYou can not do that here";
/// A move where there is no exit; "teleport" away from a pedestal.
inline constexpr std::string_view kCannotDoThat = "\n\nYou cannot do that here\n";
/// "attack" where no opponent waits.
inline constexpr std::string_view kCannotAttackHere = "\nYou cannot do that here\n\n";

}  // namespace quellmoor
