#pragma once

#include <histedit.h>

namespace quellmoor {

/// Binds the editor's keys from kBoundKeys and from nothing else: every character types
/// itself but the control characters, which act only as the table binds them; every key
/// libedit's emacs mode and the terminal's description would bind of their own (Ctrl-R's
/// search, Ctrl-V's next key as text, Ctrl-X and Alt prefixes, and the like) is unbound.
/// REQUIRES: the functions the table names (the game's own) were added to `editor`.
void bindOnlyTheBoundKeys(EditLine* editor);

}  // namespace quellmoor
