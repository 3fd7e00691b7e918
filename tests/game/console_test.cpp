#include "game/console.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "game/game_state.hpp"
#include "play/play_game.hpp"

namespace quellmoor {
namespace {

/// A screen: output reaches it only when the console flushes.
class Screen : public std::streambuf {
  public:
    std::string shown;
    std::string pending;
    int flushes = 0;

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize size) override {
        pending.append(text, static_cast<std::size_t>(size));
        return size;
    }
    int sync() override {
        ++flushes;
        shown += pending;
        pending.clear();
        return 0;
    }
};

/// A keyboard: hands over one typed chunk at a time, only when the console has used up
/// the last one, and notes what the screen showed each time it was waited for.
class Keyboard : public std::streambuf {
  public:
    Keyboard(std::vector<std::string> chunks, const Screen& screen)
        : chunks_(std::move(chunks)), screen_(screen) {}
    std::vector<std::string> screenAtWait;

  protected:
    int_type underflow() override {
        screenAtWait.push_back(screen_.shown);
        if (next_ == chunks_.size()) {
            return traits_type::eof();
        }
        std::string& chunk = chunks_[next_++];
        setg(chunk.data(), chunk.data(), chunk.data() + chunk.size());
        return traits_type::to_int_type(chunk[0]);
    }

  private:
    std::vector<std::string> chunks_;
    std::size_t next_ = 0;
    const Screen& screen_;
};

/// Every word of `input`, then checks that the end of input is reported again.
std::vector<std::string> wordsOf(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    Console console(*in.rdbuf(), *out.rdbuf());
    std::vector<std::string> words;
    Word<kCommandWordCapacity> word;
    while (console.readWord(word)) {
        words.push_back(word.overlong() ? "<overlong>" : std::string(word.view()));
    }
    for (int again = 0; again < 3; ++again) {
        EXPECT_FALSE(console.readWord(word));
        EXPECT_EQ(word.view(), "");
    }
    return words;
}

using Words = std::vector<std::string>;

TEST(Console, SplitsWordsOnTheSixWhitespaceBytesOnly) {
    EXPECT_EQ(wordsOf(""), Words{});
    EXPECT_EQ(wordsOf(" \t\n\v\f\r"), Words{});
    EXPECT_EQ(wordsOf("look\tmap\nn\ve\fs\rw quit"),
              (Words{"look", "map", "n", "e", "s", "w", "quit"}));
    EXPECT_EQ(wordsOf("\r\n\r\n  look  \r\n"), Words{"look"});
    EXPECT_EQ(wordsOf(std::string("lo\0ok n\0", 8)),
              (Words{std::string("lo\0ok", 5), std::string("n\0", 2)}));
    EXPECT_EQ(wordsOf("\xff\xfe n\xc3\xa9 \xe2\x80\x83"),
              (Words{"\xff\xfe", "n\xc3\xa9", "\xe2\x80\x83"}));
    EXPECT_EQ(wordsOf("look, n. s!s \x1c\x1f \x85\xa0 a\x7f"
                      "b"),
              (Words{"look,", "n.", "s!s", "\x1c\x1f", "\x85\xa0",
                     "a\x7f"
                     "b"}));
}

TEST(Console, ReadsAnOverlongWordWholeAndMarksIt) {
    const std::string fifteen = "abcdefghijklmno";
    EXPECT_EQ(wordsOf(fifteen + " " + fifteen + "p look"), (Words{fifteen, "<overlong>", "look"}));
    EXPECT_EQ(wordsOf("lookxxxxxxxxxxxquit " + std::string(5000, 'q') + " map"),
              (Words{"<overlong>", "<overlong>", "map"}));
    EXPECT_EQ(wordsOf(std::string(40, 'x')), Words{"<overlong>"});

    Word<kSelectionWordCapacity> choice;
    choice.assign("12345678901");
    EXPECT_FALSE(choice.overlong());
    choice.assign("123456789012");
    EXPECT_TRUE(choice.overlong());
    EXPECT_FALSE(choice.is("12345678901"));
}

TEST(Console, WordsAlreadyTypedAreReadWithoutFlushing) {
    Screen screen;
    Keyboard keyboard({"look map quit\n"}, screen);
    Console console(keyboard, screen);
    Word<kCommandWordCapacity> word;
    console.print("A");
    ASSERT_TRUE(console.readWord(word));  // nothing typed yet: flushed before waiting
    EXPECT_EQ(keyboard.screenAtWait, Words{"A"});
    console.print("B");
    ASSERT_TRUE(console.readWord(word));
    EXPECT_EQ(word.view(), "map");
    console.print("C");
    ASSERT_TRUE(console.readWord(word));
    EXPECT_EQ(word.view(), "quit");
    EXPECT_EQ(screen.flushes, 1);
    EXPECT_EQ(screen.shown, "A");
    console.print("D");
    EXPECT_FALSE(console.readWord(word));  // the line is used up: flushed, then waits
    EXPECT_EQ(keyboard.screenAtWait, (Words{"A", "ABCD"}));
}

TEST(Console, AWordTypedInPiecesIsOneWord) {
    Screen screen;
    Keyboard keyboard({"lo", "ok ma", "p\n"}, screen);
    Console console(keyboard, screen);
    Word<kCommandWordCapacity> word;
    ASSERT_TRUE(console.readWord(word));
    EXPECT_EQ(word.view(), "look");
    ASSERT_TRUE(console.readWord(word));
    EXPECT_EQ(word.view(), "map");
}

// Everything a command printed is on the screen before the game waits for the next word.
TEST(Console, TheGameShowsEachAnswerBeforeWaiting) {
    Screen screen;
    Keyboard keyboard({"talk\n", "map\n", "quit\n", "bye\n"}, screen);
    const std::string clear(25, '\n');
    const std::string greeting =
        "Welcome Quellmoor v1.0\n\n\nYou have entered the land of Lord Tavrin's Domain\n\n";
    const std::string talked = greeting + clear + "\n\nYou can not do that here\n";
    const std::string mapped =
        talked + clear + "\n\n=======\n=     =\n=== ===\n=  *  =\n=== ===\n=     =\n=======\n";
    const std::string closed = mapped + clear + "\n\nGoodbye\n\n\nType quit to exit\n";
    EXPECT_TRUE(playGame(keyboard, screen));
    EXPECT_EQ(keyboard.screenAtWait, (Words{greeting, talked, mapped, closed}));
    EXPECT_EQ(screen.shown, closed);
}

/// Output that stops working after the first flush, like a terminal that has gone away.
class BrokenScreen : public Screen {
  protected:
    int sync() override { return -1; }
};

TEST(Console, ATextLongerThanABlockIsPrintedWhole) {
    std::istringstream in;
    std::ostringstream out;
    Console console(*in.rdbuf(), *out.rdbuf());
    const std::string longText(Console::kOutputBlock + 100, 'x');
    console.print("a");
    console.print(longText);
    console.print("b");
    console.flush();
    EXPECT_EQ(out.str(), "a" + longText + "b");
}

TEST(Console, OnceOutputFailsEveryReadIsTheEndOfInput) {
    std::istringstream in("look look");
    BrokenScreen screen;
    Console console(*in.rdbuf(), screen);
    console.print("Welcome");
    console.flush();
    EXPECT_TRUE(console.outputFailed());
    Word<kCommandWordCapacity> word;
    EXPECT_FALSE(console.readWord(word));
}

}  // namespace
}  // namespace quellmoor
