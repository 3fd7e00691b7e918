// The game on the page as keeping and sharing see it: where it stands, the lines it has read
// and a fingerprint of its text. The same lines always play out the same way, so they are all
// a game needs to be found again; the length and hash of its text tell whether a replay of
// them gave the very same game.

/** Where the game on the page stands. */
export const Stage = Object.freeze({
  loading: 'loading',         // the game's code is on its way
  failed: 'failed',           // it could not be loaded: Enter or Try again loads it again
  replaying: 'replaying',     // a kept or shared game is being played back into a fresh one
  busy: 'busy',               // the game has just started, or has a line to answer
  waiting: 'waiting',         // it waits for the player's next line
  lastPrompt: 'last prompt',  // it is over, and waits for its last word
  ending: 'ending',           // it is being ended, and another starts once it is
  over: 'over',               // no game runs: Enter or New game starts one
});

const kRunning = new Set([Stage.replaying, Stage.busy, Stage.waiting, Stage.lastPrompt, Stage.ending]);

/** Two 32-bit multiplicative hashes of a text's UTF-16 code units, taken as it grows. */
class TextHash {
  #a = 0x811c9dc5;
  #b = 0x2545f491;

  add(text) {
    let a = this.#a;
    let b = this.#b;
    for (let i = 0; i < text.length; i++) {
      const unit = text.charCodeAt(i);
      a = Math.imul(a ^ unit, 0x01000193);
      b = Math.imul(b ^ unit, 0x5bd1e995);
    }
    this.#a = a;
    this.#b = b;
  }

  /** 16 hexadecimal digits. */
  get hex() {
    const digits = (word) => (word >>> 0).toString(16).padStart(8, '0');
    return digits(this.#a) + digits(this.#b);
  }
}

export class Session {
  stage = Stage.loading;
  /** The lines this game has read, as typed, without their line breaks. */
  lines = [];
  /** Characters of this game's text: what the game wrote, and each line it read. */
  length = 0;
  #hash = new TextHash();

  /** A game is running: the page's lines go to it. */
  get playing() {
    return kRunning.has(this.stage);
  }

  /** The hash of this game's text. */
  get hash() {
    return this.#hash.hex;
  }

  /** The last line the game read held a word (a blank line may be answered with nothing). */
  get wordRead() {
    return (this.lines.at(-1) ?? '').trim() !== '';
  }

  /** A new game, which has read nothing yet. */
  begin() {
    this.stage = Stage.busy;
    this.lines = [];
    this.length = 0;
    this.#hash = new TextHash();
  }

  /** Notes `text`, written by the game or read by it, as part of this game's text. */
  add(text) {
    this.length += text.length;
    this.#hash.add(text);
  }

  /** Notes that the game reads `line`, shown after what it wrote. */
  read(line) {
    this.lines.push(line);
    this.add(line + '\n');
  }

  /** The game as kept or shared: its lines, and what they must give. */
  get record() {
    return {lines: this.lines, length: this.length, hash: this.hash};
  }
}

/**
 * A kept or shared game played back into a fresh one, a line each time it wants one. A game of
 * this build must give the very text it was kept with. One of another build (a new version of
 * the game, whose texts or rules may differ) is replayed where that version's rules take it:
 * every line if the game reads them all, else up to the end the game comes to.
 */
export class Replay {
  /** All the text of the game as it is played back: what it wrote, and the lines it read. */
  text = '';
  /** The last answer the buttons follow: to the last word, or the banner. */
  answer = '';
  startedAt = performance.now();
  /** Where the game comes from: 'kept' or 'link'. */
  how;
  /** The game was kept or shared by this build: its text is checked. */
  checked;
  #record;
  #input;  // the lines as the game reads them, made into bytes at once
  #at = 0;
  #next = 0;

  /** Plays back `record` (Session.record), which comes from `how`, in the build `build`. */
  constructor(record, how, build) {
    this.#record = record;
    this.how = how;
    this.checked = record.build === build;
    this.#input = new TextEncoder().encode(record.lines.map((line) => line + '\n').join(''));
  }

  /** Lines of the record the game has read, and all it holds. */
  get read() {
    return this.#next;
  }

  get lines() {
    return this.#record.lines.length;
  }

  /**
   * The game wrote `written` and wants a line: notes both in `session` and hands `game` the
   * next line. Returns 'playing' while it does; else how the replay came out (#outcome), or
   * 'ended' where a game of another build is over (`isOver(answer)`) before its lines are.
   */
  step(session, written, game, isOver) {
    this.#wrote(session, written);
    const line = this.#record.lines[this.#next];
    if (line === undefined) return this.#outcome(session);
    if (!this.checked && isOver(this.answer)) return 'ended';
    this.#next++;
    session.read(line);
    this.text += line + '\n';
    const end = this.#input.indexOf(0x0a, this.#at) + 1;  // no byte of UTF-8 but "\n" is 0x0a
    game.sendInput(this.#input.subarray(this.#at, end));
    this.#at = end;
    return 'playing';
  }

  /** The game ended as it was played back, having written `written` last: how the replay came out. */
  finish(session, written) {
    this.#wrote(session, written);
    if (this.#next < this.lines) return this.checked ? 'spoilt' : 'ended';
    return this.#outcome(session);
  }

  #wrote(session, written) {
    session.add(written);
    this.text += written;
    if (written !== '' || session.wordRead) this.answer = written;  // as the page asks of an answer
  }

  /**
   * Every line read: 'same' if the text is the one kept, else 'spoilt' in this build, or
   * 'brought' into another (a record that names no build is taken as of another).
   */
  #outcome(session) {
    if (session.length === this.#record.length && session.hash === this.#record.hash) return 'same';
    return this.checked ? 'spoilt' : 'brought';
  }
}
