// Stress checks of the real program: it is started as a player would start it, fed
// through a pipe, and watched for its exit, its output, its standard error, its time and
// its peak memory.
//
// Usage: stress_driver CHECK GAME PEAK_MEMORY [--quick]
//
//   endless-commands  ten million random command words (one million first, to compare):
//                     every word is answered, memory stays under 8 MB and does not grow
//   long-word         one word of 100 MB without a separator is one unrecognised word,
//                     read in under 8 MB
//   random-bytes      inputs of random bytes (NUL, 0xFF, lone carriage returns, lines of
//                     megabytes) are played to the end without a crash or a hang
//   closed-pipe       output into a pipe that is closed after 100 bytes, as with
//                     `quellmoor < script | head -c 100`, ends at once: killed by
//                     SIGPIPE, or with SIGPIPE ignored, exit status 1 and one line
//
// --quick shrinks every input a hundredfold and skips the memory limits, for builds that
// are slow or large by design (sanitizers, coverage, debug).
//
// GAME is the program under test; PEAK_MEMORY is the launcher that measures it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What every game prints first and last, and the screen-clearing run before each answer.
constexpr std::string_view kBanner = "Welcome Quellmoor v1.0\n";
constexpr std::string_view kEntry = "\n\nYou have entered the land of Lord Tavrin's Domain\n\n";
constexpr std::string_view kClosing = "\n\nType quit to exit\n";
constexpr std::string_view kGoodbye = "\n\nGoodbye\n";
constexpr std::string_view kUnknownWord = "\n\nYou can not do that here\n";
const std::string kClearScreen(25, '\n');

// The game's one line on standard error when its output is a pipe whose reader has gone
// and SIGPIPE is ignored.
constexpr std::string_view kCannotWrite =
    "quellmoor: cannot write to standard output: Broken pipe\n";

constexpr long kMemoryLimitKb = 8 * 1024;
// How much the same game's peak moves from run to run, besides the kernel's counting
// (memoryAllowanceKb): how much of its input block the fullest read of the pipe filled,
// and where address space randomisation cannot be switched off, some 300 KB more.
constexpr long kInputBlockKb = 64;
constexpr long kRandomLayoutJitterKb = 512;

int failures = 0;

void check(bool condition, const std::string& what) {
    std::printf("%s %s\n", condition ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!condition) {
        ++failures;
    }
}

/// A small deterministic generator (splitmix64): the same words on every run.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    /// 0 to n-1.
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    char byte() { return static_cast<char>(next() & 0xFF); }

  private:
    std::uint64_t state_;
};

/// Input for the game, produced a block at a time so no input is ever held whole.
/// `fill` replaces `block` with the next piece and returns false once there is none.
using Source = std::function<bool(std::string& block)>;

constexpr std::size_t kBlock = 64 * 1024;

// Every command word but "quit" (which would end the game early) and "attack" (which can
// end it by death): the stream is meant to be played to its end.
constexpr std::string_view kPeacefulCommands[] = {
    "n",       "e",      "s",     "w",     "map",  "look", "teleport", "open", "drink",
    "amplify", "weaken", "climb", "stats", "heal", "mana", "buy",      "talk", "plumbwagon",
};
// What the shop and teleporter menus read, right or wrong.
constexpr std::string_view kSelections[] = {"1", "2", "3", "4", "5", "6", "7", "0", "99"};
constexpr std::string_view kSeparators[] = {" ", "\n", "\n", "\t", "\r\n", "   ", "\n\n"};

/// Appends one random word that is no command (capitals, near misses, long words).
void appendStrangeWord(Random& random, std::string& out) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::size_t length = random.below(8) == 0 ? 17 + random.below(300) : 1 + random.below(12);
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < length; ++i) {
        out += kLetters[random.below(kLetters.size())];
    }
    const std::string_view word(out.data() + start, length);
    if (word == "quit" || word == "attack") {
        out.resize(start);
        out += "QUIT";
    }
}

void appendRandomCommand(Random& random, std::string& out) {
    const std::size_t kind = random.below(20);
    if (kind < 12) {
        out += kPeacefulCommands[random.below(std::size(kPeacefulCommands))];
    } else if (kind < 16) {
        out += kSelections[random.below(std::size(kSelections))];
    } else {
        appendStrangeWord(random, out);
    }
    out += kSeparators[random.below(std::size(kSeparators))];
}

/// `words` random command words, then words that close any menu still open ("1" is a
/// choice in every shop and at every pedestal), quit, and the word the closing read takes.
Source randomCommands(std::uint64_t words, std::uint64_t seed) {
    auto random = std::make_shared<Random>(seed);
    auto left = std::make_shared<std::uint64_t>(words);
    auto ended = std::make_shared<bool>(false);
    return [=](std::string& block) {
        block.clear();
        if (*ended) {
            return false;
        }
        while (*left > 0 && block.size() < kBlock) {
            appendRandomCommand(*random, block);
            --*left;
        }
        if (*left == 0) {
            block += "\n1\nquit\nx\n";
            *ended = true;
        }
        return true;
    };
}

/// Random commands without end.
Source endlessCommands(std::uint64_t seed) {
    auto random = std::make_shared<Random>(seed);
    return [=](std::string& block) {
        block.clear();
        while (block.size() < kBlock) {
            appendRandomCommand(*random, block);
        }
        return true;
    };
}

/// Hands out `text` in blocks.
Source fixedText(std::string text) {
    auto held = std::make_shared<std::string>(std::move(text));
    auto at = std::make_shared<std::size_t>(0);
    return [=](std::string& block) {
        if (*at >= held->size()) {
            return false;
        }
        block.assign(*held, *at, kBlock);
        *at += block.size();
        return true;
    };
}

/// "look" followed by `length` more letters and no separator, then quit and a last word.
Source longWord(std::uint64_t length) {
    auto left = std::make_shared<std::uint64_t>(length);
    auto stage = std::make_shared<int>(0);
    return [=](std::string& block) {
        if (*stage == 0) {
            block = "look";
            *stage = 1;
        } else if (*left > 0) {
            block.assign(static_cast<std::size_t>(std::min<std::uint64_t>(*left, kBlock)), 'k');
            *left -= block.size();
        } else if (*stage == 1) {
            block = "\nquit\nx\n";
            *stage = 2;
        } else {
            return false;
        }
        return true;
    };
}

struct Outcome {
    int status = -1;           ///< the game's raw wait status
    long peakKb = -1;          ///< the game's peak resident memory
    bool fixedLayout = false;  ///< it ran without address space randomisation
    bool pinned = false;       ///< it ran on one processor only
    std::uint64_t outputBytes = 0;
    std::string head;    ///< the first 64 KB of the output
    std::string tail;    ///< the last 64 KB of the output
    std::string errors;  ///< the first 64 KB on standard error
    bool allInputTaken = false;
    bool timedOut = false;
    double seconds = 0;

    bool exitedWith(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
};

struct Launch {
    const char* game;
    const char* launcher;
    double deadlineSeconds = 50;
    bool ignoreBrokenPipe = false;  ///< start the game with SIGPIPE ignored
    std::uint64_t closeOutputAfter = UINT64_MAX;
};

constexpr std::size_t kOutputKept = 64 * 1024;

void makePipe(int ends[2]) {
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::perror("stress_driver: pipe");
        std::exit(2);
    }
}

/// Reads what is there (up to a megabyte) into `fresh`; false at end of file.
bool drain(int fd, std::string& fresh) {
    fresh.clear();
    char buffer[65536];
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            fresh.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            return false;
        } else {
            return errno == EAGAIN || errno == EINTR;
        }
    }
    return true;
}

/// Keeps the first `limit` bytes of a stream in `head` and the last `limit` in `tail`.
void keep(std::string_view fresh, std::string& head, std::string& tail, std::size_t limit) {
    head.append(fresh.substr(0, limit - std::min(limit, head.size())));
    tail.append(fresh.substr(fresh.size() - std::min(fresh.size(), limit)));
    if (tail.size() > limit) {
        tail.erase(0, tail.size() - limit);
    }
}

/// Runs the game (through the memory launcher) on `source` and watches it to the end.
Outcome play(const Launch& launch, const Source& source) {
    int input[2], output[2], errors[2], report[2];
    makePipe(input);
    makePipe(output);
    makePipe(errors);
    makePipe(report);
    const auto started = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        signal(SIGPIPE, launch.ignoreBrokenPipe ? SIG_IGN : SIG_DFL);
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        dup2(errors[1], STDERR_FILENO);
        dup2(report[1], 3);
        execl(launch.launcher, launch.launcher, launch.game, static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(child, child);
    close(input[0]);
    close(output[1]);
    close(errors[1]);
    close(report[1]);
    for (int fd : {input[1], output[0], errors[0]}) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }

    Outcome outcome;
    int in = input[1], out = output[0], err = errors[0];
    std::string block;
    std::size_t written = 0;
    bool sourceEnded = !source(block);
    std::string fresh;
    const auto deadline = started + std::chrono::duration<double>(launch.deadlineSeconds);

    while (out >= 0 || err >= 0) {
        if (in >= 0 && sourceEnded) {
            close(in);
            in = -1;
            outcome.allInputTaken = true;
        }
        pollfd watched[3];
        nfds_t count = 0;
        if (in >= 0) {
            watched[count++] = {in, POLLOUT, 0};
        }
        if (out >= 0) {
            watched[count++] = {out, POLLIN, 0};
        }
        if (err >= 0) {
            watched[count++] = {err, POLLIN, 0};
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            kill(-child, SIGKILL);
            break;
        }
        if (poll(watched, count, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0 &&
            errno != EINTR) {
            std::perror("stress_driver: poll");
            std::exit(2);
        }
        if (in >= 0) {
            const ssize_t put = write(in, block.data() + written, block.size() - written);
            if (put > 0) {
                written += static_cast<std::size_t>(put);
                if (written == block.size()) {
                    written = 0;
                    sourceEnded = !source(block);
                }
            } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
                close(in);  // the game no longer reads: it has ended
                in = -1;
            }
        }
        if (out >= 0) {
            const bool open = drain(out, fresh);
            outcome.outputBytes += fresh.size();
            keep(fresh, outcome.head, outcome.tail, kOutputKept);
            if (!open || outcome.outputBytes >= launch.closeOutputAfter) {
                close(out);
                out = -1;
            }
        }
        if (err >= 0) {
            const bool open = drain(err, fresh);
            outcome.errors.append(
                fresh.substr(0, kOutputKept - std::min(kOutputKept, outcome.errors.size())));
            if (!open) {
                close(err);
                err = -1;
            }
        }
    }
    for (int fd : {in, out, err}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    int launcherStatus = 0;
    waitpid(child, &launcherStatus, 0);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();

    char text[64] = {};
    const ssize_t got = read(report[0], text, sizeof text - 1);
    close(report[0]);
    int fixedLayout = 0;
    int pinned = 0;
    if (got <= 0 || std::sscanf(text, "%ld %d %d %d", &outcome.peakKb, &outcome.status,
                                &fixedLayout, &pinned) != 4) {
        std::fprintf(stderr, "stress_driver: no report from the launcher (status %d)\n",
                     launcherStatus);
        outcome.status = -1;
    }
    outcome.fixedLayout = fixedLayout == 1;
    outcome.pinned = pinned == 1;
    return outcome;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

void describe(const char* what, const Outcome& outcome) {
    std::printf("     %s: %.2f s, %llu bytes of output, peak memory %ld KB\n", what,
                outcome.seconds, static_cast<unsigned long long>(outcome.outputBytes),
                outcome.peakKb);
}

/// How far apart two peaks of the same game may lie with no change in what it holds.
///
/// The kernel counts a process's pages per processor and adds each processor's count to
/// the total a batch at a time (max(32, 2 x processors) pages); the peak is read from the
/// total, so each peak may be off, either way, by a batch less one page of each kind
/// (anonymous, file) on each processor the game ran on. The launcher keeps it on one.
/// Two peaks, two kinds: four such errors, then the input block and the layout. On two
/// processors that is 560 KB: a game that kept a byte for every sixteen words would
/// still grow past it over the nine million words between the two runs.
long memoryAllowanceKb(const Outcome& first, const Outcome& second) {
    const long processors = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    const long batchPages = std::max(32L, 2 * processors);
    const long pageKb = sysconf(_SC_PAGESIZE) / 1024;
    const long processorsUsed = first.pinned && second.pinned ? 1 : processors;
    long allowance = 4 * (batchPages - 1) * pageKb * processorsUsed + kInputBlockKb;
    if (!first.fixedLayout || !second.fixedLayout) {
        std::printf("     address space randomisation is on: peaks may differ by %ld KB more\n",
                    kRandomLayoutJitterKb);
        allowance += kRandomLayoutJitterKb;
    }
    return allowance;
}

// ---------------------------------------------------------------------------------------

void endlessCommandsCheck(const Launch& launch, bool quick) {
    const std::uint64_t shortRun = quick ? 10'000 : 1'000'000;
    const std::uint64_t longRun = quick ? 100'000 : 10'000'000;
    // The closing answer to the stream's last words: the loop's clearing run before
    // "quit", the goodbye, and the closing line.
    const std::string ending = kClearScreen + std::string(kGoodbye) + std::string(kClosing);
    // Once first, unmeasured, so that both measured runs find all of the program's pages
    // already read from disk: the first run after the program was written or evicted maps
    // fewer of them (some 64 KB).
    play(launch, fixedText("quit\nx\n"));
    Outcome outcomes[2];
    int i = 0;
    for (std::uint64_t words : {shortRun, longRun}) {
        Outcome& outcome = outcomes[i++];
        outcome = play(launch, randomCommands(words, 20240601));
        const std::string name = std::to_string(words) + " random words";
        describe(name.c_str(), outcome);
        check(!outcome.timedOut, name + ": finished in time");
        check(outcome.allInputTaken, name + ": every word was read");
        check(outcome.exitedWith(0), name + ": exit status 0");
        check(outcome.errors.empty(), name + ": nothing on standard error");
        check(startsWith(outcome.head, std::string(kBanner) + std::string(kEntry)),
              name + ": the banner and the entry line come first");
        check(endsWith(outcome.tail, ending), name + ": quit at the end is answered with goodbye");
        check(outcome.outputBytes >= words * kClearScreen.size(),
              name + ": every word cleared the screen");
        if (!quick) {
            check(outcome.peakKb > 0 && outcome.peakKb < kMemoryLimitKb,
                  name + ": peak memory under 8 MB");
        }
    }
    if (!quick) {
        const long allowance = memoryAllowanceKb(outcomes[0], outcomes[1]);
        check(outcomes[1].peakKb <= outcomes[0].peakKb + allowance,
              "ten times the words take no more memory (" + std::to_string(outcomes[0].peakKb) +
                  " KB, then " + std::to_string(outcomes[1].peakKb) + " KB; " +
                  std::to_string(allowance) + " KB allowed for the kernel's counting)");
    }
}

void longWordCheck(const Launch& launch, bool quick) {
    const std::uint64_t length = quick ? 1'000'000 : 100'000'000;
    const Outcome outcome = play(launch, longWord(length));
    const std::string name = "a word of " + std::to_string(length + 4) + " bytes";
    describe(name.c_str(), outcome);
    const std::string expected = std::string(kBanner) + std::string(kEntry) + kClearScreen +
                                 std::string(kUnknownWord) + kClearScreen + std::string(kGoodbye) +
                                 std::string(kClosing);
    check(!outcome.timedOut, name + ": finished in time");
    check(outcome.exitedWith(0), name + ": exit status 0");
    check(outcome.errors.empty(), name + ": nothing on standard error");
    check(outcome.head == expected, name + ": answered once as an unrecognised word, then quit");
    if (!quick) {
        check(outcome.peakKb > 0 && outcome.peakKb < kMemoryLimitKb,
              name + ": peak memory under 8 MB");
    }
}

/// Random inputs of several kinds, each a few megabytes.
std::vector<std::pair<std::string, std::string>> randomInputs(std::size_t size) {
    Random random(7);
    std::vector<std::pair<std::string, std::string>> inputs;
    std::string text;

    for (std::size_t i = 0; i < size; ++i) {
        text += random.byte();
    }
    inputs.emplace_back("uniform random bytes", std::move(text));

    text.clear();
    static constexpr char kAwkward[] = {'\0', '\xff', '\r', ' ', 'n', '\x80', '\x7f', '\x1b'};
    for (std::size_t i = 0; i < size; ++i) {
        text += kAwkward[random.below(sizeof kAwkward)];
    }
    inputs.emplace_back("NUL, 0xFF, lone carriage returns and escapes", std::move(text));

    text.clear();
    while (text.size() < size) {
        const std::size_t line = 100'000 + random.below(900'000);
        for (std::size_t i = 0; i < line && text.size() < size; ++i) {
            const char c = random.byte();
            text += c == '\n' ? 'x' : c;
        }
        text += '\n';
    }
    inputs.emplace_back("lines of up to a megabyte", std::move(text));

    text.clear();
    static constexpr std::string_view kEveryWord[] = {
        "n",          "e",       "s",      "w",     "map",   "look", "teleport", "attack", "open",
        "drink",      "amplify", "weaken", "climb", "stats", "heal", "mana",     "buy",    "talk",
        "plumbwagon", "1",       "2",      "3",     "4",     "5",    "6"};
    static constexpr std::string_view kOddSeparators[] = {
        "\r", std::string_view("\0", 1), "\xff", " ", "\n", "\v\f"};
    while (text.size() < size) {
        text += kEveryWord[random.below(std::size(kEveryWord))];
        const std::string_view separator = kOddSeparators[random.below(std::size(kOddSeparators))];
        text += separator;
    }
    inputs.emplace_back("command words between NUL, 0xFF and lone carriage returns",
                        std::move(text));

    inputs.emplace_back("one word of NUL bytes", std::string(size, '\0'));
    inputs.emplace_back("carriage returns alone", std::string(size, '\r'));
    return inputs;
}

void randomBytesCheck(const Launch& launch, bool quick) {
    for (auto& [name, text] : randomInputs(quick ? 40'000 : 4'000'000)) {
        const Outcome outcome = play(launch, fixedText(text));
        describe(name.c_str(), outcome);
        check(!outcome.timedOut, name + ": finished in time");
        check(outcome.exitedWith(0), name + ": exit status 0");
        check(outcome.errors.empty(), name + ": nothing on standard error");
        check(startsWith(outcome.head, kBanner), name + ": the banner comes first");
        check(endsWith(outcome.tail, kClosing), name + ": the closing line comes last");
    }
}

void closedPipeCheck(Launch launch) {
    launch.closeOutputAfter = 100;
    launch.deadlineSeconds = 10;
    for (bool ignored : {false, true}) {
        launch.ignoreBrokenPipe = ignored;
        const Outcome outcome = play(launch, endlessCommands(99));
        const std::string name =
            ignored ? "output closed, SIGPIPE ignored" : "output closed, as in a shell pipeline";
        describe(name.c_str(), outcome);
        check(!outcome.timedOut, name + ": the game ends at once, though its input never does");
        if (ignored) {
            check(outcome.exitedWith(1), name + ": exit status 1");
            check(outcome.errors == kCannotWrite, name + ": says why on standard error");
        } else {
            const bool brokenPipe = outcome.status != -1 && WIFSIGNALED(outcome.status) &&
                                    WTERMSIG(outcome.status) == SIGPIPE;
            check(brokenPipe, name + ": killed by SIGPIPE");
            check(outcome.errors.empty(), name + ": nothing on standard error");
        }
        if (!outcome.errors.empty()) {
            std::printf("     standard error: %s", outcome.errors.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: stress_driver CHECK GAME PEAK_MEMORY [--quick]\n", stderr);
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);  // a game that stops reading must not take the driver with it
    const std::string_view which = argv[1];
    Launch launch{argv[2], argv[3]};
    const bool quick = argc > 4 && std::string_view(argv[4]) == "--quick";
    if (which == "endless-commands") {
        endlessCommandsCheck(launch, quick);
    } else if (which == "long-word") {
        longWordCheck(launch, quick);
    } else if (which == "random-bytes") {
        randomBytesCheck(launch, quick);
    } else if (which == "closed-pipe") {
        closedPipeCheck(launch);
    } else {
        std::fprintf(stderr, "stress_driver: no check named %s\n", argv[1]);
        return 2;
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
