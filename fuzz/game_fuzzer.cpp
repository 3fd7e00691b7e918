// Plays whole games on arbitrary input bytes, in-process, on in-memory streams.
//
// Each input is played three times:
//   1. as typed at a terminal, one line at a time, with the output thrown away;
//   2. the same again, which must print exactly the same (nothing may carry over from
//      one game to the next, and nothing may depend on uninitialised memory);
//   3. with an output that breaks after a number of bytes, as a closed pipe does: the
//      game must notice, read at most one more word and wind down.
// Besides the sanitizers' own reports, every game must end: each read either consumes
// input or meets the end of input, and the game stops asking once the input has ended.
// And each answer must be on the screen before the game waits for the next line: what
// appears between two waits must be explained by the line typed in between (at most
// 1 KB per byte typed), so a game that held its answers back, or a loop that prints a
// menu forever, is caught here rather than by the time-out.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <streambuf>

#include "play/play_game.hpp"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "game_fuzzer: %s\n", what);
    std::abort();
}

/// The screen: keeps a hash and a count of what is printed, and whether all of it has
/// been flushed. With a capacity, it takes that many bytes and then fails like a closed
/// pipe, every write and flush after it.
class Screen : public std::streambuf {
  public:
    explicit Screen(std::size_t capacity = SIZE_MAX) : capacity_(capacity) {}

    std::uint64_t hash() const { return hash_; }
    std::size_t bytes() const { return bytes_; }
    bool broken() const { return broken_; }
    bool allFlushed() const { return flushedBytes_ == bytes_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::streamsize taken = 0;
        while (taken < count && bytes_ < capacity_) {
            hash_ = (hash_ ^ static_cast<unsigned char>(text[taken++])) * 0x100000001b3u;
            ++bytes_;
        }
        if (taken < count) {
            broken_ = true;
        }
        return taken;
    }

    int sync() override {
        if (broken_) {
            return -1;
        }
        flushedBytes_ = bytes_;
        return 0;
    }

  private:
    std::size_t capacity_;
    std::uint64_t hash_ = 0xcbf29ce484222325u;
    std::size_t bytes_ = 0;
    std::size_t flushedBytes_ = 0;
    bool broken_ = false;
};

// The longest answer to one word (a room description after the screen-clearing run) is
// under 1 KB, and a word takes at least two bytes with its separator. Without input the
// game prints its banner, and at the end of input at most a menu's farewell, a map and
// its closing lines.
constexpr std::size_t kMostPrintedPerInputByte = 1024;
constexpr std::size_t kMostPrintedWithoutInput = 1024;

/// The player's keystrokes: the input bytes, handed over one line at a time, as a
/// terminal does, so the game waits for input at every line end. Every wait must find
/// the answers to the lines typed so far on the screen, flushed.
class TypedInput : public std::streambuf {
  public:
    /// `screen`, if given, is checked at every wait.
    TypedInput(const std::uint8_t* data, std::size_t size, const Screen* screen)
        : begin_(reinterpret_cast<const char*>(data)),
          next_(begin_),
          end_(reinterpret_cast<const char*>(data) + size),
          screen_(screen) {}

    /// How often the game asked for more after the input had ended.
    int readsAtEnd() const { return readsAtEnd_; }
    /// Checks what the game showed since it last waited; called at every wait, and once
    /// more when the game is over.
    void checkAnswersShown() {
        if (screen_ == nullptr) {
            return;
        }
        if (!screen_->allFlushed()) {
            fail("the game waited for input with part of its answer not yet flushed");
        }
        const std::size_t answered = screen_->bytes() - shownAtLastWait_;
        if (answered > kMostPrintedWithoutInput + kMostPrintedPerInputByte * lastLine_) {
            fail(
                "more appeared between two waits than the line typed can explain: the "
                "game held answers back while waiting, or printed without reading");
        }
        shownAtLastWait_ = screen_->bytes();
    }

    /// How many input bytes the game has taken.
    std::size_t consumed() const {
        return static_cast<std::size_t>(next_ - begin_) -
               static_cast<std::size_t>(egptr() - gptr());
    }

  protected:
    int_type underflow() override {
        if (gptr() != egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        checkAnswersShown();
        lastLine_ = 0;
        if (next_ == end_) {
            ++readsAtEnd_;
            return traits_type::eof();
        }
        const char* lineEnd = next_;
        while (lineEnd != end_ && *lineEnd++ != '\n') {
        }
        // The game only reads from the get area, never writes it.
        char* begin = const_cast<char*>(next_);
        setg(begin, begin, begin + (lineEnd - next_));
        lastLine_ = static_cast<std::size_t>(lineEnd - next_);
        next_ = lineEnd;
        return traits_type::to_int_type(*gptr());
    }

  private:
    const char* begin_;
    const char* next_;
    const char* end_;
    const Screen* screen_;
    std::size_t shownAtLastWait_ = 0;
    std::size_t lastLine_ = 0;  ///< the length of the line handed over at the last wait
    int readsAtEnd_ = 0;
};

/// Remembers how much input the game had consumed when its screen broke.
class BrokenPipe : public Screen {
  public:
    BrokenPipe(std::size_t capacity, const TypedInput& input) : Screen(capacity), input_(input) {}

    /// Input bytes consumed before the break.
    std::size_t consumedAtBreak() const { return consumedAtBreak_; }

  protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const bool wasBroken = broken();
        const std::streamsize taken = Screen::xsputn(text, count);
        if (!wasBroken && broken()) {
            consumedAtBreak_ = input_.consumed();
        }
        return taken;
    }

  private:
    const TypedInput& input_;
    std::size_t consumedAtBreak_ = 0;
};

bool isSeparator(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

/// Where the input stands after the rest of the word at `at`, the blanks after it and one
/// more word: as far as a game whose output has failed may read.
std::size_t endOfNextWord(const std::uint8_t* data, std::size_t size, std::size_t at) {
    while (at < size && !isSeparator(data[at])) {
        ++at;
    }
    while (at < size && isSeparator(data[at])) {
        ++at;
    }
    while (at < size && !isSeparator(data[at])) {
        ++at;
    }
    return at;
}

// Once the input has ended the loop ends the game, and the closing read meets the end
// once more; the reads inside a dialog do not ask again.
constexpr int kMostReadsAtEnd = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Screen screen;
    TypedInput input(data, size, &screen);
    if (!quellmoor::playGame(input, screen)) {
        fail("the game reported an output failure on a screen that never fails");
    }
    input.checkAnswersShown();
    if (input.readsAtEnd() > kMostReadsAtEnd) {
        fail("the game kept reading after the input had ended");
    }

    Screen replay;
    TypedInput again(data, size, &replay);
    quellmoor::playGame(again, replay);
    if (replay.bytes() != screen.bytes() || replay.hash() != screen.hash()) {
        fail("the same input played twice printed different text");
    }

    // Break the output somewhere inside the game, at a place that depends on the input.
    std::size_t capacity = size;
    for (std::size_t i = 0; i < size; ++i) {
        capacity = capacity * 31 + data[i];
    }
    capacity %= screen.bytes() + 1;
    // A broken screen cannot be flushed: this input checks no flushing.
    TypedInput cutInput(data, size, nullptr);
    BrokenPipe pipe(capacity, cutInput);
    const bool written = quellmoor::playGame(cutInput, pipe);
    if (written != !pipe.broken()) {
        fail("playGame's result does not tell whether the output failed");
    }
    if (pipe.broken() && cutInput.consumed() > endOfNextWord(data, size, pipe.consumedAtBreak())) {
        fail("the game went on reading input after its output had failed");
    }
    return 0;
}
