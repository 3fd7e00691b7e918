#pragma once

#include <string>

#include "posix/descriptor_io.hpp"

namespace quellmoor {

/// Standard output under the line editor: holds back a short unfinished last line (as "You
/// can not do that here" leaves it) for the editor to show as its prompt, so that it knows
/// where the typed word starts. Every byte reaches the screen, in order.
class TerminalOutput : public FileDescriptorOutput {
  public:
    using FileDescriptorOutput::FileDescriptorOutput;

    std::string takeUnfinishedLine();  // the held line, for the prompt
    bool finish();                     // writes what is still held; false if it cannot

  protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override;

  private:
    std::string unfinished_;
};

}  // namespace quellmoor
