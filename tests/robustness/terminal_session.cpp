// Plays the real program at a real terminal (a pseudo-terminal), as a person does: one
// word typed per line, and each answer read from the screen before the next word is
// typed. A game that kept any part of an answer in a buffer while it waits for the next
// word would leave this player waiting, and the check fails after its time-out instead
// of hanging.
//
// Usage: terminal_session GAME

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

class Terminal {
  public:
    explicit Terminal(const char* game) {
        child_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (child_ < 0) {
            std::perror("terminal_session: forkpty");
            std::exit(2);
        }
        if (child_ == 0) {
            // The screen shows exactly what the game prints: the terminal neither echoes
            // the typed words nor turns line breaks into carriage return and line feed.
            // Input stays line by line, as a person types it.
            termios settings{};
            tcgetattr(STDIN_FILENO, &settings);
            settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
            settings.c_lflag |= ICANON;
            settings.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
            tcsetattr(STDIN_FILENO, TCSANOW, &settings);
            execl(game, game, static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    ~Terminal() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }

    /// Types one word and the Enter key.
    void type(std::string_view word) {
        std::printf("typed: %s\n", std::string(word).c_str());
        const std::string line = std::string(word) + "\n";
        if (write(master_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            std::perror("terminal_session: typing");
            std::exit(2);
        }
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
        return true;
    }

    int master_ = -1;
    pid_t child_ = -1;
    std::string screen_;
    std::string expected_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: terminal_session GAME\n", stderr);
        return 2;
    }
    Terminal terminal(argv[1]);
    bool passed = terminal.expect("the banner and the entry line, before the first word is typed",
                                  "Welcome Quellmoor v1.0\n"
                                  "\n\nYou have entered the land of Lord Tavrin's Domain\n\n");

    terminal.type("look");
    passed = passed &&
             terminal.expect(
                 "look: the description of room 1",
                 kClearScreen +
                     "\n\nYou are in Lord Tavrin's Domain. The pedestal-like teleporter gleams "
                     "with power."
                     "\nThe sweet scent of the forest clears your nostrils."
                     "\nTo the north and south you see the path into the forest."
                     "\nTo the west and east you see the menacing darkness of an eerie forest.\n");

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
    std::printf("%s\n", passed ? "the terminal session passed" : "the terminal session FAILED");
    return passed ? 0 : 1;
}
