#include "posix/key_decoder.hpp"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <iterator>

namespace quellmoor {
namespace {

constexpr char kEscape = '\x1b';
constexpr auto kUnfinished = std::string_view::npos;
constexpr auto kIncomplete = static_cast<std::size_t>(-2);  // mbrtowc()'s and mbrlen()'s
constexpr auto kUnreadable = static_cast<std::size_t>(-1);

bool startsSequence(char byte) {
    return byte == '[' || byte == 'O';
}

// Where the key sequence `key` (ESC, then [ or O) ends: after its parameters and a final
// byte (ESC [[A: the Linux console's F1; rxvt ends some with $), or before a byte that no
// sequence holds (Backspace, say).
std::size_t sequenceEnd(std::string_view key) {
    for (std::size_t at = key.substr(1, 2) == "[[" ? 3 : 2; at < key.size(); ++at) {
        if (key[at] < ' ' || key[at] > '~') {
            return at;
        }
        if (key[at] >= '@' || key[at] == '$') {
            return at + 1;
        }
    }
    return kUnfinished;
}

// The bytes of the character at the start of `typed`: one if the locale cannot read it.
std::size_t characterSize(std::string_view typed) {
    std::mbstate_t state{};
    const std::size_t size = std::mbrlen(typed.data(), typed.size(), &state);
    return size == kIncomplete ? kUnfinished : size == kUnreadable || size == 0 ? 1 : size;
}

// Where Alt and a key, `key` (ESC and the key's character), ends.
std::size_t altKeyEnd(std::string_view key) {
    const std::size_t size = characterSize(key.substr(1));
    return size == kUnfinished ? kUnfinished : 1 + size;
}

// Where the key at the start of `typed` (an ESC) ends: a key sequence, or Alt and a key,
// which a terminal sends as ESC and that key (rxvt's Alt-Up: ESC ESC [A). The key proper
// starts at the last ESC; each ESC before it is Alt.
std::size_t keyEnd(std::string_view typed) {
    const std::size_t afterEscapes = typed.find_first_not_of(kEscape);
    if (afterEscapes == std::string_view::npos) {
        return kUnfinished;
    }
    const std::size_t start = afterEscapes - 1;
    const std::string_view key = typed.substr(start);
    const std::size_t end = startsSequence(key[1]) ? sequenceEnd(key) : altKeyEnd(key);
    return end == kUnfinished ? kUnfinished : start + end;
}

bool isBound(std::string_view key) {
    return std::any_of(std::begin(kBoundKeys), std::end(kBoundKeys), [key](const BoundKey& bound) {
        return std::find(bound.forms.begin(), bound.forms.end(), key) != bound.forms.end();
    });
}

}  // namespace

void KeyDecoder::add(char byte) {
    typed_ += byte;
    decode(Then::kMore);
}

void KeyDecoder::pause() {
    decode(Then::kPause);
}

void KeyDecoder::end() {
    decode(Then::kEnd);
}

bool KeyDecoder::keyUnfinished() const {
    return !typed_.empty() && typed_[0] == kEscape;  // decode() leaves only an unfinished one
}

std::optional<wchar_t> KeyDecoder::next() {
    if (ready_.empty()) {
        return std::nullopt;
    }
    const wchar_t first = ready_[0];
    ready_.erase(0, 1);
    return first;
}

// Every key and character the bytes typed make, in turn, until they leave one unfinished.
void KeyDecoder::decode(Then then) {
    while (!typed_.empty()) {
        const std::size_t used = typed_[0] == kEscape ? takeKey(then) : takeCharacter(then);
        if (used == 0) {
            return;
        }
        typed_.erase(0, used);
    }
}

// A bound key's bytes are handed on, each as a character; any other key is dropped. 0
// while the key may go on.
std::size_t KeyDecoder::takeKey(Then then) {
    const std::size_t end = keyEnd(typed_);
    if (end == kUnfinished) {
        return then == Then::kMore ? 0 : typed_.size();  // Esc alone, or a key cut short
    }
    if (isBound(std::string_view(typed_).substr(0, end))) {
        ready_.append(typed_.begin(), typed_.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return end;
}

// A character of the locale, or a byte it cannot read as a character of its own; a
// control character only if it is a bound key. 0 while more bytes may finish the character.
std::size_t KeyDecoder::takeCharacter(Then then) {
    std::mbstate_t state{};
    wchar_t decoded = 0;
    const std::size_t used = std::mbrtowc(&decoded, typed_.data(), typed_.size(), &state);
    if (used == kIncomplete && then != Then::kEnd) {
        return 0;
    }
    if (used == kIncomplete || used == kUnreadable) {
        ready_ += static_cast<wchar_t>(kOwnByte + static_cast<unsigned char>(typed_[0]));
        return 1;
    }
    const std::size_t size = std::max<std::size_t>(used, 1);  // NUL counts as no byte
    if (!isControlCharacter(decoded) || isBound(std::string_view(typed_).substr(0, size))) {
        ready_ += decoded;
    }
    return size;
}

std::string bytesOf(std::wstring_view line) {
    std::string bytes;
    std::mbstate_t state{};
    char encoded[MB_LEN_MAX];
    for (const wchar_t c : line) {
        if (c >= KeyDecoder::kOwnByte && c <= KeyDecoder::kOwnByte + 0xFF) {
            bytes += static_cast<char>(c - KeyDecoder::kOwnByte);
        } else if (const std::size_t size = std::wcrtomb(encoded, c, &state);
                   size != static_cast<std::size_t>(-1)) {
            bytes.append(encoded, size);
        }
    }
    return bytes;
}

}  // namespace quellmoor
