// The keys as the line editor reads them: bytes typed in, characters out. Each group of
// bytes arrives at once, as a terminal sends one key; between groups, nothing more came.

#include "posix/key_decoder.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace quellmoor {
namespace {

/// What the editor reads from `groups` of bytes, each typed at once, then the input's end.
std::wstring readFrom(std::initializer_list<std::string_view> groups) {
    KeyDecoder keys;
    std::wstring characters;
    const auto take = [&] {
        while (const std::optional<wchar_t> next = keys.next()) {
            characters += *next;
        }
    };
    for (const std::string_view group : groups) {
        for (const char byte : group) {
            keys.add(byte);
            take();
        }
        keys.pause();
        take();
    }
    keys.end();
    take();
    return characters;
}

constexpr wchar_t kOwn = KeyDecoder::kOwnByte;

TEST(KeyDecoder, EscAloneDoesNothingNeitherToItselfNorToTheKeyAfterIt) {
    EXPECT_EQ(readFrom({"\x1b", "look\r"}), L"look\r");
    EXPECT_EQ(readFrom({"look", "\x1b", "\r"}), L"look\r");
    EXPECT_EQ(readFrom({"\x1b\x1b", "n"}), L"n");  // two at once: Alt and Esc, still nothing
    EXPECT_EQ(readFrom({"lo\x1b"}), L"lo");        // at the end of the input too
}

TEST(KeyDecoder, AltAndAKeyTypedAtOnceIsHandedOnIfBoundAndSwallowedIfNot) {
    EXPECT_EQ(readFrom({"ap", "\033b", "m"}), L"ap\033bm");  // Alt-b, Alt-f: a word at a time
    EXPECT_EQ(readFrom({"\033f"}), L"\033f");
    EXPECT_EQ(readFrom({"lo", "\033\x7f", "ok"}), L"look");  // Alt-Backspace
    EXPECT_EQ(readFrom({"lo", "\033u", "ok"}), L"look");
    EXPECT_EQ(readFrom({"lo", "\033\033[A", "ok"}), L"look");  // Alt-Up, as rxvt sends it
    // Alt-Enter and Alt-Ctrl-D, or Esc just before Enter or Ctrl-D: the key still acts.
    EXPECT_EQ(readFrom({"look\033\r"}), L"look\033\r");
    EXPECT_EQ(readFrom({"\033\x04"}), L"\033\x04");
}

TEST(KeyDecoder, KeySequencesAreHandedOnWholeIfBoundAndSwallowedWholeIfNot) {
    EXPECT_EQ(readFrom({"lok", "\x1b[D", "o"}), L"lok\x1b[Do");
    EXPECT_EQ(readFrom({"\x1bOH", "\x1b[7~", "\x1b[1;5C"}), L"\x1bOH\x1b[7~\x1b[1;5C");
    EXPECT_EQ(readFrom({"lo", "\x1b[5~", "\x1b[15;5~", "\x1b[[A", "\x1b[2$", "\x1bOP", "ok"}),
              L"look");
    EXPECT_EQ(readFrom({"lo\x1b[1\x7fok"}), L"lo\x7fok");  // cut short by Backspace, which stays
    // Cut short by a pause, its rest is typed: no key is ever left waiting on the next.
    EXPECT_EQ(readFrom({"\x1b[", "A"}), L"A");
}

// Ctrl-@ (NUL), the Ctrl keys the table lacks, and the locale's own control characters
// (C1, U+0080 to U+009F) are never text; a bound one is handed on.
TEST(KeyDecoder, ControlKeysActOnlyIfBound) {
    EXPECT_EQ(readFrom({{"lo\0ok", 5}, {"\0", 1}}), L"look");
    EXPECT_EQ(readFrom({{"\x1b[\0A", 4}}), L"A");
    EXPECT_EQ(readFrom({"lo", "\x10\x12\x16\x18\x1d\x1f", "ok"}), L"look");
    EXPECT_EQ(readFrom({"lo\x02\x0c", "\r"}), L"lo\x02\x0c\r");
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    EXPECT_EQ(readFrom({"lo\xc2\x88\xc2\x9fok\xc2\xa0"}), L"look\u00a0");
    std::setlocale(LC_CTYPE, before.c_str());
}

TEST(KeyDecoder, LettersOfTheLocaleAreOneCharacterAndOtherBytesTheirOwn) {
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    EXPECT_EQ(readFrom({"\xc3\xa9t\xc3\xa9"}), L"\u00e9t\u00e9");
    EXPECT_EQ(readFrom({"\xc3", "\xa9"}), L"\u00e9");  // a character split between reads
    EXPECT_EQ(readFrom({"\xff\xa9"}), (std::wstring{kOwn + 0xFF, kOwn + 0xA9}));
    EXPECT_EQ(readFrom({"lo\xe2\x82"}), (std::wstring{L'l', L'o', kOwn + 0xE2, kOwn + 0x82}));
    EXPECT_EQ(readFrom({"lo", "\033\xc3\xa9", "ok"}), L"look");  // Alt and a letter, whole
    EXPECT_EQ(bytesOf(L"\u00e9" + std::wstring{kOwn + 0xFF}), "\xc3\xa9\xff");
    std::setlocale(LC_CTYPE, before.c_str());
}

/// The key names between the markers "keys: kBoundKeys" and "end of keys" of a document.
std::set<std::string> keysNamedIn(const std::string& document) {
    std::ifstream file(std::string(QUELLMOOR_SOURCE_DIR "/") + document);
    std::stringstream whole;
    whole << file.rdbuf();
    std::string text = whole.str();
    const std::size_t start = text.find("keys: kBoundKeys");
    const std::size_t end = text.find("end of keys", start);
    if (start == std::string::npos || end == std::string::npos) {
        ADD_FAILURE() << document << ": no \"keys: kBoundKeys\" ... \"end of keys\"";
        return {};
    }
    text = std::regex_replace(text.substr(start, end - start), std::regex(R"(\\-)"), "-");
    const std::regex key(
        R"((?:Ctrl|Alt|Shift|Meta)-(?:[A-Z][a-z]+|\S))"
        R"(|\b(?:Enter|Tab|Up|Down|Left|Right|Home|End|Backspace|Delete|Insert|Esc|Escape)\b)");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key);
         it != std::sregex_iterator(); ++it) {
        names.insert(it->str());
    }
    return names;
}

// The player's documents name every key that edits, and no other, as the editor binds them.
TEST(KeyDecoder, TheDocumentsNameTheKeysThatEditAsBound) {
    std::set<std::string> bound;
    for (const BoundKey& key : kBoundKeys) {
        bound.emplace(key.name);
    }
    for (const char* document : {"README.md", "docs/playing.md", "docs/quellmoor.6"}) {
        const std::set<std::string> named = keysNamedIn(document);
        std::string unnamed;
        std::string unbound;
        for (const std::string& name : bound) {
            unnamed += named.count(name) == 0 ? name + " " : "";
        }
        for (const std::string& name : named) {
            unbound += bound.count(name) == 0 ? name + " " : "";
        }
        EXPECT_EQ(unnamed, "") << document << " leaves out keys that edit";
        EXPECT_EQ(unbound, "") << document << " names keys the editor does not bind";
    }
}

}  // namespace
}  // namespace quellmoor
