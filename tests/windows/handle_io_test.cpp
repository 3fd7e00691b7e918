// Standard input and output as the Windows program uses them: real handles, and a real
// console. The console cases need one: ctest runs them at a pseudo-terminal, where wine
// gives the program a console of its own (the test windows.console); run elsewhere, they
// are skipped.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <string_view>

#include "windows/console_session.hpp"
#include "windows/handle_io.hpp"

namespace quellmoor {
namespace {

std::string readToEnd(std::streambuf& input) {
    std::string text;
    for (int c = input.sbumpc(); c != EOF; c = input.sbumpc()) {
        text += static_cast<char>(c);
    }
    return text;
}

void writeAll(HANDLE handle, std::string_view text) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    ASSERT_EQ(written, text.size());
}

// Through a pipe, Ctrl-Z is a byte like any other and carriage returns pass as they are;
// the end of the script is the writer closing the pipe, which Windows reports as a broken
// pipe: the end of input, not a failed read.
TEST(HandleStreams, APipeSaysWhatItHoldsAndEndsWhenItsWriterCloses) {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    HandleInput input(reader);
    EXPECT_EQ(input.in_avail(), 0);  // nothing typed yet: a read would wait
    writeAll(writer, "look\r\n\x1a map\n");
    EXPECT_EQ(input.in_avail(), 12);
    EXPECT_EQ(input.sbumpc(), 'l');
    CloseHandle(writer);
    EXPECT_EQ(readToEnd(input), "ook\r\n\x1a map\n");
    EXPECT_EQ(input.in_avail(), -1);
    EXPECT_EQ(input.error(), 0u);
    CloseHandle(reader);
}

// A file never waits: all that is left of it can be read at once.
TEST(HandleStreams, AFileSaysWhatIsLeftOfIt) {
    char folder[MAX_PATH];
    char name[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameA(folder, "qm", 0, name), 0u);
    const HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    writeAll(file, "look\n");
    SetFilePointer(file, 1, nullptr, FILE_BEGIN);
    HandleInput input(file);
    EXPECT_EQ(input.in_avail(), 4);
    EXPECT_EQ(readToEnd(input), "ook\n");
    EXPECT_EQ(input.in_avail(), -1);
    CloseHandle(file);
}

// The test program's own answer to Ctrl-C: note it, and live on.
std::atomic<bool> interrupted{false};

BOOL WINAPI keepAlive(DWORD) {
    interrupted = true;
    return TRUE;
}

/// The console this test program runs at, or a skip (or, where the console tests were
/// asked for, a failure) where it has none.
class WindowsConsole : public ::testing::Test {
  protected:
    void SetUp() override {
        DWORD mode = 0;
        if (!GetConsoleMode(in_, &mode) || !GetConsoleMode(out_, &mode)) {
            if (std::getenv("QUELLMOOR_CONSOLE_TESTS") != nullptr) {
                FAIL() << "standard input and output are no console";
            }
            GTEST_SKIP() << "needs a console (ctest runs it as windows.console)";
        }
    }

    /// Types `keys` at the console: each a character, '\r' for Enter, '\x1a' for Ctrl-Z.
    void type(std::string_view keys) {
        for (const char key : keys) {
            INPUT_RECORD press{};
            press.EventType = KEY_EVENT;
            press.Event.KeyEvent.bKeyDown = TRUE;
            press.Event.KeyEvent.wRepeatCount = 1;
            press.Event.KeyEvent.wVirtualKeyCode =
                key == '\r' ? VK_RETURN : (key == '\x1a' ? 'Z' : VkKeyScanA(key) & 0xff);
            press.Event.KeyEvent.dwControlKeyState = key == '\x1a' ? LEFT_CTRL_PRESSED : 0;
            press.Event.KeyEvent.uChar.AsciiChar = key;
            INPUT_RECORD release = press;
            release.Event.KeyEvent.bKeyDown = FALSE;
            const INPUT_RECORD both[] = {press, release};
            DWORD written = 0;
            ASSERT_TRUE(WriteConsoleInputA(in_, both, 2, &written));
        }
    }

    COORD cursor() const {
        CONSOLE_SCREEN_BUFFER_INFO screen;
        EXPECT_TRUE(GetConsoleScreenBufferInfo(out_, &screen));
        return screen.dwCursorPosition;
    }

    DWORD mode(HANDLE handle) const {
        DWORD found = 0;
        EXPECT_TRUE(GetConsoleMode(handle, &found));
        return found;
    }

    HANDLE in_ = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE out_ = GetStdHandle(STD_OUTPUT_HANDLE);
};

// The console's own line editing serves: the player's words come a line at a time, with
// the console's line end. A line that begins with Ctrl-Z ends the input, as Ctrl-D does at
// a POSIX terminal, and nothing typed after it is read. Before each line the console has
// nothing to give without waiting, so the game's answer is flushed first.
TEST_F(WindowsConsole, ReadsTypedLinesAndCtrlZThenEnterEndsTheInput) {
    FlushConsoleInputBuffer(in_);
    const ConsoleSession session(in_, out_);
    type("look\r\x1a\rmap\r");
    HandleInput input(in_);
    EXPECT_EQ(input.in_avail(), 0);
    EXPECT_EQ(readToEnd(input), "look\r\n");
    EXPECT_EQ(input.sgetc(), EOF);
    EXPECT_EQ(input.error(), 0u);
    FlushConsoleInputBuffer(in_);
}

// However another program left the console (raw input, line feeds shown as a glyph), the
// game reads cooked lines and its line feeds start new lines at the left edge; the modes
// found are back when the game ends, and when Ctrl-C ends it first.
TEST_F(WindowsConsole, ShowsLineFeedsAsNewLinesAndLeavesTheModesAsFound) {
    const DWORD foundIn = mode(in_);
    const DWORD foundOut = mode(out_);
    const DWORD rawIn = foundIn & ~DWORD{ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT};
    const DWORD rawOut = foundOut & ~DWORD{ENABLE_PROCESSED_OUTPUT};
    ASSERT_TRUE(SetConsoleMode(in_, rawIn));
    ASSERT_TRUE(SetConsoleMode(out_, rawOut));
    {
        const ConsoleSession session(in_, out_);
        EXPECT_EQ(mode(in_) & (ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT),
                  DWORD{ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT});
        HandleOutput output(out_);
        output.sputn("\nab", 3);
        const COORD before = cursor();
        EXPECT_EQ(output.sputn("\ncd", 3), 3);
        const COORD after = cursor();
        EXPECT_EQ(after.X, 2);
        EXPECT_EQ(after.Y, before.Y + 1);
    }
    EXPECT_EQ(mode(in_), rawIn);
    EXPECT_EQ(mode(out_), rawOut);

    // Ctrl-C: the session's handler runs first and puts the modes back; this test's own,
    // set before it, keeps the test program alive where the game would end.
    ASSERT_TRUE(SetConsoleCtrlHandler(keepAlive, TRUE));
    {
        const ConsoleSession session(in_, out_);
        ASSERT_NE(mode(out_), rawOut);
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        for (int wait = 0; wait < 500 && !interrupted; ++wait) {
            Sleep(10);
        }
        EXPECT_TRUE(interrupted);
        EXPECT_EQ(mode(in_), rawIn);
        EXPECT_EQ(mode(out_), rawOut);
    }
    SetConsoleCtrlHandler(keepAlive, FALSE);
    SetConsoleMode(in_, foundIn);
    SetConsoleMode(out_, foundOut);
}

}  // namespace
}  // namespace quellmoor
