// Keeps the game on the page in the browser's own storage, so that a reload, a tab the browser
// discarded, a closed browser or a new version of the page finds it again. What is kept is
// the game's record (session.js): the lines it has read, the length and hash of its text;
// nothing is sent anywhere. A finished game is forgotten.
//
// Each tab plays a game of its own, under a key of its own in localStorage:
//   "quellmoor SCOPE game ID" -> {"lines": [...], "length": N, "hash": "...", "savedAt": MS}
// SCOPE is the page's folder (copies of the game at other paths keep their own games), ID is
// made when the tab first keeps a game. The tab notes its ID in sessionStorage ("quellmoor
// SCOPE tab"), which a reload and a tab the browser restores keep. While a tab plays a game it
// holds a lock of the same name (navigator.locks), which the browser lets go when the tab is
// closed or discarded: a new tab takes the game played last that no open tab holds, so no two
// tabs ever play, and overwrite, the same game.

// Games kept at most, the ones played last; an older one no open tab holds is dropped.
const kKeptGames = 8;

const scope = new URL('.', location.href).pathname;
const kGamePrefix = `quellmoor ${scope} game `;
const kTabKey = `quellmoor ${scope} tab`;

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
  return sound ? record : 'spoilt';
}

/** Takes the lock `name` if no other tab holds it; resolves to whether this tab now does. */
function claim(name) {
  if (!navigator.locks) return Promise.resolve(true);
  return new Promise((resolve) => {
    navigator.locks.request(name, {ifAvailable: true}, (lock) => {
      resolve(lock !== null);
      return lock && new Promise(() => {});  // held as long as the page is open
    }).catch(() => resolve(true));
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

export class Keeper {
  /** The kept game this tab takes up: a record to replay, 'spoilt', or null for none. */
  found = null;
  /** This tab's own game was taken by another tab while this one was away. */
  ownTakenElsewhere = false;
  #local;
  #key = null;
  #failed = false;

  constructor(local) {
    this.#local = local;
  }

  /**
   * A keeper for this tab: it takes up this tab's own game, or else the one played last that
   * no open tab holds; `fresh`, a new one. Where storage is refused, it keeps nothing.
   */
  static async open(fresh) {
    const keeper = new Keeper(storageNamed('localStorage'));
    if (keeper.#local) await keeper.#takeUp(fresh);
    return keeper;
  }

  /** The storage key of this tab's game; null if nothing can be kept. */
  get key() {
    return this.#key;
  }

  /** True once storage has refused to keep the game (it is said once). */
  get failed() {
    return this.#failed || this.#local === null;
  }

  async #takeUp(fresh) {
    const tabs = storageNamed('sessionStorage');
    const own = tabs?.getItem(kTabKey) ? kGamePrefix + tabs.getItem(kTabKey) : null;
    const kept = this.#keptGames().filter((game) => game.key !== own);
    const candidates = fresh ? [] : [own, ...kept.map((game) => game.key)];
    for (const key of candidates) {
      const record = key && readRecord(this.#local, key);
      if (!record) continue;
      if (await claim(key)) {
        this.#key = key;
        this.found = record;
        break;
      }
      if (key === own) this.ownTakenElsewhere = true;
    }
    if (this.#key === null) {
      this.#key = kGamePrefix + Date.now().toString(36) + Math.random().toString(36).slice(2, 8);
      await claim(this.#key);
    }
    try {
      tabs?.setItem(kTabKey, this.#key.slice(kGamePrefix.length));
    } catch {
      // A new tab of its own, then, after a reload.
    }
    await this.#dropOldest(kept);
  }

  /** The games kept, as {key, savedAt}, the one played last first. */
  #keptGames() {
    const games = [];
    for (let i = 0; i < this.#local.length; i++) {
      const key = this.#local.key(i);
      if (!key.startsWith(kGamePrefix)) continue;
      const record = readRecord(this.#local, key);
      games.push({key, savedAt: Number(record?.savedAt) || 0});
    }
    return games.sort((a, b) => b.savedAt - a.savedAt);
  }

  async #dropOldest(games) {
    const held = await heldLocks();
    const idle = games.filter((game) => game.key !== this.#key && !held.has(game.key));
    for (const game of idle.slice(kKeptGames - 1)) this.#local.removeItem(game.key);
  }

  /** Keeps `record` (session.js) as this tab's game; false if storage refused it. */
  save(record) {
    if (this.#local === null) return false;
    try {
      this.#local.setItem(this.#key, JSON.stringify({...record, savedAt: Date.now()}));
      return true;
    } catch {
      this.#failed = true;
      return false;
    }
  }

  /** Forgets this tab's game: it is over, or it could not be replayed. */
  forget() {
    try {
      this.#local?.removeItem(this.#key);
    } catch {
      // Nothing kept, then.
    }
  }
}
