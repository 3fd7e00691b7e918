// Plays the real program at a real terminal (a pseudo-terminal), as a person does: one
// line typed at a time, and each answer read from the screen before the next is typed. A
// game that kept any part of an answer in a buffer while it waits for the next word would
// leave this player waiting, and the check fails after its time-out instead of hanging.
//
// Usage: terminal_session plain TERM GAME    a terminal the line editor does not serve
//                                            (dumb, or unknown): the screen shows
//                                            exactly the game's bytes
//        terminal_session editor TERM GAME   a terminal it serves: editing, history,
//                                            completion, the line left open, Ctrl-D,
//                                            Ctrl-C, and the terminal's settings as
//                                            they were found
//        terminal_session signals TERM GAME  signals sent, ignored, Ctrl-Z and fg, a
//                                            resize, and type-ahead left at the end
//        terminal_session bytes TERM GAME    bytes the locale cannot read, and letters
//        terminal_session keys TERM GAME     the editing keys as sent, a key split by
//                                            a slow link, Esc just before Enter or
//                                            Ctrl-D, and keys it does not bind
//                                            (libedit's own Ctrl keys among them)
//                                            swallowed whole
// GAME may be a launcher and the program it runs: a cross build's emulator (qemu-user).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

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
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
#ifdef __SANITIZE_ADDRESS__
constexpr bool kSanitized = true;  // GCC's AddressSanitizer, with UBSan beside it (the asan preset)
#else
constexpr bool kSanitized = false;
#endif

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

/// A program and its arguments.
using Command = std::vector<std::string>;

/// `script` run by a shell, with `game` as its "$0" "$@".
Command inShell(std::string script, const Command& game) {
    Command command{"/bin/sh", "-c", std::move(script)};
    command.insert(command.end(), game.begin(), game.end());
    return command;
}

/// `game` as a player types it at a shell's prompt.
std::string typedAtPrompt(const Command& game) {
    std::string line;
    for (const std::string& word : game) {
        line.append(line.empty() ? "" : " ").append(word);
    }
    return line;
}

/// Fails the session at once, saying which call failed.
[[noreturn]] void giveUp(const char* call) {
    std::perror(call);
    std::exit(2);
}

/// Lowers the soft limit of open files until no more than `count` descriptors are free.
void leaveFree(int count) {
    const int lowestFree = dup(STDIN_FILENO);
    rlimit limit{};
    if (lowestFree < 0 || close(lowestFree) != 0 || getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        giveUp("terminal_session: leaving descriptors free");
    }
    limit.rlim_cur = static_cast<rlim_t>(lowestFree + count);
    setrlimit(RLIMIT_NOFILE, &limit);
}

/// Opens `count` more descriptors (copies of standard input), raising the soft limit of
/// open files as far as needed: a game that inherits them finds its own above them.
void inheritDescriptors(int count) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const auto wanted = static_cast<rlim_t>(count + 64);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    for (int i = 0; i < count; ++i) {
        if (dup(STDIN_FILENO) < 0) {
            giveUp("terminal_session: inheriting descriptors");
        }
    }
}

class Terminal {
  public:
    /// Starts `command` (a program and its arguments) at a new terminal of 24 lines and
    /// 80 columns, with TERM and whatever `environment` adds ("NAME=value"), `inherited`
    /// descriptors open beside the terminal's, and at most `spare` more to open (-1: as many
    /// as the system allows).
    Terminal(Command command, const char* term, Screen screen,
             std::vector<std::string> environment = {}, int inherited = 0, int spare = -1) {
        // posix_openpt and TIOCSCTTY rather than openpty and login_tty, which macOS lacks.
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
            (slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY)) < 0) {
            giveUp("terminal_session: a new pseudo-terminal");
        }
        const winsize size{24, 80, 0, 0};
        ioctl(master_, TIOCSWINSZ, &size);
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
            giveUp("terminal_session: fork");
        }
        if (child_ == 0) {
            close(master_);
            // A session of its own, with this terminal as its controlling terminal.
            setsid();
            ioctl(slave_, TIOCSCTTY, 0);
            for (const int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
                dup2(slave_, standard);
            }
            close(slave_);
            inheritDescriptors(inherited);
            if (spare >= 0) {
                leaveFree(spare);
            }
            setenv("TERM", term, 1);
            for (std::string& setting : environment) {
                putenv(setting.data());
            }
            std::vector<char*> arguments;
            for (std::string& argument : command) {
                arguments.push_back(argument.data());
            }
            arguments.push_back(nullptr);
            execv(arguments[0], arguments.data());
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

    /// Types one word and the Enter key, which sends a carriage return (the terminal
    /// makes it a line break; typed ahead into the editor's mode, a line break sent as
    /// such would arrive as a carriage return).
    void type(std::string_view word) { keys(std::string(word) + "\r"); }

    /// Presses keys: their bytes as the terminal sends them.
    void keys(std::string_view bytes) {
        std::printf("typed: %s\n", visible(bytes).c_str());
        if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            giveUp("terminal_session: typing");
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

    /// Waits for `marker` and the number after it, on a line of its own: a process id a
    /// shell printed. -1 if none came in time.
    pid_t processShown(std::string_view what, std::string_view marker) {
        if (!waitFor(what, marker)) {
            return -1;
        }
        const auto deadline = Clock::now() + kPatience;
        while (text_.find('\n', seen_) == std::string::npos && readSome(deadline)) {
        }
        const std::size_t end = text_.find('\n', seen_);
        if (end == std::string::npos) {
            return -1;
        }
        const pid_t shown = std::atoi(text_.substr(seen_, end - seen_).c_str());
        seen_ = end + 1;
        return shown > 0 ? shown : -1;
    }

    /// Whether the screen next shows `text`, right after what was seen so far.
    bool next(std::string_view what, std::string_view text) {
        const std::size_t from = seen_;
        if (!waitFor(what, text)) {
            return false;
        }
        if (seen_ - text.size() != from) {
            std::printf("FAIL  %s: first came %s\n", std::string(what).c_str(),
                        visible(text_.substr(from, seen_ - text.size() - from)).c_str());
            return false;
        }
        return true;
    }

    /// How many bytes the screen has shown so far.
    std::size_t shownSoFar() const { return screen_.size(); }

    /// Whether the screen shows exactly `bytes` from byte `from` on (carriage returns and
    /// all): what comes next, with nothing before it.
    bool nextBytes(std::string_view what, std::size_t from, std::string_view bytes) {
        const auto deadline = Clock::now() + kPatience;
        while (screen_.size() < from + bytes.size() && readSome(deadline)) {
        }
        const std::string_view came = std::string_view(screen_).substr(from, bytes.size());
        std::printf("%s  %s", came == bytes ? "ok  " : "FAIL", std::string(what).c_str());
        if (came != bytes) {
            std::printf(": expected %s\n  on screen: %s", visible(bytes).c_str(),
                        visible(std::string_view(screen_).substr(from)).c_str());
        }
        std::printf("\n");
        return came == bytes;
    }

    /// Gives the window a new size, as dragging its corner does: the terminal tells the
    /// program in front (SIGWINCH).
    void resize(unsigned short rows, unsigned short columns) {
        std::printf("resized: %u lines of %u columns\n", rows, columns);
        const winsize size{rows, columns, 0, 0};
        ioctl(master_, TIOCSWINSZ, &size);
    }

    /// Sends `signal` to the process `pid`, as `kill` does from another window; never to
    /// a group or to every process, whatever `pid` a failed step left.
    static bool send(pid_t pid, int signal) {
        if (pid <= 1) {
            std::printf("FAIL  no process to send %s to\n", strsignal(signal));
            return false;
        }
        std::printf("sent: %s\n", strsignal(signal));
        return kill(pid, signal) == 0;
    }

    /// Closes the terminal, as closing its window does.
    void hangUp() {
        std::printf("closed the terminal\n");
        close(master_);
        master_ = -1;
    }

    /// Waits a moment, for a signal to be taken before the next key comes.
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }

    /// Waits longer than the editor waits for the rest of a key (half a second), so that
    /// the next key pressed is a key of its own.
    static void waitPastAKey() { std::this_thread::sleep_for(std::chrono::milliseconds(800)); }

    /// The process this terminal started.
    pid_t process() const { return child_; }

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
bool playPlainly(const Command& game, const char* term) {
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
bool playWithTheEditor(const Command& game, const char* term) {
    bool passed = true;
    {
        Terminal terminal(game, term, Screen::AsSet);
        passed &= terminal.waitFor("the banner, before the first line is typed", kWelcome);
        terminal.press("lok" + std::string(kLeft) + "o\r");
        passed &= terminal.waitFor("lok, Left, o, Enter: look", kClearScreen + kRoomOne);
        // "open" leaves its refusal without a line break: the next word is typed after it.
        terminal.press("open\r");
        passed &= terminal.waitFor("open: the refusal, its line left open",
                                   kClearScreen + "\n\nYou can not do that here");
        terminal.press("look\r");
        passed &= terminal.next("look typed on that same line, and answered",
                                "look\n" + kClearScreen + kRoomOne);
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
        // Started with no shell to continue it (as by tmux or ssh), the game is not stopped
        // by Ctrl-Z: it keeps the terminal, and the editor its settings.
        terminal.keys("\x1a");
        Terminal::pause();
        passed &= check((terminal.settings().c_lflag & (ICANON | ECHO)) == 0,
                        "Ctrl-Z with no shell to come back to: the editor keeps the terminal");
        terminal.press("e\rbuy\r");
        passed &= terminal.waitFor("e, buy: Tavrin's menu", kTavrinsMenu);
        terminal.press("\x04");
        passed &= terminal.waitFor("one Ctrl-D in a shop ends the whole game", kClosing);
        passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
        passed &= check(sameSettings(terminal.settings(), terminal.found()),
                        "the terminal's settings are as before the game");
    }
    {
        // More descriptors inherited than select() can wait on (FD_SETSIZE, 1,024 on Linux):
        // the editor's own descriptors lie above them, and it waits on them all the same.
        Terminal terminal(game, term, Screen::AsSet, {}, 1100);
        terminal.press("look\r");
        passed &= terminal.waitFor("1,100 descriptors inherited: look", kClearScreen + kRoomOne);
        terminal.press("quit\rquit\r");
        passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
    }
    // Too few descriptors free for the editor's wake-up pipe (without it, Ctrl-Z and fg
    // would leave the terminal in line mode under an editor that takes it for its own) and
    // the terminal's description, read while the pipe is open: the game reads plainly,
    // never in a dumb terminal's settings. Under the sanitizers, which tell whether an
    // object's memory can be read through a pipe of their own (with no descriptor to make
    // one, UBSan takes every vptr for a wrong one), one free is left out.
    for (const int free : {1, 2}) {
        const std::string what = free == 1 ? "one descriptor free" : "two descriptors free";
        if (kSanitized && free < 2) {
            std::printf("left out under the sanitizers: %s\n", what.c_str());
            continue;
        }
        Terminal terminal(game, term, Screen::AsSet, {}, 0, free);
        passed &= terminal.waitFor(what + ": the banner", kWelcome);
        Terminal::pause();
        passed &= check(sameSettings(terminal.settings(), terminal.found()),
                        "no line editor: the terminal is left as it was found");
        terminal.type("look");
        passed &= terminal.waitFor("look, read plainly", kClearScreen + kRoomOne);
        terminal.type("quit");
        terminal.type("quit");
        passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
        passed &= check(!terminal.shown("dumb terminal"), "no word of a dumb terminal");
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

/// Signals from outside and from the keyboard, as a player and a script author meet them.
bool playWithSignals(const Command& game, const char* term) {
    bool passed = true;
    {
        // The game ends by the signal it was sent, and only the game: the shell that
        // started it goes on, and sees the status of a program killed by that signal.
        // The shell then waits for Enter, so that the settings read are the ones the game
        // left, not the next game's. The last game runs in a session of its own (setsid),
        // where the terminal it plays at is no controlling terminal of its.
        Terminal shell(inShell(R"(for start in "" "" setsid; do
                                      $start sh -c 'echo "game $$"; exec "$0" "$@"' "$0" "$@"
                                      echo "after $?"
                                      read next
                                  done)",
                               game),
                       term, Screen::AsSet);
        for (const int signal : {SIGTERM, SIGHUP, SIGTERM}) {
            const pid_t pid = shell.processShown("the game starts from a shell", "game ");
            passed &= shell.waitFor("the banner", kWelcome);
            shell.press("lo");
            passed &= shell.waitFor("lo typed", "lo");
            passed &= Terminal::send(pid, signal);
            passed &= shell.waitFor("the game ends by its signal, and the shell goes on",
                                    "\nafter " + std::to_string(128 + signal) + "\n");
            passed &= check(sameSettings(shell.settings(), shell.found()),
                            "the terminal's settings are as before the game");
            shell.type("");
        }
        passed &= check(shell.waitForExit() == 0, "the shell ends well");
    }
    {
        // What was typed ahead of the game's end is left for whoever reads next.
        Terminal shell(inShell(R"("$0" "$@"; read line; echo "[$line]")", game), term,
                       Screen::AsSet);
        passed &= shell.waitFor("the banner", kWelcome);
        shell.press("quit\rquit\rhello\r");
        passed &=
            shell.waitFor("the game ends, and the shell reads what was typed after it", "[hello]");
    }
    {
        // Signals ignored where the game was started (as under nohup) stay ignored: the
        // half-typed line is kept through each of them, two at once included, and the
        // terminal stays as the editor set it. Closed, the terminal still ends the game.
        Terminal terminal(inShell(R"(trap '' INT TERM HUP QUIT; exec "$0" "$@")", game), term,
                          Screen::AsSet, {"LC_ALL=C.UTF-8"});
        passed &= terminal.waitFor("the banner", kWelcome);
        terminal.press("l");
        passed &= terminal.waitFor("l typed", "l");
        terminal.keys("\x03");  // Ctrl-C: SIGINT
        passed &= Terminal::send(terminal.process(), SIGTERM);
        Terminal::pause();
        terminal.press("o");
        passed &= terminal.waitFor("Ctrl-C and SIGTERM ignored, o typed", "o");
        passed &= Terminal::send(terminal.process(), SIGHUP);
        terminal.keys("\x1c");  // Ctrl-\: SIGQUIT
        Terminal::pause();
        terminal.press("ok");
        passed &= terminal.waitFor("SIGHUP and Ctrl-\\ ignored, ok typed", "ok");
        passed &= check((terminal.settings().c_lflag & (ICANON | ECHO)) == 0,
                        "the terminal is still the editor's");
        terminal.press("\r");
        passed &= terminal.waitFor("Enter: look, typed through it all", kClearScreen + kRoomOne);
        terminal.press("\xc3");  // the first byte of "é", and no more
        Terminal::pause();
        terminal.hangUp();
        passed &= check(terminal.waitForExit() == 1,
                        "the terminal closed: the game ends, its screen lost (status 1)");
    }
    // Ctrl-Z and fg, and a window made narrower, in the middle of a line: each time the
    // line is drawn again, and typing goes on where it was.
    Terminal shell({"/bin/sh", "-i"}, term, Screen::AsSet, {"PS1=$ ", "ENV="});
    shell.type(typedAtPrompt(game));
    passed &= shell.waitFor("the banner", kWelcome);
    shell.press("stat");
    passed &= shell.waitFor("stat typed", "stat");
    shell.keys("\x1a");  // Ctrl-Z: SIGTSTP
    passed &= shell.waitFor("Ctrl-Z: the game stops, and the shell says so", "Stopped");
    passed &= check(sameSettings(shell.settings(), shell.found()),
                    "the terminal's settings are as before the game while it is stopped");
    shell.type("fg");
    passed &= shell.waitFor("fg: the game goes on, its line drawn again", "\nstat");
    passed &= check((shell.settings().c_lflag & (ICANON | ECHO)) == 0,
                    "the editor has taken the terminal again");
    shell.press("s\r");
    passed &= shell.waitFor("s, Enter: stats", kClearScreen + "\n\nHealth: 100/100");
    shell.press("open\r");
    passed &= shell.waitFor("open: the refusal, its line left open",
                            kClearScreen + "\n\nYou can not do that here");
    shell.press("lo");
    passed &= shell.waitFor("lo typed", "lo");
    const std::size_t beforeResize = shell.shownSoFar();
    shell.resize(24, 40);
    passed &= shell.nextBytes("a narrower window: the line drawn again, over itself", beforeResize,
                              "\rYou can not do that herelo");
    shell.press("ok\r");
    passed &= shell.waitFor("ok, Enter: look", kClearScreen + kRoomOne);
    shell.press("quit\rquit\r");
    passed &= shell.waitFor("the game ends", kClosing);
    shell.type("exit");
    passed &= check(shell.waitForExit() == 0, "the shell ends well");
    return passed;
}

/// Every byte typed reaches the game as through a pipe, where every byte but the word
/// separators belongs to the word; the locale's letters are still edited as one
/// character each.
bool playWithBytes(const Command& game, const char* term) {
    bool passed = true;
    // How many Backspaces take back "é" (two bytes in UTF-8): one where the locale reads
    // UTF-8, two where each byte is a character of its own.
    const std::pair<const char*, int> locales[] = {{"LC_ALL=C.UTF-8", 1}, {"LC_ALL=C", 2}};
    for (const auto& [locale, backspaces] : locales) {
        std::printf("with %s\n", locale);
        Terminal terminal(game, term, Screen::AsSet, {locale});
        passed &= terminal.waitFor("the banner", kWelcome);
        terminal.press("look\xff\r");
        passed &= terminal.waitFor("look and byte 0xFF: a word the game does not know",
                                   kClearScreen + "\n\nYou can not do that here\n");
        terminal.press("look\xc3\xa9\r");
        passed &= terminal.waitFor("look and \"é\": a word the game does not know",
                                   kClearScreen + "\n\nYou can not do that here\n");
        terminal.press("lo\xc3\xa9" + std::string(static_cast<std::size_t>(backspaces), '\x7f') +
                       "ok\r");
        passed &= terminal.waitFor("lo, \"é\", Backspace, ok: look", kClearScreen + kRoomOne);
        terminal.press("quit\rquit\r");
        passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
    }
    return passed;
}

/// Home, End, Delete and Insert as terminals send them, whatever TERM says: Home as
/// ESC [1~ (xterm's vt220 keys, screen, tmux, the Linux console), ESC [7~ (rxvt), ESC [H
/// and ESC OH (xterm); End likewise; Delete as ESC [3~; Insert as ESC [2~, which switches
/// between inserting and overwriting.
bool pressEditingKeys(const Command& game, const char* term) {
    bool passed = true;
    Terminal terminal(game, term, Screen::AsSet);
    passed &= terminal.waitFor("the banner", kWelcome);
    const std::pair<std::string_view, std::string_view> homeAndEnd[] = {
        {"\x1b[1~", "\x1b[4~"}, {"\x1b[7~", "\x1b[8~"}, {"\x1b[H", "\x1b[F"}, {"\x1bOH", "\x1bOF"}};
    constexpr std::string_view kDelete = "\x1b[3~";
    for (const auto& [home, end] : homeAndEnd) {
        // xok, Home, Delete: ok; lo: look; End, " map": look map.
        terminal.press("xok" + std::string(home) + std::string(kDelete) + "lo" + std::string(end) +
                       " map\r");
        passed &= terminal.waitFor("Home " + visible(home) + ", Delete, End " + visible(end),
                                   kClearScreen + kRoomOne + kClearScreen + domainMap(4, 4));
    }
    constexpr std::string_view kInsert = "\x1b[2~";
    terminal.press("xxok" + std::string(kHome) + std::string(kInsert) + "lo" +
                   std::string(kInsert) + "\x1b[F m\r");
    passed &=
        terminal.waitFor("xxok, Home, Insert, lo: look; Insert, End, \" m\": look m",
                         kClearScreen + kRoomOne + kClearScreen + "\n\nYou can not do that here\n");
    // Ctrl-Left and Ctrl-Right move by word: xterm's form, an older one, and rxvt's; so do
    // Alt-b and Alt-f, emacs's own (ESC and a letter: no key sequence).
    const std::pair<std::string_view, std::string_view> wordKeys[] = {{"\x1b[1;5D", "\x1b[1;5C"},
                                                                      {"\x1b[5D", "\x1b[5C"},
                                                                      {"\x1bOd", "\x1bOc"},
                                                                      {"\033b", "\033f"}};
    for (const auto& [left, right] : wordKeys) {
        // lo ap, Ctrl-Left, m: lo map; Ctrl-Left twice, to the line's start; Ctrl-Right, ok.
        const std::string leftKey(left);
        terminal.press("lo ap" + leftKey + "m" + leftKey + leftKey + std::string(right) + "ok\r");
        passed &= terminal.waitFor("a word left " + visible(left) + ", right " + visible(right),
                                   kClearScreen + kRoomOne + kClearScreen + domainMap(4, 4));
    }
    // Esc pressed alone does nothing, neither itself nor to the key after it (which the
    // editor would take for Alt and that key): Esc, then look; look, Esc, then Enter.
    terminal.press("\x1b");
    Terminal::waitPastAKey();
    terminal.keys("look\r");
    passed &= terminal.waitFor("Esc alone, look: look", kClearScreen + kRoomOne);
    terminal.press("look\x1b");
    Terminal::waitPastAKey();
    terminal.keys("\r");
    passed &= terminal.waitFor("look, Esc alone, Enter: look", kClearScreen + kRoomOne);
    // Esc and then Enter or Ctrl-D, arriving together (or Alt and the key): the key still acts.
    terminal.press("look\x1b\r");
    passed &= terminal.waitFor("look, Esc and Enter at once: look", kClearScreen + kRoomOne);
    std::string fourLeft;
    for (int i = 0; i < 4; ++i) {
        fourLeft += kLeft;
    }
    terminal.press("lxook" + fourLeft + "\x1b\x04\r");
    passed &= terminal.waitFor("lxook, Left four times, Esc and Ctrl-D at once: look",
                               kClearScreen + kRoomOne);
    // A key's bytes split by a slow link still make the key: ESC [, then D a moment later.
    terminal.press("lok\x1b[");
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    terminal.keys("Do\r");
    passed &= terminal.waitFor("lok, Left split after ESC [, o: look", kClearScreen + kRoomOne);
    // The keys a shell user reaches for, as the documents name them.
    const std::pair<std::string_view, std::string_view> shellKeys[] = {
        {"lk\x02\x02\x06oo\r", "lk, Ctrl-B twice, Ctrl-F, oo: look"},
        {"loko\x14\r", "loko, Ctrl-T: look"},
        {"look\x01\x0b\x19\r", "look, Ctrl-A, Ctrl-K, Ctrl-Y: look"},
        {"lo\x0cok\r", "lo, Ctrl-L, ok: look"},
    };
    for (const auto& [keys, what] : shellKeys) {
        terminal.press(keys);
        passed &= terminal.waitFor(what, kClearScreen + kRoomOne);
    }
    // Every other key libedit binds of its own is swallowed like any key with no part in
    // editing: Ctrl-P would bring back the line before, Ctrl-R search, Ctrl-X Ctrl-X go to
    // the mark, Ctrl-V insert Ctrl-G as text, and so on.
    // clang-format off
    const std::string_view swallowedControls[] = {
        "\x10", "\x0e", "\x12", "\x18\x18", "\x16\x07", "\x0f", "\x07", "\x1d", "\x1e", "\x1f",
    };
    // clang-format on
    for (const std::string_view key : swallowedControls) {
        terminal.press("lo" + std::string(key) + "ok\r");
        passed &= terminal.waitFor("lo, " + visible(key) + ", ok: look", kClearScreen + kRoomOne);
    }
    // Keys the editor has no binding for are swallowed whole, in their common forms, and
    // Ctrl-@ (a NUL byte, also Ctrl-Space) does nothing.
    // clang-format off
    const std::string_view unboundKeys[] = {
        "\x1b[5~", "\x1b[6~", "\x1b[5;5~", "\x1b[6^",                        // Page Up, Down
        "\x1b[1;2A", "\x1b[1;3B", "\x1b[1;5A", "\x1b[1;6D", "\x1b[a", "\x1bOb",  // arrows
        "\x1bOP", "\x1bOS", "\x1b[11~", "\x1b[15~", "\x1b[17~", "\x1b[21~",     // F1-F12
        "\x1b[24~", "\x1b[[A", "\x1b[[E", "\x1b[1;2P", "\x1b[15;5~", "\x1bO2Q",
        "\x1b[3;5~", "\x1b[3^", "\x1b[2$", {"\0", 1},  // Ctrl-Delete, Shift-Insert, Ctrl-@
        "\033\x7f", "\033\033[A",  // Alt-Backspace, Alt-Up as rxvt sends it
    };
    // clang-format on
    for (const std::string_view key : unboundKeys) {
        terminal.press("lo" + std::string(key) + "ok\r");
        passed &= terminal.waitFor("lo, " + visible(key) + ", ok: look", kClearScreen + kRoomOne);
    }
    terminal.press("lo\x1b[1\x7fook\r");
    passed &= terminal.waitFor("lo, a key cut short by Backspace, which takes back o; ook: look",
                               kClearScreen + kRoomOne);
    terminal.press("\x1b\x04");
    passed &= terminal.waitFor("Esc and Ctrl-D at once on an empty line: the end", kClosing);
    passed &= check(terminal.waitForExit() == 0, "the game ends with status 0");
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc >= 4 ? argv[1] : "";
    const char* term = argc >= 4 ? argv[2] : "";
    const Command game(argv + std::min(argc, 3), argv + argc);  // a launcher, perhaps, and the game
    bool passed = false;
    if (mode == "plain") {
        passed = playPlainly(game, term);
    } else if (mode == "editor") {
        passed = playWithTheEditor(game, term);
    } else if (mode == "signals") {
        passed = playWithSignals(game, term);
    } else if (mode == "bytes") {
        passed = playWithBytes(game, term);
    } else if (mode == "keys") {
        passed = pressEditingKeys(game, term);
    } else {
        std::fputs(
            "usage: terminal_session plain|editor|signals|bytes|keys TERM [LAUNCHER...] GAME\n",
            stderr);
        return 2;
    }
    std::printf("%s\n", passed ? "the terminal session passed" : "the terminal session FAILED");
    return passed ? 0 : 1;
}
