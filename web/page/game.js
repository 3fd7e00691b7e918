// One game on the page, from its first text to its end: what it wrote and what it read (its
// session, session.js), the text it has for the screen and the live region, its part of the
// transcript, the replay of a kept or shared game into it, and its record for keeping and
// sharing. The page hands every byte the game writes to the game now running, so the text of
// a replay that fails, or of a game being ended, goes nowhere else.

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
  /** Its record is kept as it was, not as this game plays it (see adoptReplay). */
  keepsOld = false;
  /** What to do once the game has been ended (the page's 'ending' stage). */
  then = null;
  #playedAt;
  #notice;  // the notice of a game played back that brings its own (a game file's)
  #decoder = new TextDecoder();
  #unshown = '';      // what the game wrote, not yet shown
  #unannounced = '';  // what it wrote on the screen, not yet in the live region

  /**
   * A new game, or the game `start` = {record, how: 'kept', 'link' or 'file', reached, notice}
   * played back; `notice(outcome, over, lines read)`, where given, says how it came out.
   */
  constructor(start = null) {
    this.session.begin();
    this.#playedAt = start?.record.playedAt ?? 0;
    this.#notice = start?.notice;
    if (!start) return;
    this.session.stage = Stage.replaying;
    this.replay = new Replay(start.record, start.how, thisBuild());
    this.unkept = Math.max(0, (start.reached ?? 0) - start.record.lines.length);
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
    this.#playedAt = Date.now();
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
   * The replay came out `outcome`, and is now this game as shown: returns its text and its
   * last answer. A game that came to its end in a new version before its kept words did
   * keeps its record as it was, which an older version could replay whole.
   */
  adoptReplay(outcome) {
    const {text, answer} = this.replay;
    this.transcript = text;
    this.#unannounced = answer;
    this.keepsOld = outcome === 'ended';
    return {text, answer};
  }

  /** The notice of the game played back as it came out (`outcome`), at its end or not (`over`). */
  resumedNotice(outcome, over) {
    const {how, read, lines} = this.replay;
    this.replay = null;
    if (this.#notice) return this.#notice(outcome, over, this.session.lines);
    const ended = over ? ' It is over: here is its end.' : '';
    if (outcome === 'ended') {
      return `In this new version of Quellmoor your game comes to its end after ${read} of its ${lines} words: ` +
             'here it is. Its record stays kept as it was until you start a new game.';
    }
    if (outcome === 'brought') return `Your game was brought into this new version of Quellmoor.${ended || ' Play on.'}`;
    if (how === 'link') return `This game was opened from a link.${ended || ' Play on from here.'}`;
    if (this.unkept > 0) {
      return `Your game was resumed ${this.unkept} word${this.unkept === 1 ? '' : 's'} behind where you left ` +
             `it: storage was full, and ${this.unkept === 1 ? 'that word was' : 'those words were'} not kept.${ended}`;
    }
    return over ? 'Your game was over when you left it: here is its end.' : 'Your game was resumed where you left it.';
  }

  /** Its record for keeping and sharing: the lines, the text's length and hash, the build, when last played. */
  get record() {
    return {...this.session.record, build: thisBuild(), playedAt: this.#playedAt};
  }

  /**
   * Keeps it as it now stands with `keeper` (keep.js), which says if it cannot; not while it
   * has read nothing, nor where it keeps its old record.
   */
  keep(keeper) {
    if (!this.keepsOld && this.session.lines.length > 0) keeper.save(this.record);
  }
}
