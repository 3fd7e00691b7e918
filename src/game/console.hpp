#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string_view>

#include "game/word.hpp"

namespace quellmoor {

/// The game's console: whitespace-delimited words in, plain text out, over any pair of
/// stream buffers (standard input and output, or in-memory streams in tests).
///
/// Output is gathered into blocks of up to 16 KiB and handed to the output stream buffer
/// only when a block is full or the game would otherwise wait for input (the input has
/// nothing buffered and nothing waiting). So every answer is on the screen before the
/// next read blocks, while a script piped in pays one write per block, not one per word.
class Console {
  public:
    Console(std::streambuf& in, std::streambuf& out) : in_(&in), out_(&out) {}

    /// Reads the next word into `word`. Words are separated by the C-locale whitespace
    /// bytes (space, \t, \n, \v, \f, \r); every other byte belongs to a word. Returns
    /// false, with `word` cleared, at end of input; once output has failed, every read
    /// reports end of input so the game winds down without spinning.
    template <std::size_t Capacity>
    bool readWord(Word<Capacity>& word) {
        word.clear();
        if (!skipWhitespace()) {
            return false;
        }
        for (int c = in_->sgetc(); c != kEnd && !isSpace(c); c = peek()) {
            word.append(static_cast<char>(c));
            in_->sbumpc();
        }
        return true;
    }

    void print(std::string_view text) {
        if (text.size() > pending_.size() - pendingSize_) {
            printLong(text);
            return;
        }
        // copy_n, not memcpy: an empty text may have no data at all.
        std::copy_n(text.data(), text.size(), pending_.data() + pendingSize_);
        pendingSize_ += text.size();
    }

    /// Prints `number` in plain decimal.
    void print(std::int32_t number);

    /// Pushes buffered output to the screen now.
    void flush();

    static constexpr std::size_t kOutputBlock = 16 * 1024;

    /// True once any output could not be written (a closed pipe, a full disk).
    bool outputFailed() const { return outputFailed_; }

  private:
    static constexpr int kEnd = std::streambuf::traits_type::eof();

    static bool isSpace(int c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    /// The next input byte without consuming it, flushing output first if reading it
    /// may have to wait.
    int peek() {
        if (in_->in_avail() <= 0) {
            flush();
        }
        return in_->sgetc();
    }

    /// Consumes whitespace; false at end of input.
    bool skipWhitespace();

    /// Prints text that does not fit in what is left of the current block.
    void printLong(std::string_view text);

    /// Hands the gathered block to the output stream buffer.
    void writePending();
    void writeThrough(std::string_view text);

    std::streambuf* in_;
    std::streambuf* out_;
    bool outputFailed_ = false;
    std::size_t pendingSize_ = 0;
    std::array<char, kOutputBlock> pending_;
};

}  // namespace quellmoor
