#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quellmoor {

/// The characters that separate words, as the console reads them.
inline constexpr std::wstring_view kWordSeparators = L" \t\n\v\f\r";

/// A key the line editor binds: libedit's function, and every form common terminals send
/// after ESC whatever TERM says, since libedit binds only those its description names
/// (xterm: ESC [H, ESC OH, ESC [1~; screen, tmux, Linux: ESC [1~; rxvt: ESC [7~, ESC Od).
struct BoundKey {
    const char* function;
    std::array<std::string_view, 4> forms;  // the unused ones empty
};

// clang-format off
inline constexpr BoundKey kBoundKeys[] = {
    {"ed-prev-history",     {"[A", "OA"}},                // Up
    {"ed-next-history",     {"[B", "OB"}},                // Down
    {"ed-next-char",        {"[C", "OC"}},                // Right
    {"ed-prev-char",        {"[D", "OD"}},                // Left
    {"ed-move-to-beg",      {"[H", "OH", "[1~", "[7~"}},  // Home
    {"ed-move-to-end",      {"[F", "OF", "[4~", "[8~"}},  // End
    {"ed-delete-next-char", {"[3~"}},                     // Delete
    {"em-toggle-overwrite", {"[2~"}},                     // Insert: inserting or typing over
    {"ed-prev-word",        {"[1;5D", "[5D", "Od"}},      // Ctrl-Left
    {"em-next-word",        {"[1;5C", "[5C", "Oc"}},      // Ctrl-Right
};
// clang-format on

/// Bytes typed at the terminal to the characters the line editor reads: a letter of the
/// locale as one, a byte it cannot read as kOwnByte + the byte (a lone surrogate, which no
/// locale gives; libedit shows \U+DCxx); a key's escape sequence whole if it is bound, and
/// not at all if not; NUL (Ctrl-@, and Ctrl-Space at most terminals) not at all.
class KeyDecoder {
  public:
    static constexpr wchar_t kOwnByte = 0xDC00;

    void add(char byte) { typed_ += byte; }

    /// The next character, or nothing while the bytes may still become one; once the
    /// input has `ended`, each byte left is a character.
    std::optional<wchar_t> next(bool ended);

  private:
    std::string typed_;
    std::size_t boundKeyLeft_ = 0;  // bytes of a bound key's sequence still to hand on
};

/// A line as the bytes the player typed: each character in the locale's encoding.
std::string bytesOf(std::wstring_view line);

}  // namespace quellmoor
