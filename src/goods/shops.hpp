#pragma once

namespace quellmoor {

struct Game;

/// "buy": opens the dialog of the shop in the current room; refused elsewhere.
///
/// The dialog shows its menu, then reads one selection word at a time: an item is sold
/// (or refused for want of gold) and the dialog ends; the leave word ends it; anything
/// else is answered and the menu shown again. At most one item is sold per dialog, and
/// if the input ends, the player leaves the shop.
void buy(Game& game);

}  // namespace quellmoor
