// Plays the real program at a real terminal (a pseudo-terminal), as a person does: one
// line typed at a time, and each answer read from the screen before the next is typed. A
// game that kept any part of an answer in a buffer while it waits for the next word would
// leave this player waiting, and the check fails after its time-out instead of hanging.
//
// Usage: terminal_session plain TERM GAME    a terminal the line editor does not serve
//                                            (dumb, or unknown): the screen shows
//                                            exactly the game's bytes
//        terminal_session editor TERM GAME   a terminal it serves: editing, history,
//                                            completion, Ctrl-D, Ctrl-C, and the
//                                            terminal's settings as they were found
// GAME may be a launcher and the program it runs: a cross build's emulator (qemu-user).

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

const std::string kClearScreen(25, '\n');
const std::string kTeleportBlankRun(15, '\n');

/// A region map: two line breaks, then the drawing with '*' at (line, column), from 1.
std::string mapWithMarker(std::initializer_list<std::string_view> drawing, std::size_t line,
                          std::size_t column) {
    std::string text = "\n\n";
    std::size_t number = 1;
    for (std::string_view row : drawing) {
        std::string printed(row);
        if (number++ == line) {
            printed[column - 1] = '*';
        }
        text += printed + "\n";
    }
    return text;
}

std::string domainMap(std::size_t line, std::size_t column) {
    return mapWithMarker(
        {"=======", "=     =", "=== ===", "=     =", "=== ===", "=     =", "======="}, line,
        column);
}

const std::string kTavrinsMenu =
    "\n\nWhat would you like to buy?"
    "\n\n1. Club  -  30 gold"
    "\n2. Dagger  -  70 gold"
    "\n3. Bow  -  130 gold"
    "\n4. Leather Armor  -  110 gold"
    "\n5. Studed Leather Armor  -  170 gold"
    "\n6. Leave shop\n";

const std::string kRoomOne =
    "\n\nYou are in Lord Tavrin's Domain. The pedestal-like teleporter gleams with power."
    "\nThe sweet scent of the forest clears your nostrils."
    "\nTo the north and south you see the path into the forest."
    "\nTo the west and east you see the menacing darkness of an eerie forest.\n";

/// Shows bytes with line breaks and other invisible bytes spelled out.
std::string visible(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        if (c == '\n') {
            shown += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

// What the player's terminal does with the screen.
enum class Screen {
    Exact,  // no echo and no line-break translation: the screen is the game's bytes alone
    AsSet,  // the settings a new terminal has: echo, line breaks as CR LF
};

class Terminal {
  public:
    Terminal(char* const* game, const char* term, Screen screen) {
        const winsize size{24, 80, 0, 0};
        if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) {
            std::perror("terminal_session: openpty");
            std::exit(2);
        }
        if (screen == Screen::Exact) {
            // Input stays line by line, as a person types it.
            termios settings{};
            tcgetattr(slave_, &settings);
            settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
            settings.c_lflag |= ICANON;
            settings.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
            tcsetattr(slave_, TCSANOW, &settings);
        }
        tcgetattr(slave_, &found_);
        child_ = fork();
        if (child_ < 0) {
            std::perror("terminal_session: fork");
            std::exit(2);
        }
        if (child_ == 0) {
            close(master_);
            login_tty(slave_);
            setenv("TERM", term, 1);
            execv(game[0], game);
            _exit(127);
        }
        // The terminal stays open here after the game ends, so its settings can be read.
    }

    ~Terminal() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }

    /// Types one word and the Enter key.
    void type(std::string_view word) { keys(std::string(word) + "\n"); }

    /// Presses keys: their bytes as the terminal sends them.
    void keys(std::string_view bytes) {
        std::printf("typed: %s\n", visible(bytes).c_str());
        if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            std::perror("terminal_session: typing");
            std::exit(2);
        }
    }

    /// Waits until `answer` appears on the screen after what was seen so far (carriage
    /// returns aside, and whatever the line editor draws before it).
    bool waitFor(std::string_view what, std::string_view answer) {
        const auto deadline = Clock::now() + kPatience;
        std::size_t at = std::string::npos;
        while ((at = text_.find(answer, seen_)) == std::string::npos && readSome(deadline)) {
        }
        if (at == std::string::npos) {
            std::printf("FAIL  %s: did not appear in time: %s\n  on screen: %s\n",
                        std::string(what).c_str(), visible(answer).c_str(),
                        visible(text_.substr(seen_)).c_str());
            return false;
        }
        seen_ = at + answer.size();
        std::printf("ok    %s\n", std::string(what).c_str());
        return true;
    }

    /// Presses keys once the line editor reads them one by one (the terminal has left
    /// line mode). Keys that come sooner, an instant after the answer, are the terminal's:
    /// its line discipline would take a Ctrl-D or Ctrl-U, as for any program that edits.
    void press(std::string_view bytes) {
        const auto deadline = Clock::now() + kPatience;
        while ((settings().c_lflag & ICANON) != 0 && Clock::now() < deadline) {
            readSome(Clock::now() + std::chrono::milliseconds(10));
        }
        keys(bytes);
    }

    /// Whether `text` ever appeared on the screen.
    bool shown(std::string_view text) const { return screen_.find(text) != std::string::npos; }

    /// The terminal's settings as the game found them.
    const termios& found() const { return found_; }

    /// The terminal's settings now, as `stty -g` would show them.
    termios settings() const {
        termios now{};
        tcgetattr(slave_, &now);
        return now;
    }

    /// Waits until the screen shows `answer` after everything seen so far; false if
    /// something else appears or nothing more appears in time.
    bool expect(std::string_view what, std::string_view answer) {
        expected_ += answer;
        const auto deadline = Clock::now() + kPatience;
        while (screen_.size() < expected_.size() && Clock::now() < deadline) {
            if (!readSome(deadline)) {
                break;
            }
        }
        if (screen_ == expected_) {
            std::printf("ok    %s\n", std::string(what).c_str());
            return true;
        }
        std::size_t at = 0;
        while (at < screen_.size() && at < expected_.size() && screen_[at] == expected_[at]) {
            ++at;
        }
        std::printf("FAIL  %s: %s\n", std::string(what).c_str(),
                    screen_.size() < expected_.size() ? "the answer did not appear in time"
                                                      : "the screen shows something else");
        std::printf("  expected from byte %zu: %s\n", at, visible(expected_.substr(at)).c_str());
        std::printf("  on screen from byte %zu: %s\n", at, visible(screen_.substr(at)).c_str());
        return false;
    }

    /// Waits for the game to end; its exit status, or -1 if it did not end in time.
    int waitForExit() {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(child_, &status, WNOHANG);
            if (done == child_) {
                child_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            readSome(Clock::now() + std::chrono::milliseconds(50));
        }
        return -1;
    }

    /// Anything the game printed that no step expected.
    std::string_view unexpected() const {
        return std::string_view(screen_).substr(std::min(screen_.size(), expected_.size()));
    }

  private:
    bool readSome(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd watched{master_, POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(std::max<long long>(left, 0))) <= 0) {
            return false;
        }
        std::array<char, 4096> buffer;
        const ssize_t got = read(master_, buffer.data(), buffer.size());
        if (got <= 0) {
            return false;  // EIO: the game has closed the terminal
        }
        screen_.append(buffer.data(), static_cast<std::size_t>(got));
        std::remove_copy(buffer.begin(), buffer.begin() + got, std::back_inserter(text_), '\r');
        return true;
    }

    int master_ = -1;
    int slave_ = -1;
    termios found_{};
    pid_t child_ = -1;
    std::string screen_;
    std::string text_;  // the screen without carriage returns
    std::string expected_;
    std::size_t seen_ = 0;  // in text_
};

/// The game read plainly at a terminal: every answer on the screen before the game waits.
bool playPlainly(char* const* game, const char* term) {
    Terminal terminal(game, term, Screen::Exact);
    bool passed = terminal.expect("the banner and the entry line, before the first word is typed",
                                  "Welcome Quellmoor v1.0\n"
                                  "\n\nYou have entered the land of Lord Tavrin's Domain\n\n");

    terminal.type("look");
    passed = passed && terminal.expect("look: the description of room 1", kClearScreen + kRoomOne);

    terminal.type("stats");
    passed = passed && terminal.expect("stats: the starting player", kClearScreen +
                                                                         "\n\nHealth: 100/100"
                                                                         "\nMana: 0/100"
                                                                         "\nWeapon: Fists 4 damage"
                                                                         "\nArmor: Tunic"
                                                                         "\nGold: 0"
                                                                         "\nHealing Potions: 0"
                                                                         "\nMana Potions: 0\n");

    terminal.type("teleport");
    passed = passed && terminal.expect("teleport: the menu, before the choice is typed",
                                       kClearScreen +
                                           "\n\nWhere would you like to teleport\n"
                                           "1. Great Britton\n"
                                           "2. The Labyrinth\n"
                                           "3. Do not teleport\n");
    terminal.type("3");
    passed = passed && terminal.expect("3: staying, and the map of room 1",
                                       kTeleportBlankRun + domainMap(4, 4));

    terminal.type("n");
    passed = passed && terminal.expect("n: the map of room 2", kClearScreen + domainMap(2, 4));
    terminal.type("e");
    passed = passed && terminal.expect("e: the map of room 3", kClearScreen + domainMap(2, 6));

    terminal.type("buy");
    passed = passed && terminal.expect("buy: Tavrin's menu, before a selection is typed",
                                       kClearScreen + kTavrinsMenu);
    terminal.type("Club");
    passed = passed && terminal.expect("Club: an invalid selection, and the menu again",
                                       "\n\nInvalid Selection\n" + kTavrinsMenu);
    terminal.type("6");  // leaves the shop and prints nothing

    terminal.type("quit");
    passed = passed && terminal.expect("quit: goodbye, and the closing line before its last read",
                                       kClearScreen + "\n\nGoodbye\n" + "\n\nType quit to exit\n");

    terminal.type("quit");
    const int status = terminal.waitForExit();
    if (status != 0) {
        std::printf("FAIL  the last word ends the game with status 0 (got %d)\n", status);
        passed = false;
    } else if (!terminal.unexpected().empty()) {
        std::printf("FAIL  nothing more after the closing line (got %s)\n",
                    visible(terminal.unexpected()).c_str());
        passed = false;
    } else {
        std::printf("ok    the last word ends the game with status 0\n");
    }
    return passed;
}

bool sameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

bool check(bool condition, const char* what) {
    std::printf("%s  %s\n", condition ? "ok  " : "FAIL", what);
    return condition;
}

const std::string kWelcome = "You have entered the land of Lord Tavrin's Domain\n\n";
const std::string kCannotAttack = kClearScreen + "\nYou cannot do that here\n\n";
const std::string kClosing = kClearScreen + "\n\nGoodbye\n\n\nType quit to exit\n";
constexpr std::string_view kLeft = "\x1b[D";
constexpr std::string_view kUp = "\x1b[A";
constexpr std::string_view kHome = "\x1b[H";

/// The game read through the line editor, then a game ended by Ctrl-C during a read.
bool playWithTheEditor(char* const* game, const char* term) {
    bool passed = true;
    {
        Terminal terminal(game, term, Screen::AsSet);
        passed &= terminal.waitFor("the banner, before the first line is typed", kWelcome);
        terminal.press("lok" + std::string(kLeft) + "o\r");
        passed &= terminal.waitFor("lok, Left, o, Enter: look", kClearScreen + kRoomOne);
        terminal.press("att\t\x04\r");
        passed &= terminal.waitFor("att, Tab, Ctrl-D at its end, Enter: attack", kCannotAttack);
        terminal.press("\r" + std::string(kUp) + "\r");
        passed &= terminal.waitFor("Enter, Up, Enter: attack again", kCannotAttack);
        terminal.press("m\tp\r");
        passed &= terminal.waitFor("m, Tab, p, Enter: map", kClearScreen + domainMap(4, 4));
        terminal.press("\t\t");
        passed &= terminal.waitFor("Tab, Tab: every command word listed", "talk");
        terminal.press("\x15plu\t\r");  // Ctrl-U first: the list leaves the line as it was
        passed &= terminal.waitFor("plu, Tab, Enter: an unknown word, never the gold word",
                                   kClearScreen + "\n\nYou can not do that here\n");
        passed &= check(!terminal.shown("plumbwagon"), "the gold word is never shown");
        terminal.press("xn" + std::string(kHome) + "\x04\r");
        passed &= terminal.waitFor("xn, Home, Ctrl-D, Enter: n", kClearScreen + domainMap(2, 4));
        terminal.press("e\rbuy\r");
        passed &= terminal.waitFor("e, buy: Tavrin's menu", kTavrinsMenu);
        terminal.press("\x04");
        passed &= terminal.waitFor("one Ctrl-D in a shop ends the whole game", kClosing);
        passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
        passed &= check(sameSettings(terminal.settings(), terminal.found()),
                        "the terminal's settings are as before the game");
    }
    // Settings of the player's own, unlike a new terminal's: they too must come back.
    Terminal terminal(game, term, Screen::Exact);
    terminal.press("lo");
    passed &= terminal.waitFor("lo typed, and shown by the editor", kWelcome + "lo");
    terminal.press("\x03");
    passed &= check(terminal.waitForExit() == 128 + SIGINT, "Ctrl-C ends the game");
    passed &= check(sameSettings(terminal.settings(), terminal.found()),
                    "the terminal's settings are as before the game, after Ctrl-C");
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc >= 4 ? argv[1] : "";
    if (mode != "plain" && mode != "editor") {
        std::fputs("usage: terminal_session plain|editor TERM [LAUNCHER...] GAME\n", stderr);
        return 2;
    }
    char* const* game = argv + 3;  // to the end of argv, which is null
    const bool passed =
        mode == "plain" ? playPlainly(game, argv[2]) : playWithTheEditor(game, argv[2]);
    std::printf("%s\n", passed ? "the terminal session passed" : "the terminal session FAILED");
    return passed ? 0 : 1;
}
