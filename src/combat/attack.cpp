#include "combat/attack.hpp"

#include "combat/bounty.hpp"
#include "combat/weapons.hpp"
#include "game/game.hpp"
#include "game/refusals.hpp"
#include "game/saturating.hpp"
#include "world/opponents.hpp"

namespace quellmoor {
namespace {

constexpr std::int32_t kImpsDamage = 20;  // never amplified, never part of the strike
// Amplify Damage: the strike and half as much again.
constexpr std::int32_t kAmplifyNumerator = 300;
constexpr std::int32_t kAmplifyDenominator = 200;
// Weaken: the blow that gets through the armour is cut to 60 percent.
constexpr std::int32_t kWeakenPercent = 60;

bool isDead(std::int32_t health) {
    return health <= 0;
}

}  // namespace

void attack(Game& game) {
    if (encounterIn(game.state.room) == nullptr) {
        game.console.print(kCannotAttackHere);
        return;
    }
    playerStrike(game);
    opponentStrike(game);
}

void playerStrike(Game& game) {
    GameState& state = game.state;
    Console& console = game.console;
    if (state.opponentSlain == 1) {
        console.print("\n\nYou have already killed your opponent\n");
        return;
    }
    state.damageDealt = rollStrike(weaponFor(state.weapon), game.rng);
    if (state.amplifyPending == 1) {
        state.damageDealt = scale(state.damageDealt, kAmplifyNumerator, kAmplifyDenominator);
        state.amplifyPending = 0;
    }
    state.opponentHealth = saturatingSubtract(state.opponentHealth, state.damageDealt);
    console.print("\n\nYou have just delt ");
    console.print(state.damageDealt);
    console.print(" points of damage\n");
    if (state.hasImps == 1) {
        state.opponentHealth = saturatingSubtract(state.opponentHealth, kImpsDamage);
        console.print("Your imps deal 20 damage\n");
    }
    if (!isDead(state.opponentHealth)) {
        console.print("Your opponent has ");
        console.print(state.opponentHealth);
        console.print(" health left\n\n");
    } else {
        console.print("You have killed your opponent\n");
    }
}

void opponentStrike(Game& game) {
    GameState& state = game.state;
    if (state.opponentSlain == 1) {
        return;
    }
    if (isDead(state.opponentHealth)) {
        awardBounty(game);
        state.opponentSlain = 1;
        return;
    }
    // Only a corrupted state could get here without an armed opponent: no blow then.
    if (state.opponentDamageSpread <= 0) {
        return;
    }
    state.damageDealt = game.rng.roll(state.opponentDamageSpread, state.opponentDamageFloor);
    state.damageTaken = scale(state.damageDealt, state.armorFactor, 100);
    // Armour and Weaken each truncate in turn; they are not one combined scaling.
    if (state.weakenPending == 1) {
        state.damageTaken = scale(state.damageTaken, kWeakenPercent, 100);
        state.weakenPending = 0;
    }
    state.health = saturatingSubtract(state.health, state.damageTaken);
    if (isDead(state.health)) {
        state.playerDead = 1;
        return;
    }
    game.console.print("\n\nYou have recieved ");
    game.console.print(state.damageTaken);
    game.console.print(" points of damage");
    game.console.print("\nYou have ");
    game.console.print(state.health);
    game.console.print(" left\n\n");
}

}  // namespace quellmoor
