#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_game.hpp"

namespace quellmoor::testing {
namespace {

std::string lookIn(RoomId room, int opponentHealth = 0, int opponentSlain = 0) {
    TestGame game;
    game.state().room = room;
    game.state().opponentHealth = opponentHealth;
    game.state().opponentSlain = opponentSlain;
    return game.command("look");
}

/// The lines of `text` after its two leading line breaks, each cut at its line break;
/// blank lines are empty strings.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 2;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(Descriptions, HaveTheirLinesAndEndWithOneLineBreak) {
    // clang-format off
    const std::pair<RoomId, std::size_t> table[] = {
        {1, 4}, {2, 4}, {3, 4}, {4, 5}, {5, 4}, {6, 5}, {7, 3}, {8, 2}, {9, 4}, {10, 7},
        {11, 3}, {12, 3}, {13, 4}, {14, 6}, {15, 4}, {16, 3}, {17, 3}, {18, 4}, {19, 10},
        {20, 7}, {21, 4}, {22, 4}, {23, 5}, {24, 8}, {25, 6}, {51, 2}, {52, 4}, {53, 3},
        {54, 3}, {55, 3}, {56, 5}, {57, 4}, {58, 3}, {59, 3}, {60, 5}, {61, 3}, {62, 3},
        {63, 3}, {64, 4}, {65, 3}, {66, 2}, {67, 3}, {68, 2}, {69, 3},
    };
    // clang-format on
    for (const auto& [room, count] : table) {
        SCOPED_TRACE(room);
        const std::string text = lookIn(room);
        ASSERT_TRUE(text.starts_with("\n\n") && text.size() > 2 && text[2] != '\n');
        const std::vector<std::string> lines = linesOf(text);
        const auto blanks = static_cast<std::size_t>(std::count(lines.begin(), lines.end(), ""));
        EXPECT_EQ(lines.size() - blanks, count);
        // Room 9 ends with a blank line, room 24 holds one; no other room has any.
        EXPECT_EQ(blanks, room == 9 || room == 24 ? 1U : 0U);
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(text.ends_with("\n\n"), room == 9);
    }
    EXPECT_NE(lookIn(24).find("'All you have to do is TALK to me...'\n\nYou look east to see"),
              std::string::npos);
}

TEST(Descriptions, PrintLongLinesWhole) {
    EXPECT_EQ(linesOf(lookIn(7)).at(1).size(), 119U);
}

TEST(Descriptions, DoNotChangeWithTheFight) {
    EXPECT_EQ(lookIn(4, -6, 1), lookIn(4, 47, 0));
    EXPECT_NE(lookIn(4).find("\nYou glance up just in time to see a griffin flying"
                             "\ndown from the tree tops.\n"),
              std::string::npos);
}

}  // namespace
}  // namespace quellmoor::testing
