#include "posix/key_decoder.hpp"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <iterator>

namespace quellmoor {
namespace {

constexpr char kEscape = '\x1b';
constexpr auto kUnfinished = std::string_view::npos;

// Where the key sequence at the start of `typed` (an ESC) ends: after [ or O, parameters
// and a final byte (ESC [[A: the Linux console's F1; rxvt ends some with $), or before a
// byte that no sequence holds (Backspace, say). 0 if no sequence follows the ESC.
std::size_t sequenceEnd(std::string_view typed) {
    if (typed.size() < 2) {
        return kUnfinished;
    }
    if (typed[1] != '[' && typed[1] != 'O') {
        return 0;
    }
    for (std::size_t at = typed.substr(1, 2) == "[[" ? 3 : 2; at < typed.size(); ++at) {
        if (typed[at] < ' ' || typed[at] > '~') {
            return at;
        }
        if (typed[at] >= '@' || typed[at] == '$') {
            return at + 1;
        }
    }
    return kUnfinished;
}

bool isBound(std::string_view form) {
    return std::any_of(std::begin(kBoundKeys), std::end(kBoundKeys), [form](const BoundKey& key) {
        return std::find(key.forms.begin(), key.forms.end(), form) != key.forms.end();
    });
}

}  // namespace

std::optional<wchar_t> KeyDecoder::next(bool ended) {
    while (!typed_.empty()) {
        if (boundKeyLeft_ > 0) {
            --boundKeyLeft_;
        } else if (typed_[0] == '\0') {
            typed_.erase(0, 1);  // Ctrl-@ does nothing
            continue;
        } else if (typed_[0] == kEscape) {
            const std::size_t end = sequenceEnd(typed_);
            if (end == kUnfinished && !ended) {
                return std::nullopt;
            }
            const bool sequence = end != kUnfinished && end > 0;
            if (sequence && !isBound(std::string_view(typed_).substr(1, end - 1))) {
                typed_.erase(0, end);
                continue;
            }
            boundKeyLeft_ = sequence ? end - 1 : 0;  // the ESC goes now, the rest as they come
        }
        std::mbstate_t state{};
        wchar_t decoded = 0;
        std::size_t used = std::mbrtowc(&decoded, typed_.data(), typed_.size(), &state);
        constexpr auto kIncomplete = static_cast<std::size_t>(-2);
        if (used == kIncomplete && !ended) {
            return std::nullopt;
        }
        if (used == kIncomplete || used == static_cast<std::size_t>(-1)) {
            decoded = static_cast<wchar_t>(kOwnByte + static_cast<unsigned char>(typed_[0]));
            used = 1;
        }
        typed_.erase(0, used);
        return decoded;
    }
    return std::nullopt;
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
