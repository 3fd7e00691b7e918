#include "world/descriptions.hpp"

#include "game/game.hpp"
#include "world/rooms.hpp"

namespace quellmoor {
namespace {

struct Description {
    RoomId room;
    std::string_view text;
};

// What "look" prints in each room, exactly: every line carries its own line breaks.
// A description never changes: an opponent reads the same after it is slain. Room 9
// ends with a blank line and room 24 holds one; every other ends with one line break.
// clang-format off
constexpr Description kDescriptions[] = {
    // 1: teleporter pedestal
    {1,
     "\n\nYou are in Lord Tavrin's Domain. The pedestal-like teleporter gleams with power."
     "\nThe sweet scent of the forest clears your nostrils."
     "\nTo the north and south you see the path into the forest."
     "\nTo the west and east you see the menacing darkness of an eerie forest.\n"},
    // 2: clearing
    {2,
     "\n\nYou look around and see another clearing"
     "\nTo the east you see a small shop, and smell metal."
     "\nTo the west you see an isolated clear path."
     "\nTo the south you observe the glowing teleporter.\n"},
    // 3: weapon shop kept by Tavrin
    {3,
     "\n\nThe smell of iron is sour."
     "\nYou gaze around the weapon shop."
     "\nTavrin is working on his latest weapon."
     "\nThe west is still in vision. The path waits for you, clean and cleared.\n"},
    // 4: opponent: the griffin
    {4,
     "\n\nYou enter the gloomy, eerie path down the forest."
     "\nThere is no light shining throught the trees."
     "\nYou hear a growl and the flap of wings."
     "\nYou glance up just in time to see a griffin flying"
     "\ndown from the tree tops.\n"},
    // 5: opponent: the Chupacabra
    {5,
     "\n\nYou sense danger the second you walk into the dark woods."
     "\nThere is a growl and you see a legendary creature."
     "\nThe Latin legend, the Chupacabra with its glowing red eyes"
     "\nstares you in the face.\n"},
    // 6: southern-most path
    {6,
     "\n\nYou are at the southern-most path. The shrubbery is thick and impeneterable."
     "\nYou look north and see the pedestal that is the teleporter."
     "\nThe east does not look appealing."
     "\nThe trees are dark and rotten, and very uninviting."
     "\nA little cottage sits at the end of the path to the west.\n"},
    // 7: healer's cottage; healing potions
    {7,
     "\n\nYou arrive at the little cottage. The smells that surround it are soothing."
     "\nYou glance around the little shop. It is the healers cottage. She is behind the counter mixing something in a couldron."
     "\nThe path you arrived here on sits calmly to the east.\n"},
    // 8: opponent: the wildebeast
    {8,
     "\n\nYou take the path that leads into the eerie forest."
     "\nSuddenly, a gigantic wildebeast jumps out of the bushes.\n"},
    // 9: water source: the spring
    {9,
     "\n\nYou take the isolated path. It takes you to a clearing in the woods."
     "\nIn the middle of the clearing is a spring, spurting up from the ground."
     "\nFresh, pure water flows gently out of the crater."
     "\nThe clear path awaits you to the east.\n\n"},
    // 10: teleporter arrival point
    {10,
     "\n\nYou are in the location that the teleporter took you to."
     "\nThere is no teleporter, though."
     "\nYou stand next to a gigantic gate. You are on the inside."
     "\nYou step onto the cobble-stone paved road."
     "\nYou sense that the forest is right outside of this gigantic gate, even though it is impenetrable."
     "\nThere is a sign that reads, 'Welcome to Great Britton.'"
     "\nThe only direction you can go is to the east, where the road leads.\n"},
    // 11: road
    {11,
     "\n\nYou continue down the road. There are houses on each side."
     "\nThe town gates stand tall to the west."
     "\nTo the east you see the continuing road.\n"},
    // 12: opponent: the deathly-looking man
    {12,
     "\n\nYou approach the seemingly deserted road. Homes still dot the road to the north and south."
     "\nAll of a sudden, a shriveled, deathly-looking man appears."
     "\nHe grins and evil grin and pulls out a gleaming knife.\n"},
    // 13: path splitting three ways
    {13,
     "\n\nYou stand at a path that splits in 3 directions."
     "\nThe west road eventually leads to the gates."
     "\nThe south road leads to a dark, dim lit, alley."
     "\nThe road east leads to the gates of a lively market area.\n"},
    // 14: market entrance
    {14,
     "\n\nYou stand at the entrance to a bright, crowded market area."
     "\nThe sun gleams brightly on the plaza and many of the people seem friendly."
     "\nThis is the heart of the town."
     "\nThe split path lays to the west."
     "\nContinuing east will take you into the market."
     "\nSouth of here is also part of the market place.\n"},
    // 15: potion cart; healing potions
    {15,
     "\n\nYou ease your way toward a cart. There is a vocal man at this cart."
     "\n'Potions sold here! Buy a potion!' he cries to anyone who will listen."
     "\nThis seller is obviosly selling potions."
     "\nThe market extends to the west and south of your current position.\n"},
    // 16: opponent: the huge burly man
    {16,
     "\n\nA huge, burly man with bicepts the size of your head steps out of the shadows."
     "\nHis shoulders appear to stretch from wall to wall. He's huge!"
     "\nHe defiantly stands in your way.\n"},
    // 17: teleporter pedestal
    {17,
     "\n\nYou see the stone pedestal! The teleporter out of Great Britton!"
     "\nYou are at the end of the alley."
     "\nThe alley winds around again to the west.\n"},
    // 18: opponent: the thief
    {18,
     "\n\nYou step into the mouth of the darkened alley."
     "\nA sly man eyes you from the darkness."
     "\nBy his looks, you conclude that he is a thief."
     "\nAs you try to pass him, he grabs your collar and slams you to the wall.\n"},
    // 19: old man's stand; weapons and armour
    {19,
     "\n\nYou gander toward the east edge of the market."
     "\nA stand sits here and an aged old man sits in a chair."
     "\n'Hello, stranger.' he calmly says to you."
     "\n'I have some items to sell you, but if you would like some information,"
     "\nI can give you one tip.'"
     "\n'If you would like help on your quest, it would be in your best interest"
     "\nto go and talk to the fortunteller.'"
     "\nThe man is silent."
     "\nTo the north you see the entrance to the market."
     "\nTo the south you see a stand that attracts your attention.\n"},
    // 20: water source: the well
    {20,
     "\n\nYou arrive at the eastern-most edge of the market."
     "\nThe people are not as compact here as they were in other parts of the"
     "\nmarket place."
     "\nA singular well sits alone."
     "\nThe water is clear, even though you can make out a blue glow to it."
     "\nTo the north you hear a loud voice, attempting to sell something."
     "\nTo the south you see the south-eastern-most corner of the market.\n"},
    // 21: dark alley
    {21,
     "\n\nYou are still in the dark alley of Great Britton."
     "\nThe sound of water drips from above you and the darkness gives you a very uneasy feeling."
     "\nYou cannot see much to the north."
     "\nTo the east you can see some cans and a little bit of light.\n"},
    // 22: the trash cans
    {22,
     "\n\nYou arrive at a small lit portion of the alley of this town."
     "\nThere are some green trash cans that are used to"
     "\nstore garbage and other unwanted goods of the people."
     "\nThe west and east are hard to visually depict because of the darkness.\n"},
    // 23: dark alley
    {23,
     "\n\nThe alley is very dark and hard to see in."
     "\nThe bricks are red with greasy black spots."
     "\nIt would give any normal person the creeps."
     "\nA look to the north produces an uneasy feeling."
     "\nA look to the west provides a bit of light and some trash cans.\n"},
    // 24: the fortune teller
    {24,
     "\n\nYou glance around the market."
     "\nIn this corner of the lively town, there is a stand with an old lady."
     "\nShe is dressed rather elegant clothes and her hoop earrings dangle from her"
     "\nlobes."
     "\n'I will tell you your fortune.' she softly whispers."
     "\n'All you have to do is TALK to me...'\n"
     "\nYou look east to see a not-so-busy corner of the bright market."
     "\nTo the north sits and old man at his stand.\n"},
    // 25: opponent: the failed merchant
    {25,
     "\n\nYou approach the deserted area of the market-place."
     "\nThere is litter all over the place."
     "\nPeople, obviosly, do not come to this part very often."
     "\nYou are about to observe your surroundings, when, out of no where"
     "\njumps a man. He looks like a thief, yet he has rather elegant clothing."
     "\nYou conclude that he was a failed merchant who is desperately trying to rob you.\n"},
    // 51: Brutus; weapons and armour
    {51,
     "\n\nBrutus stand before you waiting for an offer"
     "\nTo the south you see a long hall\n"},
    // 52: long hall
    {52,
     "\n\nYou are in a long hall"
     "\nTo the north you see a tall muscular man"
     "\nTo the east you see a murky swamp"
     "\nTo the south you see a long hall\n"},
    // 53: opponent: the hydra
    {53,
     "\n\nYou have entered a murky swamp"
     "\nYou see a hydra approaching you"
     "\nTo the west you see a long hall\n"},
    // 54: long hall
    {54,
     "\n\nYou are in a long hall"
     "\nTo the north you see a long hall"
     "\nTo the south you see a long hall\n"},
    // 55: opponent: the guard
    {55,
     "\n\nYou have entered a dark room"
     "\nA guard eyes you from his post"
     "\nTo the east you see a long hall\n"},
    // 56: long hall
    {56,
     "\n\nYou have entered a long hall"
     "\nTo the north you see a long hall"
     "\nTo the east you see a large fountain"
     "\nTo the south you see a long hall"
     "\nTo the west you see a dark room\n"},
    // 57: water source: the massive fountain; ladder up
    {57,
     "\n\nYou stand before a massive fountain"
     "\nA ladder in the corner leads above"
     "\nTo the south you see a long hall"
     "\nTo the west you see a long hall\n"},
    // 58: opponent: the Dark Mage
    {58,
     "\n\nYou have entered a cave"
     "\nA Dark Mage sits at a table conjuring a spell"
     "\nTo the south you see a long hall\n"},
    // 59: teleporter pedestal and arrival point
    {59,
     "\n\nYou are in a long hall"
     "\nTo the north you see a long hall"
     "\nTo the east you see a long hall\n"},
    // 60: long hall
    {60,
     "\n\nYou are in a long hall"
     "\nTo the north you see a large fountain"
     "\nTo the east you see a long hall"
     "\nTo the south you see a dungeon"
     "\nTo the west you see a long hall\n"},
    // 61: long hall
    {61,
     "\n\nYou are in a long hall"
     "\nTo the east you see a long hall"
     "\nTo the west you see a long hall\n"},
    // 62: long hall
    {62,
     "\n\nTo the north you see a cave"
     "\nTo the east you see an elderly woman"
     "\nTo the west you see a long hall\n"},
    // 63: old woman; healing potions
    {63,
     "\n\nYou have approached an old woman who smiles at you"
     "\nShe waits for you purchase"
     "\nTo the west you see a long hall\n"},
    // 64: opponent: the demon
    {64,
     "\n\nYou have entered the dungeon"
     "\nYou see a massive demon approach you"
     "\nIt seems to be four times larger than you, and very deadly"
     "\nTo the north you see a long hall\n"},
    // 65: hallway
    {65,
     "\n\nYou are in a hallway of the guild"
     "\nTo the east you see an old mage"
     "\nTo the south you see a ladder\n"},
    // 66: old mage; mana potions
    {66,
     "\n\nYou have approached an old mage"
     "\nTo the west you see a hallway of the guild\n"},
    // 67: guild hall, ladder down
    {67,
     "\n\nYou are now in the Mage's Guild"
     "\nTo the north you see a hallway of the guild"
     "\nTo the south you see a hallway of the guild\n"},
    // 68: mage; spells
    {68,
     "\n\nAs you approach the mage, he smiles gently"
     "\nTo the east you see a hallway of the guild\n"},
    // 69: hallway
    {69,
     "\n\nYou are in a hallway of the guild"
     "\nTo the north you see a ladder"
     "\nTo the west you see an old mage\n"},
};
// clang-format on

}  // namespace

std::string_view descriptionOf(RoomId room) {
    const Description* description = rowForRoom<Description>(kDescriptions, room);
    return description != nullptr ? description->text : std::string_view();
}

void describeRoom(Game& game) {
    game.console.print(descriptionOf(game.state.room));
}

}  // namespace quellmoor
