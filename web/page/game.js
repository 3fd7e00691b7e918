// One game on the page, from its first text to its end: what it wrote and what it read (its
// session, session.js), the text it has for the screen and the live region, its part of the
// transcript, the replay of a kept or shared game into it, and its record for keeping and
// sharing. The page hands every byte the game writes to the game now running, so the text of
// a replay that fails, or of a game being ended, goes nowhere else.

import {countOf, lostWords, wordsOf} from './keep.js';
import {Replay, Session, Stage} from './session.js';

/** The build of the game's code: the start of its wasm's SHA-256, which the build writes into quellmoor.js. */
export function thisBuild() {
  return (typeof createQuellmoor === 'function' && createQuellmoor.wasmSha256?.slice(0, 16)) || '';
}

export class PlayedGame {
  static unreplayed = 'Your kept game could not be resumed: it did not replay as it was played. It stays kept in ' +
                      'this browser until you start a new game.';
  session = new Session();
  /** The kept or shared game being played back into this one, while it is. */
  replay = null;
  /** This game as shown: what it wrote and the lines it read. */
  transcript = '';
  /** The words its record was behind the game by, where storage was full (keep.js). */
  unkept = 0;
  /** The words of the tab's game before it, none of which storage could keep (keep.js). */
  lost = 0;
  /** What to do once the game has been ended (the page's 'ending' stage). */
  then = null;
  #playedBack = [];  // the lines of the game played back
  #notice;  // the notice of a game played back that brings its own (a game file's)
  #decoder = new TextDecoder();
  #unshown = '';      // what the game wrote, not yet shown
  #unannounced = '';  // what it wrote on the screen, not yet in the live region

  /**
   * A new game, or the game `start` = {record, how: 'kept', 'link' or 'file', unkept, lost, notice}
   * (keep.js) played back; `notice(outcome, over, lines read)`, where given, says how it came out.
   */
  constructor(start = null) {
    this.session.begin();
    if (!start) return;
    this.#notice = start.notice;
    this.session.stage = Stage.replaying;
    this.replay = new Replay(start.record, start.how, thisBuild());
    this.#playedBack = start.record.lines;
    this.unkept = start.unkept ?? 0;
    this.lost = start.lost ?? 0;
  }

  get stage() {
    return this.session.stage;
  }

  set stage(stage) {
    this.session.stage = stage;
  }

  /** Notes the bytes `bytes` the game wrote; `bytes` undefined: it stopped, and wrote all. */
  written(bytes) {
    this.#unshown += this.#decoder.decode(bytes, bytes ? {stream: true} : {});
  }

  /** What the game wrote since last time, now part of this game as shown: none while it is played back. */
  shown() {
    if (this.replay) return '';
    const text = this.#unshown;
    this.#unshown = '';
    this.session.add(text);
    this.transcript += text;
    this.#unannounced += text;
    return text;
  }

  /** The text shown and not yet in the live region. */
  unannounced() {
    const text = this.#unannounced;
    this.#unannounced = '';
    return text;
  }

  /** The player played `line`. */
  typed(line) {
    this.session.read(line);
    this.transcript += line + '\n';
  }

  /** Hands the game being played back its next line: 'playing', or how the replay came out (Replay.step). */
  replayNext(module, isOver) {
    const written = this.#unshown;
    this.#unshown = '';
    return this.replay.step(this.session, written, module, isOver);
  }

  /** The game ended while played back: how the replay came out (Replay.finish). */
  replayEnded() {
    const written = this.#unshown;
    this.#unshown = '';
    return this.replay.finish(this.session, written);
  }

  /**
   * The replay is now this game as shown: returns its text and its last answer. A game that
   * came to its end in a new version before its kept words did is, from now on, that end: its
   * record holds the words it read, as this build played them.
   */
  adoptReplay() {
    const {text, answer} = this.replay;
    this.transcript = text;
    this.#unannounced = answer;
    return {text, answer};
  }

  /**
   * The notice of the game played back as it came out (`outcome`), at its end or not (`over`):
   * where the player left it only where its record held every word they played, and this
   * tab's own game or the one they played last.
   */
  resumedNotice(outcome, over) {
    const {how, read} = this.replay;
    const lines = this.#playedBack;
    this.replay = null;
    if (this.#notice) return this.#notice(outcome, over, this.session.lines);
    const ended = over ? ' It is over: here is its end.' : '';
    const lost = this.lost > 0 ? `${lostWords(this.lost)} Here is the game you played before it.` : '';
    const behind = this.unkept > 0
      ? ` Its last ${countOf(this.unkept)} ${this.unkept === 1 ? 'was' : 'were'} not kept: storage was full.` : '';
    if (outcome === 'ended') {
      return `${lost}${lost && ' '}In this new version of Quellmoor your game comes to its end after ` +
             `${wordsOf(lines.slice(0, read))} of its ${countOf(wordsOf(lines))}: here it is.`;
    }
    if (outcome === 'brought') {
      const brought = `Your game was brought into this new version of Quellmoor.${behind}${ended || ' Play on.'}`;
      return `${lost}${lost && ' '}${brought}`;
    }
    if (how === 'link') return `This game was opened from a link.${ended || ' Play on from here.'}`;
    if (lost) return `${lost}${behind}${ended}`;
    if (this.unkept > 0) {
      return `Your game was resumed ${countOf(this.unkept)} behind where you left ` +
             `it: storage was full, and ${this.unkept === 1 ? 'that word was' : 'those words were'} not kept.${ended}`;
    }
    return over ? 'Your game was over when you left it: here is its end.' : 'Your game was resumed where you left it.';
  }

  /** Its record for keeping and sharing: the lines, the text's length and hash, the build. */
  get record() {
    return {...this.session.record, build: thisBuild()};
  }

  /** Keeps it as it now stands with `keeper` (keep.js), which says if it cannot; not while it has read nothing. */
  keep(keeper) {
    if (this.session.lines.length > 0) keeper.save(this.record);
  }
}
