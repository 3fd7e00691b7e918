#pragma once

#include <array>
#include <streambuf>

namespace quellmoor::web {

/// What the player typed in the page's terminal, as the game's input.
///
/// The page hands over each line as the player presses Enter (page_io.js keeps them until
/// the game takes them). A read with nothing buffered first tells the page, which may hand
/// a line over there and then (a replay does); if it does not, the game is suspended until
/// the next line arrives, leaving the browser free meanwhile. Reports through in_avail() how many
/// bytes were handed over and not yet taken, so the console flushes its output exactly
/// when the next read would wait: every answer is on the screen before the game waits.
class PageInput : public std::streambuf {
  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    std::array<char, 4096> buffer_;
};

/// The game's text, passed to the page's terminal as it is written, byte for byte.
class PageOutput : public std::streambuf {
  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int_type overflow(int_type c) override;
    int sync() override;
};

}  // namespace quellmoor::web
