#include "play/loop_commands.hpp"

#include <string_view>

#include "game/game.hpp"
#include "game/refusals.hpp"

namespace quellmoor {
namespace {

constexpr RoomId kLadderFoot = 57;  // the fountain in the Labyrinth
constexpr RoomId kLadderTop = 67;   // the Mage's Guild hall
constexpr RoomId kFortuneTeller = 24;
constexpr std::int32_t kHiddenGold = 50000;

struct Spell {
    std::int32_t GameState::*owned;
    std::int32_t GameState::*pending;
    std::int32_t manaCost;
    std::string_view armedMessage;
};

constexpr Spell kAmplify{&GameState::hasAmplify, &GameState::amplifyPending, 51,
                         "\n\nAmplify Damage will commence upon your next attack against your "
                         "opponent\n"};
constexpr Spell kWeaken{&GameState::hasWeaken, &GameState::weakenPending, 49,
                        "\n\nWeaken will commence upon your next attack against your opponent\n"};

// Casting an armed spell again costs its mana again; the effect does not stack.
void cast(Game& game, const Spell& spell) {
    GameState& state = game.state;
    if (state.*spell.owned != 1) {
        game.console.print("\n\nYou do not have that spell\n");
    } else if (state.mana < spell.manaCost) {
        game.console.print("\n\nYou do not have enough mana to cast that spell\n");
    } else {
        state.*spell.pending = 1;
        state.mana -= spell.manaCost;
        game.console.print(spell.armedMessage);
    }
}

}  // namespace

void quit(Game& game) {
    game.state.gameOver = 1;
}

void castAmplify(Game& game) {
    cast(game, kAmplify);
}

void castWeaken(Game& game) {
    cast(game, kWeaken);
}

// Climbing moves the player without a map, without arming an opponent and without
// forgetting a kill: only the four moves do those.
void climb(Game& game) {
    if (game.state.room == kLadderFoot) {
        game.console.print("\n\nYou climb up the ladder\n");
        game.state.room = kLadderTop;
    } else if (game.state.room == kLadderTop) {
        game.console.print("\n\nYou climb down the ladder\n");
        game.state.room = kLadderFoot;
    } else {
        game.console.print(kCanNotDoThat);
    }
}

void talk(Game& game) {
    if (game.state.room != kFortuneTeller) {
        refuseUnknownWord(game);
        return;
    }
    game.console.print(
        "\n\nIt is good that you are willing to listen to what fortune brings,\n"
        "It would be advisable to OPEN some cans and take what is given to you.\n"
        "Also, be watchful for objects that you might be able to CLIMB.\n"
        "Your future shows a great battle with a creature from the dark depths below.\n"
        "Finally, I wish you luck on your quest.\n");
}

void grantGold(Game& game) {
    game.state.gold = kHiddenGold;
}

void refuseUnknownWord(Game& game) {
    game.console.print(kCanNotDoThat);
}

}  // namespace quellmoor
