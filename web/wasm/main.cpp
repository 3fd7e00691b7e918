// Quellmoor in the browser: one game on the page's console, each time the page asks.

#include <emscripten.h>

#include <set>
#include <string>
#include <string_view>

#include "map_speech.hpp"
#include "page_streams.hpp"
#include "play/command_loop.hpp"
#include "play/completion.hpp"
#include "play/play_game.hpp"
#include "world/region_maps.hpp"
#include "world/rooms.hpp"

namespace {

/// `text` as a JSON string, quotes included.
std::string jsonString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json.append(1, '\\').append(1, c);
        } else if (byte < 0x20) {
            json.append("\\u00").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xf]);
        } else {
            json.append(1, c);
        }
    }
    return json.append("\"");
}

}  // namespace

/// Plays one whole game, from the banner to the last word, on fresh streams and a fresh
/// game. Suspends whenever the game waits for the player; the page awaits the promise that
/// ccall(..., {async: true}) returns, which settles when the game is over. Returns 1, or 0
/// if output could not be written.
extern "C" EMSCRIPTEN_KEEPALIVE int quellmoor_play() {
    quellmoor::web::PageInput input;
    quellmoor::web::PageOutput output;
    return quellmoor::playGame(input, output) ? 1 : 0;
}

/// What Tab makes of every start of a command word, by the game's own rule
/// (completeCommandWord): a JSON object from each start, the empty one included, to
/// [added, [choices...]]. A start not in it begins no command word. Built once, before any
/// game, so the page never calls into the module while a game waits for the player.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quellmoor_completions() {
    static const std::string table = [] {
        std::set<std::string_view> starts;
        for (const std::string_view word : quellmoor::listedCommandWords()) {
            for (std::size_t length = 0; length <= word.size(); ++length) {
                starts.insert(word.substr(0, length));
            }
        }
        std::string json = "{";
        for (const std::string_view start : starts) {
            const quellmoor::Completion completion = quellmoor::completeCommandWord(start);
            json.append(json.size() == 1 ? "" : ",")
                .append(jsonString(start))
                .append(":[")
                .append(jsonString(completion.added))
                .append(",[");
            for (const std::string_view choice : completion.choices) {
                json.append(choice == completion.choices.front() ? "" : ",")
                    .append(jsonString(choice));
            }
            json.append("]]");
        }
        return json.append("}");
    }();
    return table.c_str();
}

/// What the game says once it is over, before its last read: the page then offers a new
/// game.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quellmoor_last_prompt() {
    return quellmoor::kLastPrompt.data();  // a literal: it ends in a null
}

/// Every map the game can draw, with what it shows in words, for the page to speak in place
/// of the drawing: a JSON array of [map, words] pairs, one for each room, the map as the
/// game prints it between its leading line breaks and its last line's. Built once from the
/// world's own drawings and marker cells, before any game, so the page never calls into
/// the module while a game is waiting for the player.
extern "C" EMSCRIPTEN_KEEPALIVE const char* quellmoor_map_speech() {
    static const std::string table = [] {
        std::string json = "[";
        for (quellmoor::RoomId room = 1; room < quellmoor::kRoomLimit; ++room) {
            if (!quellmoor::isRoom(room)) {
                continue;
            }
            // The drawing's lines alone, as the page finds them on its screen.
            std::string_view map = quellmoor::printedMap(room);
            map.remove_prefix(2);  // the two line breaks before the map
            map.remove_suffix(1);  // its last line's break
            json.append(json.size() == 1 ? "[" : ",[")
                .append(jsonString(map))
                .append(",")
                .append(jsonString(quellmoor::web::describeMap(room)))
                .append("]");
        }
        return json.append("]");
    }();
    return table.c_str();
}
