// Keeps the games on the page in the browser's own storage, so that a reload, a tab the browser
// discarded, a closed browser or a new version of the page finds them again. What is kept is
// each game's record (session.js): the lines it has read, the length and hash of its text, the
// build that played it; nothing is sent anywhere. A game is kept until the player starts a new
// one over it, or deletes it in Help: its end too, and a record that would not replay.
//
// The rules take everything of the browser's as arguments (its two storages, its locks, its
// clock, a way to say things), so that node plays them against a model of the same rules
// (web/test/keep.test.js); keeperForThisPage() hands them the browser's own.
//
// In localStorage, for each game ID:
//   "quellmoor SCOPE game ID"    -> the record: {"lines": [...], "length": N, "hash": "...",
//                                   "build": "...", "savedAt": MS, "playedAt": MS, "order": N}
//   "quellmoor SCOPE reached ID" -> the words the game reached, in a fixed width
//   "quellmoor lease KEY"        -> which tab plays it, where the browser has no locks (below)
// and "quellmoor SCOPE order", the order of play: a count that only grows, one up for each word
// played in any game. A record's "order" is the count at its last word (0: a game only opened
// from a link, or a file, never played in), so the game played last is the one with the highest,
// whatever the clock said then. The two counts are written in a fixed width: once written, a
// write of the same size is never refused for want of room, so where storage is full and the
// record stays behind, the words the game reached are still known, to this tab or a new one.
// The tab notes its game's ID in sessionStorage ("quellmoor SCOPE tab"), which a reload and a
// tab the browser restores keep; and, where even the fixed-width count had no room (a game
// begun with storage full), {"game": ID, "words": N} as "quellmoor SCOPE reached".
//
// SCOPE is the page's folder (copies of the game at other paths keep their own games). Games
// the player played are never dropped; of the games only opened, the last 8 are kept, and fewer
// when storage is full.

// Games only opened from links (or files) kept at most, the ones opened last.
const kLinkGames = 8;
// Digits of the two fixed-width counts: a game of more words than 10^12 is not played.
const kCountDigits = 12;

/** The words among `lines`: a blank line is not one. */
export function wordsOf(lines) {
  let words = 0;
  for (const line of lines) if (line.trim() !== '') words++;
  return words;
}

const isCount = (value) => Number.isSafeInteger(value) && value >= 0;
const isTime = (value) => Number.isFinite(value) && value >= 0;

/**
 * The record `text` holds, as the rules have it, or null if it breaks them: lines of no line
 * break, counts whole and not below 0, a hash and build of hexadecimal digits. A record kept
 * before games had an order of play counts as played where it had a time of play.
 */
export function readRecord(text) {
  let record;
  try {
    record = JSON.parse(text);
  } catch {
    return null;
  }
  if (record === null || typeof record !== 'object' || !Array.isArray(record.lines) ||
      !record.lines.every((line) => typeof line === 'string' && !line.includes('\n')) ||
      !isCount(record.length) || typeof record.hash !== 'string' || !/^[0-9a-f]{16}$/.test(record.hash)) {
    return null;
  }
  const build = record.build ?? '';
  const savedAt = record.savedAt ?? 0;
  const playedAt = record.playedAt ?? savedAt;
  const order = record.order ?? (record.playedAt !== 0 ? 1 : 0);
  if (typeof build !== 'string' || !/^[0-9a-f]{0,16}$/.test(build) || !isTime(savedAt) || !isTime(playedAt) ||
      !isCount(order)) {
    return null;
  }
  return {lines: record.lines, length: record.length, hash: record.hash, build, savedAt, playedAt, order};
}

/** The text kept for `record`, which readRecord reads back as it was. */
export function recordText({lines, length, hash, build, savedAt, playedAt, order}) {
  return JSON.stringify({lines, length, hash, build, savedAt, playedAt, order});
}

/** `count` in the fixed width that a later write never outgrows. */
function fixedWidth(count) {
  return String(count).padStart(kCountDigits, '0');
}

/** The count `text` holds in a fixed width; 0 if none. */
function readCount(text) {
  return /^\d{1,15}$/.test(text ?? '') ? Number(text) : 0;
}

/** Storage refused a write for want of room (names differ by browser). */
export function isFull(error) {
  return error?.name === 'QuotaExceededError' || error?.name === 'NS_ERROR_DOM_QUOTA_REACHED' || error?.code === 22;
}

/**
 * Two records hold one game: the same lines (played in this build, they give the same game,
 * whichever build kept them; a link's game is kept as this build plays it).
 */
function sameLines(a, b) {
  return a.lines.length === b.lines.length && a.lines.every((line, i) => line === b.lines[i]);
}

/**
 * Locks held as long as the tab lives, from the browser (navigator.locks, only in a secure
 * context): it lets them go when the tab is closed or discarded.
 */
export class WebLocks {
  #locks;

  constructor(locks) {
    this.#locks = locks;
  }

  /** Takes the lock `name` if no other tab holds it; resolves to what lets it go, or null. */
  claim(name) {
    return new Promise((resolve) => {
      this.#locks.request(name, {ifAvailable: true}, (lock) => {
        if (lock === null) resolve(null);
        return lock && new Promise((release) => resolve(release));  // held until let go
      }).catch(() => resolve(() => {}));
    });
  }

  /** The names of the locks tabs hold, this one's too. */
  async held() {
    try {
      return new Set((await this.#locks.query()).held.map((lock) => lock.name));
    } catch {
      return new Set();
    }
  }

  /** This tab still holds `name`: a lock is never taken from its tab. */
  holds() {
    return true;
  }
}

/**
 * Locks as leases in localStorage, where the browser has none (a page served over plain http
 * on a name other than localhost): "quellmoor lease NAME" -> "OWNER UNTIL", the tab that holds
 * it and until when, in a fixed width (so that, written once, its renewals are never refused
 * for room). A tab renews its leases while it lives (`renew`, every kRenewEvery) and lets them
 * go as it is closed (`releaseAll`, on pagehide); a tab that died without that loses its games'
 * leases when they run out. A lease is checked again before every write of its game, so a tab
 * that was frozen past its lease's end and finds another tab playing the game writes nothing.
 * Two tabs that claim one game at the same moment both write their lease; each reads it again
 * after `settle()` (other tabs' writes arrive by then), and only the one written last holds.
 */
export class StorageLeases {
  static kLasts = 90000;      // longer than a hidden tab's timers wait (a minute, in Chromium)
  static kRenewEvery = 15000;
  static kPrefix = 'quellmoor lease ';
  #local;
  #owner;
  #now;
  #settle;
  #mine = new Set();

  /**
   * Leases in `local`, for the tab `owner` (12 characters), by the clock `now`; `settle()`
   * waits until other tabs' writes have arrived.
   */
  constructor({local, owner, now, settle}) {
    this.#local = local;
    this.#owner = owner;
    this.#now = now;
    this.#settle = settle;
  }

  #lease(name) {
    const [owner, until] = (this.#local.getItem(StorageLeases.kPrefix + name) ?? '').split(' ');
    return {owner, until: readCount(until)};
  }

  #write(name, until) {
    this.#local.setItem(StorageLeases.kPrefix + name, `${this.#owner} ${String(until).padStart(15, '0')}`);
  }

  #takenByOther(name) {
    const lease = this.#lease(name);
    return lease.owner !== this.#owner && lease.until > this.#now();
  }

  async claim(name) {
    if (this.#takenByOther(name)) return null;
    try {
      this.#write(name, this.#now() + StorageLeases.kLasts);
    } catch {
      // No room for a lease: a game with no lease yet has no record either (save() writes the
      // lease first), so no other tab can find it meanwhile.
    }
    await this.#settle();
    if (this.#takenByOther(name)) return null;
    this.#mine.add(name);
    return () => this.#release(name);
  }

  #release(name) {
    if (!this.#mine.delete(name)) return;
    try {
      if (this.#lease(name).owner === this.#owner) this.#write(name, 0);
    } catch {
      // Left to run out.
    }
  }

  async held() {
    const held = new Set(this.#mine);
    for (let i = 0; i < this.#local.length; i++) {
      const key = this.#local.key(i);
      if (key?.startsWith(StorageLeases.kPrefix) && this.#takenByOther(key.slice(StorageLeases.kPrefix.length))) {
        held.add(key.slice(StorageLeases.kPrefix.length));
      }
    }
    return held;
  }

  /**
   * This tab still holds `name` (and it is renewed), or may now take it; false where another
   * tab took it. Throws as storage does where a lease cannot be written at all.
   */
  holds(name) {
    if (this.#takenByOther(name)) {
      this.#mine.delete(name);
      return false;
    }
    this.#write(name, this.#now() + StorageLeases.kLasts);
    this.#mine.add(name);
    return true;
  }

  /** Forgets the leases of this tab that another tab has taken meanwhile; returns their names. */
  lost() {
    const lost = [...this.#mine].filter((name) => this.#takenByOther(name));
    for (const name of lost) this.#mine.delete(name);
    return lost;
  }

  /** Renews this tab's leases; returns the names another tab has taken meanwhile. */
  renew() {
    const lost = this.lost();
    for (const name of this.#mine) {
      try {
        this.#write(name, this.#now() + StorageLeases.kLasts);
      } catch {
        // Renewed at the next write of its game.
      }
    }
    return lost;
  }

  /** Lets every lease of this tab go, as it is closed. */
  releaseAll() {
    for (const name of [...this.#mine]) this.#release(name);
  }
}

export class Keeper {
  #local;
  #tabs;
  #locks;
  #say;
  #now;
  #newId;
  #gamePrefix;
  #markPrefix;
  #tabKey;
  #orderKey;
  #tabMarkKey;
  #key = null;
  #release = () => {};
  #held = new Set();  // the games tabs held when last asked
  #refused = false;
  // This tab's game as last kept or taken up: its words, its order of play, when last played.
  #words = 0;
  #order = 0;
  #playedAt = 0;

  /**
   * The rules over `local` and `tabs` (localStorage and sessionStorage, each null where the
   * browser refuses it), `locks` (WebLocks or StorageLeases), for the page in the folder
   * `scope`; `say(topic, text)` tells the player, `now()` is the clock (only for Help's dates),
   * `newId()` names a new game.
   */
  constructor({local, tabs, locks, scope, say, now = Date.now,
               newId = () => now().toString(36) + Math.random().toString(36).slice(2, 8)}) {
    this.#local = local;
    this.#tabs = tabs;
    this.#locks = locks;
    this.#say = say;
    this.#now = now;
    this.#newId = newId;
    this.#gamePrefix = `quellmoor ${scope} game `;
    this.#markPrefix = `quellmoor ${scope} reached `;
    this.#tabKey = `quellmoor ${scope} tab`;
    this.#orderKey = `quellmoor ${scope} order`;
    this.#tabMarkKey = `quellmoor ${scope} reached`;
  }

  /** The storage key of this tab's game; null while it has none. */
  get key() {
    return this.#key;
  }

  #id(key) {
    return key.slice(this.#gamePrefix.length);
  }

  /** The record kept under `key`: null if there is none, 'spoilt' if it breaks the rules. */
  #record(key) {
    const text = this.#local.getItem(key);
    return text === null ? null : readRecord(text) ?? 'spoilt';
  }

  /** The words the game `key` reached, as far as storage knows (the record may hold fewer). */
  #reached(key) {
    let words = readCount(this.#local.getItem(this.#markPrefix + this.#id(key)));
    try {
      const mark = JSON.parse(this.#tabs?.getItem(this.#tabMarkKey) ?? 'null');
      if (mark?.game === this.#id(key) && isCount(mark.words)) words = Math.max(words, mark.words);
    } catch {
      // No mark, then.
    }
    return words;
  }

  /** A game found to take up: its record and the words it is behind the game by. */
  #found(key, record) {
    return {record, unkept: Math.max(0, this.#reached(key) - wordsOf(record.lines))};
  }

  /**
   * The game a plain visit takes up: this tab's own (a reload, a restored tab), else the one
   * played last that no open tab holds. Resolves to {record, unkept}, {taken: true} where this
   * tab's own game is open in another tab, {spoilt: true} where it cannot be read, or null;
   * with `lost`, the words of this tab's game where none of it could be kept.
   */
  async takeUp() {
    if (!this.#local) return null;
    await this.look();
    const own = this.#tabs?.getItem(this.#tabKey);
    let lost = 0;
    if (own) {
      const key = this.#gamePrefix + own;
      const record = this.#record(key);
      if (record === 'spoilt') {
        this.delete(key);
        return {spoilt: true};
      }
      if (record) return await this.#hold(key, record) ? this.#found(key, record) : {taken: true};
      lost = this.#reached(key);
      this.delete(key);
    }
    for (const game of this.games().filter((game) => game.order > 0 && !game.elsewhere)) {
      const record = this.#record(game.key);
      if (record !== 'spoilt' && await this.#hold(game.key, record)) return {...this.#found(game.key, record), lost};
    }
    return lost > 0 ? {lost} : null;
  }

  /**
   * The game this tab takes up, for the page to play: the one a link `shared` (share.js)
   * carries, else as takeUp finds (`how`: 'kept'), or null for a new game.
   */
  async choose(shared) {
    if (shared?.refused) this.#say('link', `This link's game could not be opened: ${shared.refused}.`);
    if (shared?.record) return this.open(shared.record);
    const found = await this.takeUp();
    if (found?.spoilt) this.#say('game', 'Your kept game could not be read, so a new game starts.');
    if (found?.record || found?.taken) return {...found, how: 'kept'};
    await this.fresh();
    if (found?.lost) this.#say('game', `${lostWords(found.lost)} A new game starts.`);
    return null;
  }

  /**
   * Takes up in this tab the game `record` a link (or a file) carries, for the page to play:
   * the one it opened before if that is kept as it was, unplayed, else under a key of its own.
   */
  async open(record) {
    await this.look();
    for (const game of this.games().filter((game) => game.order === 0 && !game.elsewhere)) {
      const kept = this.#record(game.key);
      if (kept === 'spoilt' || !sameLines(kept, record)) continue;
      if (await this.#hold(game.key, kept)) return {record, how: 'link'};
    }
    await this.fresh(record);
    return {record, how: 'link'};
  }

  /**
   * Takes up in this tab, under a key of its own, the game a file carries, `start` = {record,
   * how: 'file', ...}, for the page to play: the player's own from the start, played last.
   */
  async openOwn(start) {
    await this.fresh(start.record);
    if (this.#local) {
      this.#order = this.#nextOrder();
      this.#playedAt = this.#now();
    }
    return start;
  }

  /** Takes up the kept game `key` in this tab; resolves to its record, or null if another tab holds it. */
  async switchTo(key) {
    const record = this.#local && this.#record(key);
    if (!record || record === 'spoilt' || !await this.#hold(key, record)) return null;
    return record;
  }

  /** A key of its own for a new game, or one opened as `record`; the game before stays kept. */
  async fresh(record = null) {
    await this.#hold(this.#gamePrefix + this.#newId(), record);
    await this.look();
  }

  /** Takes the game `key`, kept as `record` (null: none yet), for this tab; false if another tab holds it. */
  async #hold(key, record) {
    if (key !== this.#key) {
      const release = await this.#locks.claim(key);
      if (!release) return false;
      this.#release();
      this.#key = key;
      this.#release = release;
      try {
        this.#tabs?.setItem(this.#tabKey, this.#id(key));
      } catch {
        // A new tab of its own, then, after a reload.
      }
    }
    this.#words = record ? wordsOf(record.lines) : 0;
    this.#order = record?.order ?? 0;  // a link's game: 0, played in by no one here
    this.#playedAt = record?.playedAt ?? 0;
    return true;
  }

  /**
   * The kept games, as Help lists them, {key, order, playedAt, savedAt, words, here, elsewhere}:
   * this tab's, then those played, the one played last first, then those only opened, the one
   * opened last first.
   */
  games() {
    const games = [];
    for (let i = 0; this.#local && i < this.#local.length; i++) {
      const key = this.#local.key(i);
      const record = key?.startsWith(this.#gamePrefix) && this.#record(key);
      if (!record || record === 'spoilt') continue;
      const {order, playedAt, savedAt, lines} = record;
      games.push({key, order, playedAt, savedAt, words: wordsOf(lines), here: key === this.#key,
                  elsewhere: key !== this.#key && this.#held.has(key)});
    }
    return games.sort((a, b) => (b.here - a.here) || (b.order - a.order) || (b.savedAt - a.savedAt));
  }

  /** Asks again which games other tabs hold. */
  async look() {
    this.#held = await this.#locks.held();
  }

  /** Games only opened, not this tab's, those to drop first first: no tab's before another tab's, the oldest first. */
  #droppable() {
    return this.games().filter((game) => game.order === 0 && !game.here)
        .sort((a, b) => (a.elsewhere - b.elsewhere) || (a.savedAt - b.savedAt));
  }

  /**
   * Drops games only opened so that, with one more, no more than kLinkGames are kept. One
   * another tab shows is dropped last; that tab keeps it again at its next write.
   */
  #makeRoomForLinkGame() {
    const opened = this.#droppable();
    for (const game of opened.slice(0, Math.max(0, opened.length - (kLinkGames - 1)))) this.delete(game.key);
  }

  /** Storage is full: drops the first game only opened to drop; false if there is none. */
  #dropLinkGameForRoom() {
    const [first] = this.#droppable();
    if (first) this.delete(first.key);
    return Boolean(first);
  }

  /** The next count of the order of play, kept (where there is room) for every tab to count on from. */
  #nextOrder() {
    const order = Math.max(readCount(this.#local.getItem(this.#orderKey)), this.#order) + 1;
    try {
      this.#local.setItem(this.#orderKey, fixedWidth(order));
    } catch {
      // Counted on from the records' own orders, then.
    }
    return order;
  }

  /** This tab's game may be written: it still holds it (a lease another tab took says otherwise). */
  #mayWrite() {
    for (;;) {
      try {
        return this.#locks.holds(this.#key);
      } catch (error) {
        // No room for a lease: the record's own write tells whether it can be kept.
        if (!isFull(error) || !this.#dropLinkGameForRoom()) return true;
      }
    }
  }

  /**
   * Keeps `record` (session.js) as this tab's game. Where storage is full, games only opened
   * make room, the oldest first; if they cannot, the record kept stays behind the game, and
   * the notice says by how many words.
   */
  save(record) {
    if (!this.#local || this.#key === null) return this.#tell();
    if (!this.#mayWrite()) return this.#say('keeping', kTakenElsewhere);
    const words = wordsOf(record.lines);
    if (words > this.#words) {
      this.#order = this.#nextOrder();
      this.#playedAt = this.#now();
    }
    this.#words = words;
    const kept = {...record, savedAt: this.#now(), playedAt: this.#playedAt, order: this.#order};
    if (kept.order === 0 && this.#local.getItem(this.#key) === null) this.#makeRoomForLinkGame();
    for (;;) {
      try {
        this.#local.setItem(this.#markPrefix + this.#id(this.#key), fixedWidth(words));
        this.#local.setItem(this.#key, recordText(kept));
        this.#tabs?.removeItem(this.#tabMarkKey);
        return this.#say('keeping');
      } catch (error) {
        if (!isFull(error)) {
          this.#refused = true;
          return this.#tell();
        }
        if (!this.#dropLinkGameForRoom()) return this.#fell(words);
      }
    }
  }

  /** Storage was full: notes that the game reached `words` words, and says how many are not kept. */
  #fell(words) {
    const kept = this.#record(this.#key);
    const unkept = words - (kept && kept !== 'spoilt' ? wordsOf(kept.lines) : 0);
    if (unkept <= 0) return this.#say('keeping');  // what is kept holds every word of the game
    try {
      this.#tabs?.setItem(this.#tabMarkKey, JSON.stringify({game: this.#id(this.#key), words}));
    } catch {
      // The fixed-width count, where it was written before, knows.
    }
    this.#say('keeping', `Storage for this site is full: your game plays on, but its last ${countOf(unkept)} ` +
                         `${unkept === 1 ? 'is' : 'are'} not kept. Help lists the kept games, to delete some.`);
  }

  #tell() {
    if (this.#local && !this.#refused) return;
    this.#say('keeping', 'This browser does not let the page keep your game: it plays on, but a reload loses it.');
  }

  /** Forgets this tab's game, if any: a new one starts over it, under its key or a new one. */
  async startOver() {
    this.delete(this.#key);
    if (this.#key === null) await this.fresh();
    else await this.#hold(this.#key, null);
  }

  /** Deletes the kept game `key`. */
  delete(key) {
    if (key === null) return;
    try {
      this.#local?.removeItem(key);
      this.#local?.removeItem(this.#markPrefix + this.#id(key));
      if (JSON.parse(this.#tabs?.getItem(this.#tabMarkKey) ?? 'null')?.game === this.#id(key)) {
        this.#tabs.removeItem(this.#tabMarkKey);
      }
    } catch {
      // Nothing kept, then.
    }
  }

  /** A tab let its game go as it was closed: the next tab may take it up. */
  close() {
    this.#release();
    this.#release = () => {};
    this.#key = null;
  }
}

/** What a tab whose game another tab took up says. */
export const kTakenElsewhere = 'This game is now open in another tab: what you play here is not kept. ' +
                               'Play it there, or start a new game here.';

/** `count` words, in words. */
export function countOf(count) {
  return `${count} word${count === 1 ? '' : 's'}`;
}

/** What the player is told of this tab's game, none of whose `words` words could be kept. */
export function lostWords(words) {
  return `Storage was full, so this tab's game (${countOf(words)}) could not be kept.`;
}

/** The browser's storage `name`, or null where it is refused (as a browser may refuse it). */
function storageNamed(name) {
  try {
    const storage = window[name];
    storage.getItem('quellmoor');
    return storage;
  } catch {
    return null;
  }
}

/**
 * The keeping rules over this browser's storage, its locks or (where it has none) leases kept
 * alive while the tab lives; `say` tells the player, also where another tab took this tab's game
 * (its lease ran out while the tab was frozen). A tab the browser brings back from its back-forward
 * cache, its leases let go as it was hidden, takes its game again at its next write, or says it
 * is open in another tab.
 */
export function keeperForThisPage(say) {
  const local = storageNamed('localStorage');
  let locks;
  if (navigator.locks) {
    locks = new WebLocks(navigator.locks);
  } else {
    const owner = (Math.random().toString(36).slice(2) + '000000000000').slice(0, 12);
    locks = new StorageLeases({local: local ?? {getItem: () => null, setItem() {}, length: 0},
                               owner, now: Date.now, settle: () => new Promise((done) => setTimeout(done, 100))});
    const tell = (lost) => lost.length > 0 && say('keeping', kTakenElsewhere);
    setInterval(() => tell(locks.renew()), StorageLeases.kRenewEvery);
    // Only looked at: a write here would wake every other tab, whose writes would wake this one.
    addEventListener('storage', (event) => event.key?.startsWith(StorageLeases.kPrefix) && tell(locks.lost()));
    addEventListener('pagehide', () => locks.releaseAll());
  }
  return new Keeper({local, tabs: storageNamed('sessionStorage'), locks, say,
                     scope: new URL('.', location.href).pathname});
}
