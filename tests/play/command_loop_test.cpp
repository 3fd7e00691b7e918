#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "play/command_loop.hpp"
#include "play/completion.hpp"
#include "play/play_game.hpp"
#include "support/test_game.hpp"

namespace quellmoor::testing {
namespace {

const std::string kRefused = "\n\nYou can not do that here\n";
const std::string kAmplified =
    "\n\nAmplify Damage will commence upon your next attack against your opponent\n";
const std::string kWeakened =
    "\n\nWeaken will commence upon your next attack against your opponent\n";
const std::string kNoSpell = "\n\nYou do not have that spell\n";
const std::string kNoMana = "\n\nYou do not have enough mana to cast that spell\n";

TEST(Spells, NeedTheSpellThenTheMana) {
    struct Case {
        std::string word;
        int hasAmplify, hasWeaken, mana;
        std::string output;
        int manaAfter, amplifyAfter, weakenAfter;
    };
    const Case cases[] = {
        {"amplify", 0, 1, 100, kNoSpell, 100, 0, 0},  {"amplify", 0, 0, 0, kNoSpell, 0, 0, 0},
        {"amplify", 1, 0, 51, kAmplified, 0, 1, 0},   {"amplify", 1, 0, 50, kNoMana, 50, 0, 0},
        {"amplify", 1, 1, 100, kAmplified, 49, 1, 0}, {"amplify", 1, 0, -5, kNoMana, -5, 0, 0},
        {"weaken", 1, 0, 100, kNoSpell, 100, 0, 0},   {"weaken", 0, 1, 49, kWeakened, 0, 0, 1},
        {"weaken", 0, 1, 48, kNoMana, 48, 0, 0},      {"weaken", 1, 1, 50, kWeakened, 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word + " with mana " + std::to_string(c.mana));
        TestGame game;
        GameState& state = game.state();
        state.hasAmplify = c.hasAmplify;
        state.hasWeaken = c.hasWeaken;
        state.mana = c.mana;
        EXPECT_EQ(game.command(c.word), c.output);
        EXPECT_EQ(state.mana, c.manaAfter);
        EXPECT_EQ(state.amplifyPending, c.amplifyAfter);
        EXPECT_EQ(state.weakenPending, c.weakenAfter);
    }
}

TEST(Spells, CastingAgainPaysAgainAndStaysArmed) {
    for (const auto& [word, message, cost] :
         {std::tuple{"amplify", kAmplified, 51}, std::tuple{"weaken", kWeakened, 49}}) {
        TestGame game;
        GameState& state = game.state();
        state.hasAmplify = state.hasWeaken = 1;
        state.mana = 2 * cost;
        EXPECT_EQ(game.command(word), message);
        EXPECT_EQ(game.command(word), message);
        EXPECT_EQ(state.mana, 0);
        EXPECT_EQ(game.command(word), kNoMana);
        EXPECT_EQ(state.amplifyPending + state.weakenPending, 1) << word;
    }
}

TEST(Climb, UsesTheLadderOnlyAndDoesNothingElse) {
    // clang-format off
    const std::tuple<RoomId, std::string, RoomId> cases[] = {
        {57, "\n\nYou climb up the ladder\n", 67}, {67, "\n\nYou climb down the ladder\n", 57},
        {56, kRefused, 56}, {60, kRefused, 60}, {65, kRefused, 65}, {69, kRefused, 69},
        {1, kRefused, 1}, {0, kRefused, 0},
    };
    // clang-format on
    for (const auto& [from, output, to] : cases) {
        TestGame game;
        GameState& state = game.state();
        state.room = from;
        state.opponentSlain = 1;
        state.opponentHealth = -4;
        state.opponentDamageSpread = 51;
        state.opponentDamageFloor = 14;
        EXPECT_EQ(game.command("climb"), output) << from;  // no map
        EXPECT_EQ(state.room, to);
        EXPECT_EQ(state.opponentSlain, 1);
        EXPECT_EQ(state.opponentHealth, -4);
        EXPECT_EQ(state.opponentDamageSpread, 51);
        EXPECT_EQ(state.opponentDamageFloor, 14);
    }
    TestGame game;
    game.state().room = 57;
    game.command("climb");
    EXPECT_EQ(game.command("map"), "\n\n  #####\n  #   #\n  # ###\n  #*#\n### #\n#   #\n#####\n");
}

TEST(Talk, OnlyTheFortuneTellerTalks) {
    const std::string fortune =
        "\n\nIt is good that you are willing to listen to what fortune brings,\n"
        "It would be advisable to OPEN some cans and take what is given to you.\n"
        "Also, be watchful for objects that you might be able to CLIMB.\n"
        "Your future shows a great battle with a creature from the dark depths below.\n"
        "Finally, I wish you luck on your quest.\n";
    for (RoomId room : {24, 19, 23, 25, 1, 57, 0}) {
        TestGame game;
        game.state().room = room;
        EXPECT_EQ(game.command("talk"), room == 24 ? fortune : kRefused) << room;
        EXPECT_EQ(game.state().room, room);
    }
}

TEST(HiddenGold, SetsExactlyFiftyThousandSilently) {
    for (int gold : {0, 7, 49999, 50000, 50001, -3, INT_MAX, INT_MIN}) {
        TestGame game;
        game.state().gold = gold;
        EXPECT_EQ(game.command("plumbwagon"), "");
        EXPECT_EQ(game.state().gold, 50000);
    }
}

// Any word but the twenty of the table is refused and changes nothing, however close.
TEST(CommandTable, MatchesWholeWordsExactly) {
    // clang-format off
    const std::string words[] = {
        "N", "E", "Map", "LOOK", "lOok", "Quit", "Climb", "Amplify", "PLUMBWAGON", "Talk", "",
        "qui", "lo", "plumbwago", "amp", "tele", "ne", "nn", "quits", "map2", "climb.", "talk?",
        std::string("quit\0", 5), std::string("\0quit", 5), "quit\xff", "look\xc2\xa0",
        "plumbwagon1", "plumbwagon12345", "plumbwagonplumbwagon", "climbclimbclimbclimb",
        "quit" + std::string(100, ' '), "amplify" + std::string(9, 'y'),
    };
    // clang-format on
    for (const std::string& word : words) {
        SCOPED_TRACE(::testing::PrintToString(word));
        TestGame game("1 1 1");
        GameState& state = game.state();
        state.room = 57;
        state.hasAmplify = state.hasWeaken = 1;
        state.mana = 100;
        state.health = 30;
        EXPECT_EQ(game.command(word), kRefused);
        EXPECT_EQ(state.room, 57);
        EXPECT_EQ(state.gold, 0);
        EXPECT_EQ(state.mana, 100);
        EXPECT_EQ(state.health, 30);
        EXPECT_EQ(state.amplifyPending + state.weakenPending + state.gameOver, 0);
        EXPECT_EQ(game.unreadInput(), "1 1 1");
    }
}

// What completion may offer: every command word, in the table's order, but the gold word.
TEST(CommandTable, ListsEveryWordButTheHiddenOne) {
    const std::vector<std::string_view> expected = {
        "n",        "e",      "s",    "w",     "map",     "quit",   "look",
        "teleport", "attack", "open", "drink", "amplify", "weaken", "climb",
        "stats",    "heal",   "mana", "buy",   "talk"};
    const auto listed = listedCommandWords();
    EXPECT_EQ(std::vector<std::string_view>(listed.begin(), listed.end()), expected);
}

// Tab's one rule, for the terminal and the page alike: grow to where the words agree, a
// space once the word is whole, the choices where it can grow no further.
TEST(CommandTable, TabCompletesAsFarAsTheWordsAgree) {
    using Choices = std::vector<std::string_view>;
    const std::tuple<std::string_view, std::string, Choices> cases[] = {
        {"att", "ack ", {}},
        {"look", " ", {}},
        {"m", "a", {"map", "mana"}},
        {"ma", "", {"map", "mana"}},
        {"s", "", {"s", "stats"}},
        {"plu", "", {}},
        {"Att", "", {}},
        {"attacks", "", {}},
    };
    for (const auto& [start, added, choices] : cases) {
        const Completion completion = completeCommandWord(start);
        EXPECT_EQ(completion.added, added) << start;
        EXPECT_EQ(completion.choices, choices) << start;
    }
    EXPECT_EQ(completeCommandWord("").choices.size(), listedCommandWords().size());
}

TEST(CommandTable, OnlyTheFourMovesForgetAKill) {
    const std::string others[] = {"map",   "quit",       "look",   "teleport", "attack", "open",
                                  "drink", "amplify",    "weaken", "climb",    "stats",  "heal",
                                  "mana",  "plumbwagon", "buy",    "talk",     "around"};
    for (RoomId room = 1; room <= 69; ++room) {
        if (room > 25 && room < 51) {
            continue;
        }
        for (std::string move : {"n", "e", "s", "w"}) {
            TestGame game;
            game.state().room = room;
            game.state().opponentSlain = 1;
            game.command(move);
            EXPECT_EQ(game.state().opponentSlain, 0) << room << " " << move;
        }
    }
    for (RoomId room : {1, 3, 4, 9, 17, 22, 24, 57, 64, 67, 68}) {
        for (const std::string& word : others) {
            TestGame game;
            game.state().room = room;
            game.state().opponentSlain = 1;
            game.command(word);
            EXPECT_EQ(game.state().opponentSlain, 1) << room << " " << word;
        }
    }
}

const std::string kGreeting =
    "Welcome Quellmoor v1.0\n\n\nYou have entered the land of Lord Tavrin's Domain\n\n";
const std::string kClosing = "\n\nGoodbye\n\n\nType quit to exit\n";

TEST(WholeGame, EndsByQuitOrByTheEndOfInput) {
    const std::string& clear = kClearScreen;
    const std::string roomOneMap =
        "\n\n=======\n=     =\n=== ===\n=  *  =\n=== ===\n=     =\n=======\n";
    const std::pair<std::string, std::string> cases[] = {
        {"quit", kGreeting + clear + kClosing},
        {"quit look talk", kGreeting + clear + kClosing},
        {"", kGreeting + clear + kClosing},
        {" \n\t\r\n", kGreeting + clear + kClosing},
        {"talk", kGreeting + clear + kRefused + clear + kClosing},
        {"map around quit", kGreeting + clear + roomOneMap + clear + kRefused + clear + kClosing},
        {"MAP Quit quit", kGreeting + clear + kRefused + clear + kRefused + clear + kClosing},
        // Overlong words are read whole: the "quit" at the end of the first is not a word.
        {"aaaaaaaaaaaaaaaquit talk quit",
         kGreeting + clear + kRefused + clear + kRefused + clear + kClosing},
    };
    for (const auto& [input, output] : cases) {
        EXPECT_EQ(playWholeGame(input), output) << ::testing::PrintToString(input);
    }
}

TEST(WholeGame, TheLastReadTakesOneWord) {
    for (std::string last : {"7", "abc", "quit", "-12", "1x"}) {
        std::istringstream in("quit \n " + last + "\n look");
        std::ostringstream out;
        EXPECT_TRUE(playGame(*in.rdbuf(), *out.rdbuf()));
        EXPECT_TRUE(out.str().ends_with(kClosing));
        std::string rest;
        in >> rest;
        EXPECT_EQ(rest, "look") << last;
    }
}

}  // namespace
}  // namespace quellmoor::testing
