// What the page reads in the game's text, from the game's own tables (quellmoor_* in
// web/wasm/main.cpp): where a map it drew begins and what it shows in words, the numbered choices
// of a menu, the last prompt of a game that is over; and an answer as a screen reader hears it.

/** The numbered choices of the menu `text` ends with, as {number, label}; none if it ends otherwise. */
function menuChoices(text) {
  const lines = text.split('\n');
  if (lines.pop() !== '') return [];
  const found = [];
  for (let line = lines.pop(); line !== undefined; line = lines.pop()) {
    const choice = /^(\d+)\. (.*\S)/.exec(line);
    if (!choice) break;
    found.unshift({number: choice[1], label: line.replace(/ +/g, ' ')});
  }
  const numbered = found.every((choice, i) => choice.number === String(i + 1));
  return found.length >= 2 && numbered ? found : [];
}

export class GameText {
  /** The words a player may be offered, in the command table's order. */
  commandWords;
  /** What Tab makes of each start of a command word: [added, [choices...]]. */
  completions;
  #lastPrompt;  // what the game says once it is over
  #mapWords;    // each map the game draws, as printed, to what it shows in words
  #mapHeights;  // the numbers of lines the maps have

  /** The tables of the loaded module `game`, read before any game starts. */
  constructor(game) {
    const table = (name) => game.ccall(name, 'string', [], []);
    this.completions = new Map(Object.entries(JSON.parse(table('quellmoor_completions'))));
    this.commandWords = this.completions.get('')[1];  // Tab on nothing offers every word
    this.#lastPrompt = table('quellmoor_last_prompt');
    this.#mapWords = new Map(JSON.parse(table('quellmoor_map_speech')));
    this.#mapHeights = [...new Set([...this.#mapWords.keys()].map((map) => map.split('\n').length))];
  }

  /**
   * The map whose first line is `lines[at]` and whose lines all end before `lines[end]`, as
   * {height, words}; null if none.
   */
  mapAt(lines, at, end = lines.length - 1) {
    if (!/^[=#][=# ]*$|^ +[=#]/.test(lines[at])) return null;
    for (const height of this.#mapHeights) {
      const said = at + height <= end && this.#mapWords.get(lines.slice(at, at + height).join('\n'));
      if (said) return {height, words: said};
    }
    return null;
  }

  /** The lines of `text` a screen reader hears: blank lines left out, each map in words. */
  spoken(text) {
    const lines = text.split('\n');
    const spoken = [];
    for (let at = 0; at < lines.length;) {
      const map = this.mapAt(lines, at);
      if (map) {
        spoken.push(map.words);
        at += map.height;
      } else {
        if (lines[at].trim() !== '') spoken.push(lines[at]);
        at++;
      }
    }
    return spoken;
  }

  /** What the answer `text` asks of the player: {over: the game is over, menu: its choices}. */
  asks(text) {
    const over = this.#lastPrompt !== '' && text.endsWith(this.#lastPrompt);
    return {over, menu: over ? [] : menuChoices(text)};
  }
}
