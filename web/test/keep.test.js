// The page's keeping rules (web/page/keep.js) against a small model of what they promise,
// driven in node: seeded random sequences of what players do (open a tab, close one, let one
// die, reload, play a word or a blank line, open a link, fill storage and free it, a new build,
// a clock set wrong and right again, a new game) over one browser's storage, two kinds of locks,
// and after every step:
//   - a game the player played in and was kept is never dropped but by a new game over it;
//   - no two open tabs hold one game;
//   - a resume says the game is where the player left it only when its record holds every word
//     played in it, and a resume behind, or a tab's game lost, gives the true count of words;
//   - a plain visit takes up the game whose last kept word was played last, whatever the clock;
//   - a link opened again takes up its unplayed game; at most 8 games only opened are kept;
//   - the notice that words are not kept counts them true (blank lines are not words).
// A failure shrinks to a short sequence; those found are kept below as cases of their own.
// QUELLMOOR_MODEL_RUNS=N runs more sequences (100 by default, a few seconds).
// Also: the kept-record reader, on any text.

'use strict';

const assert = require('node:assert/strict');
const {before, describe, test} = require('node:test');
const esbuild = require('esbuild');
const fc = require('fast-check');
const path = require('node:path');

/** The page's module `name` (web/page/), with what it imports, as node can load it. */
async function pageModule(name) {
  const {outputFiles: [bundle]} = esbuild.buildSync({
    entryPoints: [path.join(__dirname, '..', 'page', name)], bundle: true, format: 'esm', write: false});
  return import(`data:text/javascript,${encodeURIComponent(bundle.text)}`);
}

/** fc.assert, its failure saying what failed in the shrunk case (node's runner shows no cause). */
async function holds(property, parameters) {
  try {
    await fc.assert(property, parameters);
  } catch (error) {
    error.message += `\n${error.cause?.message ?? ''}`;
    throw error;
  }
}

let keep;  // web/page/keep.js
before(async () => {
  keep = await pageModule('keep.js');
});

/** localStorage or sessionStorage: refuses, as browsers do, a write that would grow past `quota` characters. */
class Storage {
  quota = Infinity;
  #items = new Map();

  get length() {
    return this.#items.size;
  }

  key(index) {
    return [...this.#items.keys()][index] ?? null;
  }

  getItem(key) {
    return this.#items.get(key) ?? null;
  }

  setItem(key, value) {
    const old = this.#items.get(key);
    const growth = String(value).length - (old === undefined ? -key.length : old.length);
    if (growth > 0 && this.used() + growth > this.quota) {
      throw Object.assign(new Error('The quota has been exceeded.'), {name: 'QuotaExceededError'});
    }
    this.#items.set(key, String(value));
  }

  removeItem(key) {
    this.#items.delete(key);
  }

  used() {
    let used = 0;
    for (const [key, value] of this.#items) used += key.length + value.length;
    return used;
  }
}

/** navigator.locks as the browser has them for one site: a lock is let go when its tab goes. */
class BrowserLocks {
  #holders = new Map();

  forTab(tab) {
    const holders = this.#holders;
    return {
      request(name, options, grant) {
        if (holders.has(name)) return Promise.resolve(grant(null));
        holders.set(name, tab);
        const letGo = () => holders.get(name) === tab && holders.delete(name);
        tab.locks.push(letGo);
        return Promise.resolve(grant({name})).then(letGo);
      },
      async query() {
        return {held: [...holders.keys()].map((name) => ({name}))};
      },
    };
  }
}

const kScope = '/';
const kGamePrefix = `quellmoor ${kScope} game `;

/**
 * A record as the page writes it for `lines` in `build` (session.js): any length and hash,
 * the same for the same lines.
 */
function recordOf(lines, build) {
  const text = lines.join('\n');
  let hash = 0x811c9dc5;
  for (let i = 0; i < text.length; i++) hash = Math.imul(hash ^ text.charCodeAt(i), 0x01000193);
  return {lines: [...lines], length: text.length + lines.length,
          hash: (hash >>> 0).toString(16).padStart(8, '0').repeat(2), build};
}

const words = (lines) => lines.filter((line) => line.trim() !== '').length;
// Twelve links, more than the games only opened that are kept; some of them opened again.
const kLinks = Array.from({length: 12}, (_, i) => recordOf(['n', 'e', ...new Array(i).fill('look')], 'old'));

/** One browser, its tabs, and what the model knows of each game (by key): its lines, as played. */
class World {
  local = new Storage();
  browserLocks = new BrowserLocks();
  tabs = [];
  build = 'b0';
  clock = 1.7e12;
  played = new Map();    // key -> the lines the player played in the game, as the game stands
  everKept = new Set();  // keys whose record once held a word played
  keptAt = new Map();    // key -> the count of words played in any game at its last word kept
  lastWordAt = new Map();  // key -> the count of words played in any game at its last word
  dead = new Map();        // key -> until when the lease of a tab that died holds it
  wordsPlayed = 0;
  #ids = 0;

  constructor(leases) {
    this.leases = leases;
  }

  /** A new tab (its own sessionStorage) or this tab again after a reload. */
  keeperFor(tab) {
    tab.locks = [];
    tab.notices = {};
    const owner = `tab${String(++this.#ids).padStart(9, '0')}`;
    const locks = this.leases
      ? new keep.StorageLeases({local: this.local, owner, now: () => this.clock, settle: () => Promise.resolve()})
      : new keep.WebLocks(this.browserLocks.forTab(tab));
    tab.leases = this.leases ? locks : null;
    return new keep.Keeper({local: this.local, tabs: tab.session, locks, scope: kScope,
                            say: (topic, text) => tab.notices[topic] = text, now: () => this.clock,
                            newId: () => `g${++this.#ids}`});
  }

  record(key) {
    const text = this.local.getItem(key);
    return text === null ? null : keep.readRecord(text);
  }

  /** The tab `tab` takes up what it chooses (`shared`: a link's game), as the page does. */
  async start(tab, shared = null) {
    // The game the tab had: as a reload finds it, the one whose ID its sessionStorage holds.
    const own = tab.session.getItem(`quellmoor ${kScope} tab`);
    const before = own === null ? null : kGamePrefix + own;
    tab.keeper = this.keeperFor(tab);
    const chosen = await tab.keeper.choose(shared ? {record: shared} : null);
    this.#checkChosen(tab, before, chosen);
    this.#begin(tab, chosen);
  }

  /** What the page tells of the game a tab took up is true. */
  #checkChosen(tab, before, chosen) {
    // This tab's game gone: a game played in is told lost, with its words; one only opened (its
    // words the link's) may be, as it may have made room for others, which loses nothing played.
    const gone = before !== null && this.record(before) === null;
    const words0 = gone ? words(this.played.get(before) ?? []) : 0;
    const toldLost = chosen?.lost ?? Number(/this tab's game \((\d+) words?\)/.exec(tab.notices.game ?? '')?.[1] ?? 0);
    if (toldLost > 0 || (gone && this.lastWordAt.has(before))) {
      assert.equal(toldLost, words0, 'the words told lost of the tab\'s game');
    }
    if (chosen?.how !== 'kept' || !chosen.record) return;
    const key = tab.keeper.key;
    assert.equal(chosen.unkept, words(this.played.get(key)) - words(chosen.record.lines),
                 'the words told not kept of the game resumed (0: where you left it)');
    if (before === null || before !== key) this.#checkPlayedLast(tab, key);
  }

  /** A game taken up by a plain visit is the one whose record grew last of those no other tab holds. */
  #checkPlayedLast(tab, key) {
    const held = this.heldBesides(tab);
    const free = [...this.keptAt].filter(([other]) => !held.has(other) && this.record(other)?.order > 0);
    const last = free.sort((a, b) => b[1] - a[1])[0]?.[0];
    assert.equal(key, last, 'the game played last, taken up');
  }

  #begin(tab, chosen) {
    const key = tab.keeper.key;
    if (chosen?.taken) {
      tab.lines = null;  // no game: the tab offers a new one
      return;
    }
    tab.lines = [...(chosen?.record?.lines ?? [])];
    this.played.set(key, [...tab.lines]);
    // Taken up as its record has it: words played and never kept are gone, and told so.
    if (!(chosen?.record?.order > 0)) this.lastWordAt.delete(key);
    if (!chosen) this.everKept.delete(key);
    this.#keep(tab);
  }

  /** The tab's game is kept as it stands (a game that has read nothing is not). */
  #keep(tab) {
    if (tab.lines.length === 0) return;
    const key = tab.keeper.key;
    const before = words(this.record(key)?.lines ?? []);
    tab.keeper.save(recordOf(tab.lines, this.build));
    const kept = words(this.record(key)?.lines ?? []);
    if (kept > 0 && this.record(key).order > 0) this.everKept.add(key);
    if (kept > before) this.keptAt.set(key, this.lastWordAt.get(key) ?? 0);
    this.#checkNotice(tab);
  }

  /** The notice of words not kept is there where some are, with their true count. */
  #checkNotice(tab) {
    const unkept = words(tab.lines) - words(this.record(tab.keeper.key)?.lines ?? []);
    const told = /its last (\d+) words? (is|are) not kept/.exec(tab.notices.keeping ?? '');
    assert.equal(told ? Number(told[1]) : 0, unkept, `the notice: ${tab.notices.keeping}`);
  }

  async play(tab, line) {
    if (tab.lines === null) return this.newGame(tab);
    tab.lines.push(line);
    if (line.trim() !== '') this.lastWordAt.set(tab.keeper.key, ++this.wordsPlayed);
    this.played.set(tab.keeper.key, [...tab.lines]);
    this.#keep(tab);
  }

  async newGame(tab) {
    this.everKept.delete(tab.keeper.key);
    this.lastWordAt.delete(tab.keeper.key);
    await tab.keeper.startOver();
    this.#begin(tab, null);
  }

  /** A link opened in `tab`, already on the page. */
  async openLink(tab, link) {
    const again = tab.keeper.games().find(
        (game) => game.order === 0 && !this.heldBesides(tab).has(game.key) &&
                  JSON.stringify(this.record(game.key).lines) === JSON.stringify(link.lines));
    const chosen = await tab.keeper.open(link);
    if (again) assert.equal(tab.keeper.key, again.key, 'the link\'s game opened before, taken up again');
    this.#begin(tab, chosen);
  }

  /** The tab's page goes (closed, reloaded), its locks and leases let go. */
  leave(tab) {
    tab.keeper.close();
    tab.leases?.releaseAll();
    for (const release of tab.locks) release();
  }

  /** The tab goes: closed, or dead (its locks let go by the browser, its leases left to run out). */
  close(tab, died) {
    if (died) {
      for (const release of tab.locks) release();
      // Its game's lease, if it had room to be written, lasts its time from the tab's last write.
      const key = tab.keeper.key;
      if (this.leases && key !== null && this.local.getItem(keep.StorageLeases.kPrefix + key) !== null) {
        this.dead.set(key, this.clock + keep.StorageLeases.kLasts);
      }
    } else {
      this.leave(tab);
    }
    this.tabs.splice(this.tabs.indexOf(tab), 1);
  }

  /** The games other tabs than `tab` hold: open ones, and those dead whose leases have not run out. */
  heldBesides(tab) {
    const held = new Set(this.tabs.filter((other) => other !== tab).map((other) => other.keeper?.key));
    for (const [key, until] of this.dead) if (until > this.clock) held.add(key);
    return held;
  }

  /** Time passes: the open tabs' leases are renewed, as their timers do. */
  pass(ms) {
    this.clock += ms;
    for (const tab of this.tabs) assert.deepEqual(tab.leases?.renew() ?? [], [], 'a lease taken from an open tab');
  }

  check() {
    const keys = this.tabs.map((tab) => tab.keeper.key).filter((key) => key !== null);
    assert.equal(new Set(keys).size, keys.length, 'two tabs hold one game');
    for (const key of this.everKept) assert.notEqual(this.record(key), null, `the played game ${key} dropped`);
    const opened = [];
    for (let i = 0; i < this.local.length; i++) {
      const key = this.local.key(i);
      if (key.startsWith(kGamePrefix) && this.record(key)?.order === 0) opened.push(key);
    }
    assert.ok(opened.length <= 8, `${opened.length} games only opened kept`);
    for (const key of opened) {
      const {lines} = this.record(key);
      const played = (some) => some.filter((line) => line.trim() !== '').join('\n');  // blank lines are no play
      assert.ok(words(lines) === 0 || kLinks.some((link) => played(link.lines) === played(lines)),
                `a game played in, kept as only opened: ${lines}`);
    }
    for (let i = 0; i < this.local.length; i++) {
      const key = this.local.key(i);
      const played = this.record(key)?.order > 0;
      if (played) assert.ok(this.lastWordAt.has(key), `a game only opened, kept as played: ${key}`);
    }
  }
}

/** Plays `steps` in a world of `leases` (else the browser's locks), checking it after each. */
async function run(leases, steps) {
  const world = new World(leases);
  const tabAt = (at) => world.tabs[at % world.tabs.length];
  for (const step of steps) {
    switch (step.op) {
      case 'open': {
        const tab = {session: new Storage()};
        world.tabs.push(tab);
        await world.start(tab, step.link === undefined ? null : kLinks[step.link]);
        break;
      }
      case 'close':
        if (world.tabs.length > 0) world.close(tabAt(step.tab), step.died);
        break;
      case 'reload':
        if (world.tabs.length > 0) {
          const tab = tabAt(step.tab);
          world.leave(tab);
          await world.start(tab);
        }
        break;
      case 'play':
        if (world.tabs.length > 0) await world.play(tabAt(step.tab), step.line);
        break;
      case 'link':
        if (world.tabs.length > 0) await world.openLink(tabAt(step.tab), kLinks[step.link]);
        break;
      case 'new game':
        if (world.tabs.length > 0) await world.newGame(tabAt(step.tab));
        break;
      case 'fill':
        world.local.quota = world.local.used() + step.room;
        break;
      case 'free':
        world.local.quota = Infinity;
        break;
      case 'update':
        world.build = `b${Number(world.build.slice(1)) + 1}`;
        for (const tab of world.tabs) world.leave(tab);
        for (const tab of world.tabs) await world.start(tab);
        break;
      case 'clock':
        world.pass(step.by);
        break;
    }
    world.check();
  }
}

const tab = fc.nat(5);
// Links, the first three more often: a link is often opened again.
const link = fc.oneof(fc.nat(2), fc.nat(kLinks.length - 1));
const kStep = fc.oneof(
    {arbitrary: fc.record({op: fc.constant('open'), link: fc.option(link, {nil: undefined})}), weight: 3},
    {arbitrary: fc.record({op: fc.constant('close'), tab, died: fc.boolean()}), weight: 2},
    {arbitrary: fc.record({op: fc.constant('reload'), tab}), weight: 2},
    {arbitrary: fc.record({op: fc.constant('play'), tab, line: fc.constantFrom('n', 'look', 's', '', ' ')}), weight: 8},
    {arbitrary: fc.record({op: fc.constant('link'), tab, link}), weight: 2},
    {arbitrary: fc.record({op: fc.constant('new game'), tab}), weight: 1},
    {arbitrary: fc.record({op: fc.constant('fill'), room: fc.nat(120)}), weight: 1},
    {arbitrary: fc.record({op: fc.constant('free')}), weight: 1},
    {arbitrary: fc.record({op: fc.constant('update')}), weight: 1},
    {arbitrary: fc.record({op: fc.constant('clock'), by: fc.integer({min: -3e9, max: 3e9})}), weight: 1});

const open = (link) => ({op: 'open', link});
const play = (tab, line) => ({op: 'play', tab, line});

// Sequences found shrunk, each once a fault of the rules: kept as they were found.
const kFound = [
  // A tab's game, none of it kept for want of room, and another tab's game taken up on its
  // reload as if it were where the player left it.
  [true, [open(), play(0, 'stats'), play(0, 'n'), open(), {op: 'fill', room: 0}, play(1, 'look'), play(1, 's'),
          {op: 'close', tab: 0, died: false}, {op: 'reload', tab: 0}]],
  // Kept, then storage full, more words and blank lines; the tab closed, a new one resumes
  // behind: told as such, by the words (not the lines) that were not kept.
  [false, [open(), play(0, 'stats'), {op: 'fill', room: 0}, play(0, 'e'), play(0, ''), play(0, ''),
           {op: 'close', tab: 0, died: false}, open()]],
  // Storage full before a new game's first word: the reload took up nothing said lost.
  [false, [open(), {op: 'fill', room: 0}, play(0, 'n'), {op: 'reload', tab: 0}]],
  // A blank line with storage full, told as a word not kept.
  [false, [{op: 'fill', room: 0}, open(), play(0, '')]],
  // A game played in, dropped to make room for a link's game.
  [false, [open(0), play(0, 'n'), {op: 'fill', room: 0}, open(0)]],
  // Without the browser's locks, a reload that took up the game another open tab plays.
  [true, [open(), open(), play(1, 'n'), {op: 'reload', tab: 0}]],
  // A link opened again in the tab that shows its game, kept as a copy.
  [false, [open(0), {op: 'link', tab: 0, link: 0}]],
  // Nine links opened: eight of their games kept.
  [false, [open(), ...Array.from({length: 9}, (_, i) => ({op: 'link', tab: 0, link: i}))]],
  // A game played while the clock ran ahead, then one after it was set right: the second is played last.
  [true, [open(), {op: 'clock', by: 3e9}, play(0, 'n'), {op: 'clock', by: -3e9}, open(), play(1, 'e'),
          {op: 'close', tab: 0, died: false}, {op: 'close', tab: 0, died: false}, open()]],
];

describe('the keeping rules', () => {
  test('hold against a model of them over random sequences of play, tabs, links, storage and builds', async () => {
    const runs = Number(process.env.QUELLMOOR_MODEL_RUNS) || 100;
    await holds(fc.asyncProperty(fc.boolean(), fc.array(kStep, {maxLength: 40, size: 'max'}), run),
                    {numRuns: runs, examples: kFound});
  });

  test('two tabs with no locks of the browser never play one game; a tab that died lets it go', async () => {
    await run(true, [open(), play(0, 'n'), open(), play(1, 'e'), {op: 'close', tab: 0, died: true}, open(),
                     {op: 'clock', by: keep.StorageLeases.kLasts + 1}, open()]);
    // Without its leases, a second tab takes up the game the first plays.
    const world = new World(true);
    const first = {session: new Storage()};
    world.tabs.push(first);
    await world.start(first);
    await world.play(first, 'n');
    const second = {session: new Storage()};
    world.tabs.push(second);
    await world.start(second);
    assert.notEqual(second.keeper.key, first.keeper.key);
  });
});

describe('a kept game of an older build', () => {
  // The game as the fake builds write it: the same texts but for the end of the game's.
  const kTexts = ['Welcome to Quellmoor\n> ', 'You go north.\n> ', 'You see a road.\n> '];
  const kEnd = 'Thanks for playing. Press Enter.\n';

  /**
   * Plays `start` back into a game of the build `build`, which comes to its end after
   * `endAfter` lines; returns the game and how it came out.
   */
  async function playBack(start, build, endAfter) {
    globalThis.createQuellmoor = Object.assign(() => {}, {wasmSha256: build.repeat(64 / build.length)});
    const {PlayedGame} = await pageModule('game.js');
    const game = new PlayedGame(start);
    const module = {sendInput() {}};
    const isOver = (answer) => answer === kEnd;
    for (let read = 0; ; read++) {
      game.written(new TextEncoder().encode(read === endAfter ? kEnd : kTexts[read] ?? '> '));
      const step = game.replayNext(module, isOver);
      if (step !== 'playing') return {game, outcome: step};
    }
  }

  test('opens at its end in the new build, said once, and is then kept as the new build\'s, a link\'s game too', async () => {
    const lines = ['n', 'look', 'quit', 'quit'];
    for (const how of ['kept', 'link']) {
      const old = {lines, length: 1, hash: '0123456789abcdef', build: 'aaaaaaaaaaaaaaaa'};
      const {game, outcome} = await playBack({record: old, how}, 'b', 3);
      assert.equal(outcome, 'ended');
      game.adoptReplay(outcome);  // as the page hands it over
      const notice = game.resumedNotice(outcome, true);
      const kept = [];
      game.keep({save: (record) => kept.push(record)});
      assert.equal(notice,
                   'In this new version of Quellmoor your game comes to its end after 3 of its 4 words: here it is.');
      assert.deepEqual(kept.map((record) => [record.lines, record.build]), [[lines.slice(0, 3), 'b'.repeat(16)]], how);
      // Taken up again in the same build: the very game, at its end, said as such.
      const again = await playBack({record: kept[0], how: 'kept'}, 'b', 3);
      assert.equal(again.outcome, 'same');
      again.game.adoptReplay(again.outcome);
      assert.equal(again.game.resumedNotice(again.outcome, true), 'Your game was over when you left it: here is its end.');
    }
  });
});

describe('the kept-record reader', () => {
  const kRules = (record) => Array.isArray(record.lines) && record.lines.every((line) => !line.includes('\n')) &&
                             Number.isSafeInteger(record.length) && record.length >= 0 &&
                             Number.isSafeInteger(record.order) && record.order >= 0 &&
                             /^[0-9a-f]{16}$/.test(record.hash) && /^[0-9a-f]{0,16}$/.test(record.build);
  const line = fc.string({unit: 'binary', maxLength: 12});
  const written = fc.record({
    lines: fc.array(line.filter((text) => !text.includes('\n')), {maxLength: 8}),
    length: fc.maxSafeNat(), hash: fc.stringMatching(/^[0-9a-f]{16}$/), build: fc.stringMatching(/^[0-9a-f]{0,16}$/),
    savedAt: fc.maxSafeNat(), playedAt: fc.maxSafeNat(), order: fc.maxSafeNat()});

  test('reads any text without throwing, and never a record outside the rules', async () => {
    const near = written.chain((record) => fc.constantFrom(
        keep.recordText(record), keep.recordText({...record, lines: [...record.lines, 'a\nb']}),
        keep.recordText({...record, length: -1}), keep.recordText({...record, order: 2 ** 60}),
        keep.recordText({...record, order: 1.5}), keep.recordText({...record, hash: 'not hex digits!'})));
    const texts = fc.oneof(fc.string({unit: 'binary'}), fc.json(), near,
                           near.chain((text) => fc.nat(text.length).map((at) => text.slice(0, at))));
    await holds(fc.property(texts, (text) => {
      const record = keep.readRecord(text);
      assert.ok(record === null || kRules(record), JSON.stringify(record));
    }), {numRuns: 2000});
  });

  test('reads back equal every record the page writes', async () => {
    await holds(fc.property(written, (record) => {
      assert.deepEqual(keep.readRecord(keep.recordText(record)), {...record});
    }), {numRuns: 1000});
  });
});
