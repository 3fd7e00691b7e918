// Types arbitrary bytes at the line editor's key decoder, as the line editor feeds it: a
// byte at a time as they arrive, a pause where the link goes quiet for longer than the wait
// for the rest of a key, and the end of the input at the end. Checks, besides the
// sanitizers' own reports:
//   - no control character (C0, DEL, C1) is ever handed on as text: each one handed on
//     starts a whole form of a key in kBoundKeys;
//   - a key of kBoundKeys pressed after a key ends (after a pause, or any whole key or
//     character) is handed on whole, the moment its last byte arrives.
//
// An input is: a byte choosing the locale (even: C, odd: C.UTF-8), then bytes typed, where
// 0xFF is a pause and 0xFE k f presses form f of key k of the table (each taken modulo the
// count). With QUELLMOOR_KEY_SEEDS=FOLDER set, the fuzzer writes there a seed for every form
// of every key, typed and pressed, and stops (fuzz/run.sh).

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "posix/key_decoder.hpp"

namespace quellmoor {
namespace {

constexpr unsigned char kPause = 0xFF;
constexpr unsigned char kPress = 0xFE;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "key_fuzzer: %s\n", what);
    std::abort();
}

std::vector<std::string_view> formsOf(const BoundKey& key) {
    std::vector<std::string_view> forms;
    for (const std::string_view form : key.forms) {
        if (!form.empty()) {
            forms.push_back(form);
        }
    }
    return forms;
}

// The fuzzer's own word on what is a control character (C0, DEL, C1), not the decoder's.
bool isControl(wchar_t character) {
    return character < L' ' || (character >= 0x7F && character < 0xA0);
}

/// Whether `text` holds `form` (ASCII, as every form is) at `at`.
bool formAt(const std::wstring& text, std::size_t at, std::string_view form) {
    if (text.size() - at < form.size()) {
        return false;
    }
    for (std::size_t i = 0; i < form.size(); ++i) {
        if (text[at + i] != static_cast<wchar_t>(static_cast<unsigned char>(form[i]))) {
            return false;
        }
    }
    return true;
}

/// How long the whole bound form starting at `at` is; 0 if none starts there.
std::size_t boundFormAt(const std::wstring& text, std::size_t at) {
    std::size_t longest = 0;
    for (const BoundKey& key : kBoundKeys) {
        for (const std::string_view form : formsOf(key)) {
            if (form.size() > longest && formAt(text, at, form)) {
                longest = form.size();
            }
        }
    }
    return longest;
}

void checkNoControlAsText(const std::wstring& handedOn) {
    for (std::size_t at = 0; at < handedOn.size();) {
        if (!isControl(handedOn[at])) {
            ++at;
            continue;
        }
        const std::size_t form = boundFormAt(handedOn, at);
        if (form == 0) {
            fail("a control character handed on that starts no bound key");
        }
        at += form;
    }
}

class Typist {
  public:
    void type(char byte) {
        keys_.add(byte);
        take();
    }

    void pause() {
        if (keys_.keyUnfinished()) {  // the line editor pauses only then
            keys_.pause();
        }
        take();
    }

    void press(std::string_view form) {
        pause();
        const std::size_t before = handedOn_.size();
        for (const char byte : form) {
            type(byte);
        }
        if (handedOn_.size() - before < form.size() ||
            !formAt(handedOn_, handedOn_.size() - form.size(), form)) {
            fail("a bound key pressed was not handed on whole");
        }
    }

    const std::wstring& end() {
        keys_.end();
        take();
        return handedOn_;
    }

  private:
    void take() {
        while (const std::optional<wchar_t> next = keys_.next()) {
            handedOn_ += *next;
        }
    }

    KeyDecoder keys_;
    std::wstring handedOn_;
};

void writeSeed(const std::string& folder, const std::string& name, const std::string& bytes) {
    FILE* seed = std::fopen((folder + "/" + name).c_str(), "wb");
    if (seed == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), seed) != bytes.size()) {
        fail("a seed could not be written");
    }
    std::fclose(seed);
}

// Each form of each key typed between letters and pressed, in each locale.
void writeSeeds(const std::string& folder) {
    for (std::size_t key = 0; key < std::size(kBoundKeys); ++key) {
        const std::vector<std::string_view> forms = formsOf(kBoundKeys[key]);
        for (std::size_t form = 0; form < forms.size(); ++form) {
            for (const char locale : {'\0', '\1'}) {
                std::string seed{locale};
                seed += "lo" + std::string(forms[form]) + "ok";
                seed += static_cast<char>(kPause);
                seed += static_cast<char>(kPress);
                seed += static_cast<char>(key);
                seed += static_cast<char>(form);
                writeSeed(folder,
                          "key" + std::to_string(key) + "." + std::to_string(form) + "." +
                              std::to_string(static_cast<int>(locale)),
                          seed);
            }
        }
    }
}

}  // namespace
}  // namespace quellmoor

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("QUELLMOOR_KEY_SEEDS")) {
        quellmoor::writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quellmoor;
    if (size == 0) {
        return 0;
    }
    static bool utf8 = false;  // as the C locale each program starts in
    if (utf8 != (data[0] % 2 == 1)) {
        utf8 = !utf8;
        std::setlocale(LC_CTYPE, utf8 ? "C.UTF-8" : "C");
    }
    Typist typist;
    for (std::size_t at = 1; at < size; ++at) {
        if (data[at] == kPause) {
            typist.pause();
        } else if (data[at] == kPress && size - at > 2) {
            const BoundKey& key = kBoundKeys[data[at + 1] % std::size(kBoundKeys)];
            const std::vector<std::string_view> forms = formsOf(key);
            typist.press(forms[data[at + 2] % forms.size()]);
            at += 2;
        } else {
            typist.type(static_cast<char>(data[at]));
        }
    }
    checkNoControlAsText(typist.end());
    return 0;
}
