#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quellmoor {

/// The characters that separate words, as the console reads them.
inline constexpr std::wstring_view kWordSeparators = L" \t\n\v\f\r";

/// A key the line editor is given: its name as the player's documents write it, libedit's
/// function (or the game's own), and the bytes each common terminal sends for it.
struct BoundKey {
    std::string_view name;
    const char* function;
    std::array<std::string_view, 4> forms;  // the unused ones empty
};

/// Every key the line editor acts on: the one list of them, from which alone the line editor
/// binds libedit's keys (bindOnlyTheBoundKeys(): any other key libedit would bind of its own
/// is left unbound), and which README.md, docs/playing.md and docs/quellmoor.6 name, each between
/// its markers "keys: kBoundKeys" and "end of keys" (a test holds them to it). A control key
/// or a key sent after ESC that this list lacks is swallowed. A key sent after ESC is bound in
/// every form terminals send, whatever TERM says, since libedit binds only those its
/// description names (xterm: ESC [H, ESC OH, ESC [1~; screen, tmux, Linux: ESC [1~; rxvt:
/// ESC [7~, ESC Od). Alt and a letter is ESC and the letter, as emacs and shells take it; so
/// is Esc pressed just before a key, hence Enter and Ctrl-D after ESC, lest Esc cost them.
// clang-format off
inline constexpr BoundKey kBoundKeys[] = {
    {"Enter",      "ed-newline",              {"\r", "\n", "\033\r", "\033\n"}},
    {"Tab",        "quellmoor-complete",      {"\t"}},
    {"Ctrl-D",     "quellmoor-end-or-delete", {"\x04", "\033\x04"}},
    {"Up",         "ed-prev-history",         {"\033[A", "\033OA"}},
    {"Down",       "ed-next-history",         {"\033[B", "\033OB"}},
    {"Right",      "ed-next-char",            {"\033[C", "\033OC"}},
    {"Left",       "ed-prev-char",            {"\033[D", "\033OD"}},
    {"Home",       "ed-move-to-beg",          {"\033[H", "\033OH", "\033[1~", "\033[7~"}},
    {"End",        "ed-move-to-end",          {"\033[F", "\033OF", "\033[4~", "\033[8~"}},
    {"Backspace",  "em-delete-prev-char",     {"\x7f", "\b"}},
    {"Delete",     "ed-delete-next-char",     {"\033[3~"}},
    {"Insert",     "em-toggle-overwrite",     {"\033[2~"}},  // inserting or typing over
    {"Ctrl-Left",  "ed-prev-word",            {"\033[1;5D", "\033[5D", "\033Od"}},
    {"Ctrl-Right", "em-next-word",            {"\033[1;5C", "\033[5C", "\033Oc"}},
    {"Alt-b",      "ed-prev-word",            {"\033b"}},
    {"Alt-f",      "em-next-word",            {"\033f"}},
    {"Ctrl-A",     "ed-move-to-beg",          {"\x01"}},
    {"Ctrl-E",     "ed-move-to-end",          {"\x05"}},
    {"Ctrl-B",     "ed-prev-char",            {"\x02"}},
    {"Ctrl-F",     "ed-next-char",            {"\x06"}},
    {"Ctrl-K",     "ed-kill-line",            {"\x0b"}},
    {"Ctrl-U",     "vi-kill-line-prev",       {"\x15"}},      // all before the cursor
    {"Ctrl-W",     "ed-delete-prev-word",     {"\x17"}},      // the word before the cursor
    {"Ctrl-Y",     "em-yank",                 {"\x19"}},      // what Ctrl-K, -U or -W took
    {"Ctrl-T",     "ed-transpose-chars",      {"\x14"}},
    {"Ctrl-L",     "ed-clear-screen",         {"\x0c"}},      // the line drawn at the top
};
// clang-format on

/// Bytes typed at the terminal to the characters the line editor reads: a letter of the
/// locale as one, a byte it cannot read as kOwnByte + the byte (a lone surrogate, which no
/// locale gives; libedit shows \U+DCxx); a control character (Ctrl and a key, NUL from Ctrl-@
/// or Ctrl-Space included) only if kBoundKeys has it. A key that starts with ESC (a key
/// sequence, or Alt and a key) is handed on whole if kBoundKeys has it, and not at all if
/// not. A terminal sends each key's bytes at once: ESC with nothing after it is the Esc key
/// alone, which does nothing.
class KeyDecoder {
  public:
    static constexpr wchar_t kOwnByte = 0xDC00;

    void add(char byte);

    /// Nothing more came with the bytes added: a key they leave unfinished is dropped (a
    /// lone ESC, or a key cut short). A character left unfinished waits on.
    void pause();

    /// The input has ended: as pause(), and each byte of a character left unfinished is a
    /// character of its own.
    void end();

    /// Whether the bytes added end within a key: pause() if no more come with them.
    bool keyUnfinished() const;

    /// The next character, or nothing while the bytes so far do not make one.
    std::optional<wchar_t> next();

  private:
    enum class Then { kMore, kPause, kEnd };  // what may follow the bytes added

    void decode(Then then);
    std::size_t takeKey(Then then);
    std::size_t takeCharacter(Then then);

    std::string typed_;   // bytes not yet decoded: what may start a key or a character
    std::wstring ready_;  // characters decoded, not yet handed on
};

/// Ctrl and a key (C0, DEL) or a control character of the locale's own (C1): never text,
/// only a key if kBoundKeys has it.
constexpr bool isControlCharacter(wchar_t character) {
    return character < L' ' || (character >= 0x7F && character < 0xA0);
}

/// A line as the bytes the player typed: each character in the locale's encoding.
std::string bytesOf(std::wstring_view line);

}  // namespace quellmoor
