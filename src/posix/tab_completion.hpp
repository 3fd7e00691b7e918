#pragma once

#include <histedit.h>

#include <optional>
#include <string>

namespace quellmoor {

/// Tab: completes the word before the cursor by the game's rule (completeCommandWord), as
/// a shell does; the next Tab that can add nothing lists the choices below the line.
class TabCompletion {
  public:
    unsigned char complete(EditLine* editor);  // what libedit is to do next
    void reset() { lineAtLastTab_.reset(); }   // a new line begins

  private:
    std::optional<std::wstring> lineAtLastTab_;  // as a Tab left it, its choices still open
};

}  // namespace quellmoor
