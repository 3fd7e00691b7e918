// A whole game from the banner to the demon's death, without the hidden gold word.
//
// How the route was chosen: it is built to win whatever the generator draws, so it rests
// only on the game's tables, not on any particular roll.
//  - Every real fight is planned for the worst case. It starts at full health and sends as
//    many attacks as the weakest possible strikes need for the kill (spare attacks after
//    the kill only say so); between them it drinks a healing potion often enough that the
//    strongest possible blows, cut by the armour worn, can never take health to 0.
//    The wildebeast with fists: 6 attacks, at most 5 blows of 15. The griffin with the club
//    and leather armour: at most 10 attacks and 9 blows of 18, a potion after the fifth
//    attack. The huge burly man with the axe, chain mail and the imps (62 a strike at
//    least): at most 7 attacks and 6 blows of 30, a potion after the third. The demon with
//    the Battle Axe of Might, the Bone Armor of Might and the imps: Amplify Damage makes
//    the first strike at least 185, every later one at least 130, so at most 12 attacks
//    and 11 blows, the first at most 18 under Weaken and the others at most 30; a potion
//    after every third attack.
//  - Gold comes from those opponents. After the first kill, each refused move ("n" leads
//    nowhere in rooms 8, 4 and 16) lets the dead opponent be struck and paid once more
//    without a blow in return, so the number of payouts needed is the price of the next
//    purchases divided by the bounty floor (3, 4 and 26 gold), rounded up.
//  - Health is restored between fights at the spring (room 9), the well (20) and the
//    fountain (57); the imps come from the trash cans of room 22; the spells from room 68
//    up the ladder of room 57, paid for with a mana potion from room 66.
//
// What is checked: every payout lies in its opponent's bounty range and their count is
// the number of kills; the gold on every stats screen is the sum of the payouts less the
// prices of the goods bought so far; the stats screens at the checkpoints show the goods
// bought; the game ends with the demon's kill, the victory screen and goodbye.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "combat/combat_texts.hpp"
#include "support/test_game.hpp"

namespace quellmoor {
namespace {

using namespace quellmoor::testing;

class Script {
  public:
    /// Adds words, separated by blanks, to be typed one after another.
    Script& operator()(const std::string& words, int times = 1) {
        for (int i = 0; i < times; ++i) {
            text_ += words + "\n";
        }
        return *this;
    }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

struct Checkpoint {
    const char* weapon;
    const char* armor;
    std::int32_t healingPotions;
    std::int32_t manaPotions;
};

struct Bounty {
    int floor;
    int top;
    int payouts;
};

std::string playTheRoute() {
    Script play;
    play("stats");  // checkpoint 0
    // Lord Tavrin's Domain: the wildebeast with fists, then 96 more payouts (97 x 3 >= 290).
    play("w")("attack", 6)("n attack", 96);
    play("e n w drink e e")("buy 1")("buy 4");  // the spring, then the club and leather armour
    play("w s s w")("buy 1")("stats");          // a healing potion at the healer's; checkpoint 1
    // The griffin with the club, then 212 more payouts (213 x 4 >= 850).
    play("e n e")("attack", 5)("heal")("attack", 5)("n attack", 212);
    // Great Britton: a healing potion at the cart, the well, the axe and chain mail, the imps.
    play("w teleport 1 e e e e e")("buy 1")("s drink n w s")("buy 3")("buy 5");
    play("n w s s w open")("stats");  // checkpoint 2
    // The huge burly man, then 169 more payouts (170 x 26 >= 4400).
    play("w n")("attack", 3)("heal")("attack", 4)("n attack", 169);
    // The Labyrinth: Brutus's best weapon and armour, the fountain, up the ladder.
    play("e teleport 2 n n n n")("buy 3")("buy 5")("s s s e drink")("stats");  // checkpoint 3
    play("climb n e")("buy 1")("w s s w")("buy 1")("buy 2")("stats");          // checkpoint 4
    // Down again, three healing potions from the old woman, then the dungeon.
    play("e n climb drink s e e e")("buy 1", 3)("w w w s");
    play("mana amplify weaken")("stats");  // checkpoint 5
    play("attack", 3)("heal")("attack", 3)("heal")("attack", 3)("heal")("attack", 3);
    return playWholeGame(play.text());
}

TEST(GoodsVictoryPlaythrough, EarnsEverythingByFightingAndKillsTheDemon) {
    const std::string output = playTheRoute();

    struct Purchase {
        const char* item;
        std::int32_t price;
    };
    // clang-format off
    const std::vector<Purchase> shoppingList = {
        {"a club", 30}, {"some leather armor", 110}, {"a healing potion", 150},
        {"a healing potion", 150}, {"an axe", 350}, {"some chain mail", 350},
        {"the Battle Axe of Might", 1000}, {"the Bone Armor of Might", 1200},
        {"a mana potion", 350}, {"a scroll of Amplify Damage and memorize it.", 800},
        {"a scroll of Weaken and memorize it.", 600},
        {"a healing potion", 150}, {"a healing potion", 150}, {"a healing potion", 150}};
    // clang-format on
    const char* kBattleAxe = "Battle Axe of Might 110-130 damage";
    const char* kBoneArmor = "Bone Armor of Might";
    const std::vector<Checkpoint> checkpoints = {
        {"Fists 4 damage", "Tunic", 0, 0},
        {"Club 5-8 damage", "Leather Armor", 1, 0},
        {"Axe 42-53 damage", "Chain Mail", 1, 0},
        {kBattleAxe, kBoneArmor, 0, 0},
        {kBattleAxe, kBoneArmor, 0, 1},
        {kBattleAxe, kBoneArmor, 3, 0},  // the mana potion's 100 spent on the spells
    };
    // Payouts between two checkpoints: the wildebeast, the griffin, the huge burly man.
    const std::vector<Bounty> bounties = {{3, 6, 97}, {4, 10, 213}, {26, 60, 170}};

    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }

    std::int64_t gold = 0;
    std::size_t screens = 0;
    std::vector<int> payouts(checkpoints.size(), 0);
    std::size_t bought = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("You have received, ", 0) == 0) {
            const int bounty = std::stoi(line.substr(19));
            ASSERT_GT(screens, 0u);
            ASSERT_LE(screens, bounties.size()) << "a payout after the last farm: " << line;
            const Bounty& range = bounties[screens - 1];
            EXPECT_GE(bounty, range.floor) << line;
            EXPECT_LE(bounty, range.top) << line;
            EXPECT_EQ(line, "You have received, " + std::to_string(bounty) + " gold");
            ++payouts[screens - 1];
            gold += bounty;
        } else if (line.rfind("You have purchased ", 0) == 0) {
            ASSERT_LT(bought, shoppingList.size()) << line;
            EXPECT_EQ(line.substr(19), shoppingList[bought].item);
            gold -= shoppingList[bought++].price;
            EXPECT_GE(gold, 0) << line;
        } else if (line.rfind("Health: ", 0) == 0) {
            ASSERT_LT(screens, checkpoints.size());
            ASSERT_LE(i + 7, lines.size());
            const Checkpoint& c = checkpoints[screens];
            const std::vector<std::string> expected = {
                "Health: 100/100",
                "Mana: 0/100",
                std::string("Weapon: ") + c.weapon,
                std::string("Armor: ") + c.armor,
                "Gold: " + std::to_string(gold),
                "Healing Potions: " + std::to_string(c.healingPotions),
                "Mana Potions: " + std::to_string(c.manaPotions),
            };
            EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                               lines.begin() + static_cast<std::ptrdiff_t>(i + 7)),
                      expected)
                << "checkpoint " << screens;
            ++screens;
        }
    }
    EXPECT_EQ(screens, checkpoints.size());
    for (std::size_t farm = 0; farm < bounties.size(); ++farm) {
        EXPECT_EQ(payouts[farm], bounties[farm].payouts) << "farm " << farm;
    }
    EXPECT_EQ(payouts[3] + payouts[4] + payouts[5], 0);
    EXPECT_EQ(bought, shoppingList.size());

    auto count = [&](const std::string& text) {
        int found = 0;
        for (auto at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) {
            ++found;
        }
        return found;
    };
    EXPECT_EQ(count("You have killed your opponent\n"), 97 + 213 + 170 + 1);
    EXPECT_EQ(count("\n\nYou discover a handfull of imps who you take to help you fight\n"), 1);
    EXPECT_EQ(count("\n\nYou climb up the ladder\n"), 1);
    EXPECT_EQ(count("\n\nYou climb down the ladder\n"), 1);
    EXPECT_EQ(count("\nYou drink the mana potion\n"), 1);
    // One potion in each of the first two fights; the demon may fall before all three.
    EXPECT_GE(count("\n\nYou drink a healing potion\n"), 2);
    EXPECT_LE(count("\n\nYou drink a healing potion\n"), 2 + 3);
    EXPECT_EQ(count("\n\nAmplify Damage will commence upon your next attack against your "
                    "opponent\n"),
              1);
    EXPECT_EQ(count("\n\nWeaken will commence upon your next attack against your opponent\n"), 1);
    EXPECT_EQ(count("YOU WIN"), 1);

    const std::string ending =
        kImpsLine + kKilled + kVictoryScreen + "\n\nGoodbye\n" + "\n\nType quit to exit\n";
    ASSERT_GE(output.size(), ending.size());
    EXPECT_EQ(output.substr(output.size() - ending.size()), ending);
    EXPECT_EQ(output.rfind("Welcome Quellmoor v1.0\n", 0), 0u);
}

}  // namespace
}  // namespace quellmoor
