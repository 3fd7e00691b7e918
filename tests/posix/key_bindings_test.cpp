// The keys the line editor acts on, as libedit itself lists them: every binding it has
// must be a key kBoundKeys names, with the table's function, or a character typing itself.

#include "posix/key_bindings.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "posix/key_decoder.hpp"

namespace quellmoor {
namespace {

unsigned char doesNothing(EditLine*, int) {
    return CC_NORM;
}

/// A key as libedit's listing writes it: ^ and a letter for a control character, ^? for
/// DEL, \ before " and \.
std::string asListed(std::string_view key) {
    std::string listed;
    for (const char byte : key) {
        if (byte == '\x7f') {
            listed += "^?";
        } else if (static_cast<unsigned char>(byte) < ' ') {  // char is unsigned on arm64
            listed += '^';
            listed += static_cast<char>(byte + '@');
        } else {
            listed += byte == '"' || byte == '\\' ? "\\" : "";
            listed += byte;
        }
    }
    return listed;
}

/// What `bind` lists of an editor whose keys were bound for a terminal of type `term`.
std::string bindingsListed(const char* term) {
    setenv("TERM", term, 1);
    char* text = nullptr;
    std::size_t size = 0;
    FILE* listing = open_memstream(&text, &size);
    FILE* nothing = std::fopen("/dev/null", "r+");
    std::list<std::wstring> names;  // kept while the editor lives
    EditLine* editor = el_init("quellmoor", nothing, listing, nothing);
    el_set(editor, EL_EDITOR, "emacs");
    // Named through the wide interface, as the line editor names them: the narrow one
    // copies the names and never frees them.
    for (const BoundKey& key : kBoundKeys) {
        const std::string_view function(key.function);
        if (function.substr(0, 10) == "quellmoor-") {
            names.emplace_back(function.begin(), function.end());
            el_wset(editor, EL_ADDFN, names.back().c_str(), L"", doesNothing);
        }
    }
    bindOnlyTheBoundKeys(editor);
    const char* bind[] = {"bind", nullptr};
    el_parse(editor, 1, bind);
    el_end(editor);
    std::fclose(listing);
    std::fclose(nothing);
    std::string listed(text, size);
    std::free(text);
    return listed;
}

/// A character that types itself, as listed in the C locale: printable ASCII, or \U+00A0
/// to \U+00FF.
bool typesItself(const std::string& listed) {
    static const std::regex printable(R"([ -~]|\\["\\]|\\U\+00[A-F][0-9A-F])");
    return listed.find('^') == std::string::npos && std::regex_match(listed, printable);
}

// Each key libedit acts on, in terminals' descriptions whose keys differ (and none): no
// key of emacs mode's own or of the terminal's description is left bound.
TEST(KeyBindings, LibeditActsOnlyOnTheKeysTheTableNames) {
    const std::string locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    const char* before = std::getenv("TERM");
    const std::optional<std::string> term =
        before == nullptr ? std::nullopt : std::optional<std::string>(before);
    std::map<std::string, std::string> bound;  // each form, as listed, and its function
    for (const BoundKey& key : kBoundKeys) {
        for (const std::string_view form : key.forms) {
            if (!form.empty()) {
                bound[asListed(form)] = key.function;
            }
        }
    }
    const std::regex one(R"xx(^"(.*)"\s*->\s+(.*)$)xx");
    const std::regex range(R"xx(^"(.*)"\s+to\s+"(.*)"\s*->\s+(.*)$)xx");
    const std::regex arrow(R"xx(^(\w+)\s+->\s+(.*)$)xx");
    // Four at most: libtinfo keeps four descriptions read, and drops a fifth's with a leak.
    for (const char* terminal : {"xterm", "rxvt", "linux", "dumb"}) {
        std::istringstream listing(bindingsListed(terminal));
        std::set<std::string> found;
        std::smatch match;
        for (std::string line; std::getline(listing, line);) {
            SCOPED_TRACE(std::string(terminal) + ": " + line);
            if (std::regex_match(line, match, range)) {
                EXPECT_EQ(match[3], "ed-insert");
                EXPECT_TRUE(typesItself(match[1]) && typesItself(match[2]));
            } else if (std::regex_match(line, match, one)) {
                const std::string key = match[1];
                const std::string function = match[2];
                const bool table = bound.count(key) != 0 && bound[key] == function;
                EXPECT_TRUE(table || function == "is undefined" ||
                            (function == "ed-insert" && typesItself(key)) ||
                            (function == "ed-sequence-lead-in" && key == "^["));
                found.insert(key);
            } else {
                EXPECT_FALSE(std::regex_match(line, match, arrow));
            }
        }
        for (const auto& [key, function] : bound) {
            EXPECT_EQ(found.count(key), 1U) << terminal << ": " << key << " is not bound";
        }
    }
    if (term) {
        setenv("TERM", term->c_str(), 1);
    } else {
        unsetenv("TERM");
    }
    std::setlocale(LC_CTYPE, locale.c_str());
}

}  // namespace
}  // namespace quellmoor
