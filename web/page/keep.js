// Keeps the games on the page in the browser's own storage, so that a reload, a tab the browser
// discarded, a closed browser or a new version of the page finds them again. What is kept is
// each game's record (session.js): the lines it has read, the length and hash of its text, the
// build that played it; nothing is sent anywhere. A game is kept until the player starts a new
// one over it, or deletes it in Help: its end too, and a record that would not replay.
//
// Each game has a key of its own in localStorage:
//   "quellmoor SCOPE game ID" -> {"lines": [...], "length": N, "hash": "...", "build": "...",
//                                 "savedAt": MS, "playedAt": MS}
// SCOPE is the page's folder (copies of the game at other paths keep their own games). playedAt
// is when the player last played a word in it, 0 for a game only opened from a link: a plain
// visit takes up the game played last, never one only opened. The tab notes its game's ID in
// sessionStorage ("quellmoor SCOPE tab"), which a reload and a tab the browser restores keep.
// While a tab plays a game it holds a lock of the same name (navigator.locks), which the
// browser lets go when the tab is closed or discarded: no two tabs ever play, and overwrite,
// the same game. Games the player played are never dropped; of the games only opened from
// links, the last 8 are kept, and fewer when storage is full.

import {say} from './notice.js';

// Games only opened from links kept at most, the ones opened last.
const kLinkGames = 8;

const scope = new URL('.', location.href).pathname;
const kGamePrefix = `quellmoor ${scope} game `;
const kTabKey = `quellmoor ${scope} tab`;
// The words a tab's game reached where storage was full and its record is behind:
// "KEY WORDS", in sessionStorage (which has room of its own), and in the record as "reached"
// where there was room for that.
const kReachedKey = `quellmoor ${scope} reached`;

/** The browser's storage `name`, or null where it is refused (as a browser may refuse it). */
function storageNamed(name) {
  try {
    const storage = window[name];
    storage.getItem(kTabKey);
    return storage;
  } catch {
    return null;
  }
}

/** The record kept under `key`: null if there is none, 'spoilt' if it cannot be read. */
function readRecord(storage, key) {
  let record;
  try {
    const text = storage.getItem(key);
    if (text === null) return null;
    record = JSON.parse(text);
  } catch {
    return 'spoilt';
  }
  const sound = record !== null && Array.isArray(record.lines) &&
                record.lines.every((line) => typeof line === 'string' && !line.includes('\n')) &&
                Number.isSafeInteger(record.length) && typeof record.hash === 'string';
  // A record kept before games had a build and a time of play was played, when it was kept.
  return sound ? {playedAt: Number(record.savedAt) || 1, ...record} : 'spoilt';
}

/**
 * Takes the lock `name` if no other tab holds it; resolves to what lets it go, or null if
 * another tab holds it.
 */
function claim(name) {
  if (!navigator.locks) return Promise.resolve(() => {});
  return new Promise((resolve) => {
    navigator.locks.request(name, {ifAvailable: true}, (lock) => {
      if (lock === null) resolve(null);
      return lock && new Promise((release) => resolve(release));  // held until let go
    }).catch(() => resolve(() => {}));
  });
}

/** The names of the locks open tabs hold. */
async function heldLocks() {
  try {
    return new Set((await navigator.locks.query()).held.map((lock) => lock.name));
  } catch {
    return new Set();
  }
}

/** Storage refused a write for want of room (names differ by browser). */
function isFull(error) {
  return error?.name === 'QuotaExceededError' || error?.name === 'NS_ERROR_DOM_QUOTA_REACHED' || error?.code === 22;
}

/** A kept game as Help lists it: {key, playedAt, savedAt, words, here, elsewhere}. */
function listed(key, record, current, held) {
  const words = record.lines.filter((line) => line.trim() !== '').length;
  return {key, playedAt: record.playedAt, savedAt: Number(record.savedAt) || 0, words,
          here: key === current, elsewhere: key !== current && held.has(key)};
}

export class Keeper {
  #local = storageNamed('localStorage');
  #tabs = storageNamed('sessionStorage');
  #key = null;
  #release = () => {};
  #held = new Set();  // the locks other tabs held when last asked
  #refused = false;

  /** The storage key of this tab's game; null while it has none. */
  get key() {
    return this.#key;
  }

  /**
   * The game a plain visit takes up: this tab's own (a reload, a restored tab), else the one
   * played last that no open tab holds. Resolves to {record, reached}, {taken: true} where this
   * tab's own game is open in another tab, {spoilt: true} where it cannot be read, or null.
   */
  async takeUp() {
    if (!this.#local) return null;
    this.#held = await heldLocks();
    const own = this.#tabs?.getItem(kTabKey);
    if (own) {
      const key = kGamePrefix + own;
      const record = readRecord(this.#local, key);
      if (record === 'spoilt') {
        this.#local.removeItem(key);
        return {spoilt: true};
      }
      if (record) return await this.#hold(key) ? {record, reached: this.#reached(key, record)} : {taken: true};
    }
    for (const game of this.games().filter((game) => game.playedAt > 0 && !game.elsewhere)) {
      const record = readRecord(this.#local, game.key);
      if (record !== 'spoilt' && await this.#hold(game.key)) return {record, reached: this.#reached(game.key, record)};
    }
    return null;
  }

  /**
   * The game this tab takes up, for the page to play: the one a link `shared` (share.js)
   * carries, else as takeUp finds (`how`: 'kept'), or null for a new game.
   */
  async choose(shared) {
    if (shared?.refused) say('link', `This link's game could not be opened: ${shared.refused}.`);
    if (shared?.record) {
      await this.fresh();
      return {record: shared.record, how: 'link'};
    }
    const found = await this.takeUp();
    if (found?.spoilt) say('game', 'Your kept game could not be read, so a new game starts.');
    if (found?.record || found?.taken) return {...found, how: 'kept'};
    await this.fresh();
    return null;
  }

  /** Takes up the kept game `key` in this tab; resolves to its record, or null if another tab holds it. */
  async switchTo(key) {
    const record = this.#local && readRecord(this.#local, key);
    if (!record || record === 'spoilt' || !await this.#hold(key)) return null;
    return record;
  }

  /** A key of its own for a new game or one opened from a link; the game before stays kept. */
  async fresh() {
    await this.#hold(kGamePrefix + Date.now().toString(36) + Math.random().toString(36).slice(2, 8));
    await this.look();
    this.#dropLinkGames(kLinkGames);
  }

  async #hold(key) {
    if (key === this.#key) return true;
    const release = await claim(key);
    if (!release) return false;
    this.#release();
    this.#key = key;
    this.#release = release;
    try {
      this.#tabs?.setItem(kTabKey, key.slice(kGamePrefix.length));
    } catch {
      // A new tab of its own, then, after a reload.
    }
    return true;
  }

  /**
   * The kept games, as Help lists them: this tab's, then those played, the one played last
   * first, then those only opened.
   */
  games() {
    const games = [];
    for (let i = 0; this.#local && i < this.#local.length; i++) {
      const key = this.#local.key(i);
      const record = key.startsWith(kGamePrefix) && readRecord(this.#local, key);
      if (record && record !== 'spoilt') games.push(listed(key, record, this.#key, this.#held));
    }
    return games.sort((a, b) => (b.here - a.here) || (b.playedAt - a.playedAt) || (b.savedAt - a.savedAt));
  }

  /** Asks again which games other tabs hold. */
  async look() {
    this.#held = await heldLocks();
  }

  /**
   * Drops the games only opened from links, the oldest first, down to `left`: those no tab
   * holds, or where storage is full (`full`: one fewer), any but this tab's, which another tab
   * showing it keeps again at its next word. False if there was none to drop.
   */
  #dropLinkGames(left, full = false) {
    const opened = this.games().filter((game) => game.playedAt === 0 && !game.here && (full || !game.elsewhere));
    for (const game of opened.slice(full ? opened.length - 1 : left)) this.#local.removeItem(game.key);
    return opened.length > (full ? 0 : left);
  }

  /**
   * Keeps `record` (session.js) as this tab's game. Where storage is full, games only opened
   * from links make room, the oldest first; if they cannot, the record kept stays behind the
   * game, and the notice says by how many words.
   */
  save(record) {
    if (!this.#local || this.#key === null) return this.#tell();
    const text = JSON.stringify({...record, savedAt: Date.now()});
    for (;;) {
      try {
        this.#local.setItem(this.#key, text);
        this.#tabs?.removeItem(kReachedKey);
        return say('keeping');
      } catch (error) {
        if (!isFull(error)) {
          this.#refused = true;
          return this.#tell();
        }
        if (!this.#dropLinkGames(0, true)) return this.#fell(record.lines.length);
      }
    }
  }

  /** Storage was full: notes that the game reached `words` words, and says how many are not kept. */
  #fell(words) {
    const kept = readRecord(this.#local, this.#key);
    const unkept = words - (kept && kept !== 'spoilt' ? kept.lines.length : 0);
    if (unkept <= 0) return;  // what is kept is the game as it stands
    try {
      this.#tabs?.setItem(kReachedKey, `${this.#key} ${words}`);
      if (kept && kept !== 'spoilt') this.#local.setItem(this.#key, JSON.stringify({...kept, reached: words}));
    } catch {
      // Full there too: this tab's reload alone knows.
    }
    say('keeping', `Storage for this site is full: your game plays on, but its last ${unkept} ` +
                   `word${unkept === 1 ? ' is' : 's are'} not kept. Help lists the kept games, to delete some.`);
  }

  /** The words the game kept as `record` under `key` reached, where more than it holds. */
  #reached(key, record) {
    const [markKey, words] = (this.#tabs?.getItem(kReachedKey) ?? '').split(/ (?=\d+$)/);
    return Math.max(Number(record.reached) || 0, markKey === key ? Number(words) : 0);
  }

  #tell() {
    if (this.#local && !this.#refused) return;
    say('keeping', 'This browser does not let the page keep your game: it plays on, but a reload loses it.');
  }

  /** Forgets this tab's game, if any: a new one starts over it, under its key or a new one. */
  async startOver() {
    this.delete(this.#key);
    if (this.#key === null) await this.fresh();
  }

  /** Deletes the kept game `key`. */
  delete(key) {
    if (key === null) return;
    try {
      this.#local?.removeItem(key);
      if (this.#tabs?.getItem(kReachedKey)?.startsWith(key + ' ')) this.#tabs.removeItem(kReachedKey);
    } catch {
      // Nothing kept, then.
    }
  }
}
