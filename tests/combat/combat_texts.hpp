#pragma once

// What fights print, as the tests of combat and of whole games expect it.

#include <string>

namespace quellmoor::testing {

inline std::string strikeLine(int damage) {
    return "\n\nYou have just delt " + std::to_string(damage) + " points of damage\n";
}
inline std::string healthLeft(int health) {
    return "Your opponent has " + std::to_string(health) + " health left\n\n";
}
inline std::string blowLines(int taken, int health) {
    return "\n\nYou have recieved " + std::to_string(taken) + " points of damage\nYou have " +
           std::to_string(health) + " left\n\n";
}
inline std::string payout(int gold) {
    return "\n\nYou have received, " + std::to_string(gold) + " gold\n";
}

inline const std::string kImpsLine = "Your imps deal 20 damage\n";
inline const std::string kKilled = "You have killed your opponent\n";
inline const std::string kAlreadyKilled = "\n\nYou have already killed your opponent\n";
inline const std::string kVictoryScreen =
    "\n\n\nYOU WIN!!!!!\nThank you for playing our game!\n\n"
    "\n\nPassword = Vormel\n\n"
    "\n\nSend this password via email to:\n"
    "\n\nquellmoor@example.com\n\n"
    "\n\nTell us what you think and ask for the 'Special Cheat'"
    "\n\nThanks again for playing Quellmoor";

}  // namespace quellmoor::testing
