#pragma once

// The small commands the command loop carries out itself.

namespace quellmoor {

struct Game;

/// "quit": ends the game; the loop then says goodbye.
void quit(Game& game);
/// "amplify": arms Amplify Damage for the next strike, for 51 mana.
void castAmplify(Game& game);
/// "weaken": arms Weaken for the opponent's next blow, for 49 mana.
void castWeaken(Game& game);
/// "climb": the ladder between the fountain (room 57) and the Mage's Guild (room 67).
void climb(Game& game);
/// "talk": the fortune teller's advice in room 24; refused elsewhere.
void talk(Game& game);
/// The hidden gold word: sets gold to 50000, silently.
void grantGold(Game& game);
/// Any word the command table does not know.
void refuseUnknownWord(Game& game);

}  // namespace quellmoor
