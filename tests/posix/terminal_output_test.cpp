// The screen under the line editor: it holds back an unfinished last line for the
// editor's prompt, and must still put every byte on the screen, in order.

#include "posix/terminal_output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace quellmoor {
namespace {

/// A pipe whose reading end does not block (pipe2 is not everywhere: macOS lacks it).
bool openNonBlockingPipe(int (&ends)[2]) {
    return pipe(ends) == 0 && fcntl(ends[0], F_SETFL, O_NONBLOCK) == 0;
}

/// What is waiting in a non-blocking pipe.
std::string drain(int fd) {
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

TEST(TerminalOutput, HoldsAShortUnfinishedLineAndWritesAllElseInOrder) {
    struct Case {
        std::vector<std::string> printed;
        std::string onScreen, held;
    };
    const Case cases[] = {
        {{"\n\nYou can not do that here"}, "\n\n", "You can not do that here"},
        {{"Goodbye\n\n\nType quit to exit\n"}, "Goodbye\n\n\nType quit to exit\n", ""},
        {{"abc\nYou can", " not", " do that\nhere"}, "abc\nYou can not do that\n", "here"},
        // Too long for a prompt, or not plain text: written at once, after what was held.
        {{"You", std::string(58, 'x')}, "You" + std::string(58, 'x'), ""},
        {{"You", "\x1b[H"}, "You\x1b[H", ""},
    };
    for (const Case& c : cases) {
        int ends[2];
        ASSERT_TRUE(openNonBlockingPipe(ends));
        TerminalOutput screen(ends[1]);
        for (const std::string& text : c.printed) {
            const auto size = static_cast<std::streamsize>(text.size());
            EXPECT_EQ(screen.sputn(text.data(), size), size);
        }
        EXPECT_EQ(drain(ends[0]), c.onScreen) << c.printed.front();
        EXPECT_EQ(screen.takeUnfinishedLine(), c.held);
        EXPECT_TRUE(screen.finish());
        EXPECT_EQ(drain(ends[0]), "");  // what was taken is the editor's to show
        close(ends[0]);
        close(ends[1]);
    }
}

TEST(TerminalOutput, WritesWhatIsStillHeldWhenTheGameEnds) {
    int ends[2];
    ASSERT_TRUE(openNonBlockingPipe(ends));
    TerminalOutput screen(ends[1]);
    EXPECT_EQ(screen.sputn("\n\nYou can not do that here", 26), 26);
    EXPECT_TRUE(screen.finish());
    EXPECT_EQ(drain(ends[0]), "\n\nYou can not do that here");
    close(ends[0]);
    close(ends[1]);
}

// A screen that cannot be written fails the write that was due, whether it held the
// bytes for a while or not.
TEST(TerminalOutput, AFailedWriteIsReportedWhereverTheBytesWaited) {
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    // What is printed first (held, as an unfinished line), then what follows it.
    const std::pair<std::string, std::string> cases[] = {
        {"", "Goodbye\n"},
        {"Goodbye", "\n"},
        {"Goodbye", std::string(60, 'x')},
        {"Goodbye", ""},  // the game ends
    };
    for (const auto& [first, next] : cases) {
        TerminalOutput lost(full);
        const auto held = static_cast<std::streamsize>(first.size());
        EXPECT_EQ(lost.sputn(first.data(), held), held);
        const auto size = static_cast<std::streamsize>(next.size());
        EXPECT_FALSE(next.empty() ? lost.finish() : lost.sputn(next.data(), size) == size);
        EXPECT_EQ(lost.error(), SystemError{ENOSPC}) << first << " then " << next;
    }
    close(full);
}

}  // namespace
}  // namespace quellmoor
