#include "posix/key_bindings.hpp"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "posix/key_decoder.hpp"

namespace quellmoor {
namespace {

// libedit reads ^ and \ in a key as its escapes, and a leading - as an option; each byte
// written as \ooo, octal, reads as itself.
std::string spelled(std::string_view key) {
    std::string escaped;
    for (const char byte : key) {
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(byte));
        escaped += octal;
    }
    return escaped;
}

// Not named bind: called with a std::string, that name finds std::bind by argument lookup,
// which libc++ declares, and builds a call never made.
void bindKey(EditLine* editor, std::string_view key, const char* function) {
    el_set(editor, EL_BIND, spelled(key).c_str(), function, nullptr);
}

// The characters libedit looks up in its map of single keys (N_KEYS): those past it type
// themselves. ESC among them, whose unbinding takes every key after ESC with it.
constexpr int kMappedCharacters = 256;

}  // namespace

void bindOnlyTheBoundKeys(EditLine* editor) {
    for (int character = 0; character < kMappedCharacters; ++character) {
        // Spelled in octal, 0x80 to 0xFF are the characters U+0080 to U+00FF in any locale.
        const std::string key(1, static_cast<char>(character));
        bindKey(
            editor, key,
            isControlCharacter(static_cast<wchar_t>(character)) ? "ed-unassigned" : "ed-insert");
    }
    // The keys the terminal's description names, kept apart from the rest by libedit.
    for (const char* arrow : {"up", "down", "left", "right", "home", "end", "delete"}) {
        el_set(editor, EL_BIND, "-k", "-r", arrow, nullptr);
    }
    for (const BoundKey& key : kBoundKeys) {
        for (const std::string_view form : key.forms) {
            if (!form.empty()) {
                bindKey(editor, form, key.function);
            }
        }
    }
}

}  // namespace quellmoor
