// The share-link reader and writer (web/page/share_link.js) on any text, in node: reading
// never throws, a link's game is never one the page could not have played (a line with a
// line break in it, a count or a hash out of its form, a link past the longest), and every
// link the page writes reads back as the game it was written from.
// QUELLMOOR_FUZZ_RUNS=N tries N texts for each (1,000 by default, a second or two).

'use strict';

const assert = require('node:assert/strict');
const {before, test} = require('node:test');
const esbuild = require('esbuild');
const fc = require('fast-check');
const path = require('node:path');

const kRuns = Number(process.env.QUELLMOOR_FUZZ_RUNS || 1000);
const kLinkStart = '#play=';
const kLongestLink = 65536;  // the longest fragment the page writes or reads

/** The page's module `name` (web/page/), with what it imports, as node can load it. */
async function pageModule(name) {
  const {outputFiles: [bundle]} = esbuild.buildSync({
    entryPoints: [path.join(__dirname, '..', 'page', name)], bundle: true, format: 'esm', write: false});
  return import(`data:text/javascript,${encodeURIComponent(bundle.text)}`);
}

let linkTo;
let readLink;
before(async () => {
  ({linkTo, readLink} = await pageModule('share_link.js'));
});

const hex = (length) => fc.stringMatching(new RegExp(`^[0-9a-f]{${length}}$`));
// A typed line: any text but a line break, which ends the line; the characters a link
// escapes or splits at often among them.
const character = fc.oneof(
  fc.constantFrom('/', '%', '#', '?', '&', '=', '+', '.', ' ', '\r', '\t', '\u2028', '\u00e9', '\u{1f409}'),
  fc.string({unit: 'binary-ascii', minLength: 1, maxLength: 1}),
  fc.string({unit: 'binary', minLength: 1, maxLength: 1}));
const line = fc.string({unit: character, maxLength: 40}).map((text) => text.replaceAll('\n', ''));
// A game as the page keeps it: its lines, its text's length and hash, and its build ('' for a
// page whose game was built without one).
const record = fc.record({
  lines: fc.array(line, {maxLength: 30}),
  length: fc.integer({min: 0, max: 1e15 - 1}),
  hash: hex(16),
  build: fc.oneof(hex(16), fc.constant('')),
});

// What a fragment may hold after "#play=": the length and hash, well formed or nearly, and
// lines as a link escapes them, or escapes gone wrong (a lone %, a line break, a byte of no
// character).
const nearCount = fc.oneof(fc.nat().map(String), fc.bigInt(0n, 10n ** 18n).map(String),
  {weight: 3, arbitrary: fc.bigInt(10n ** 14n, 10n ** 16n).map(String)},
  fc.stringMatching(/^\d{0,17}$/), fc.string({maxLength: 4}));
const nearHex = fc.oneof(
  {weight: 3, arbitrary: hex(16)}, fc.stringMatching(/^[0-9a-fA-F]{0,18}$/), fc.string({maxLength: 4}));
const nearCheck = fc.tuple(nearCount, nearHex, fc.option(nearHex), fc.constantFrom('.', '.', '.', ',', ''))
  .map(([count, hash, build, dot]) => `${count}${dot}${hash}${build === null ? '' : `.${build}`}`);
const check = fc.oneof(record.map(({length, hash, build}) => `${length}.${hash}.${build}`), nearCheck);
const escape = fc.constantFrom('%0A', '%0a', '%0D', '%25', '%2F', '%', '%0', '%zz', '%C3', '%E2%80%A8', '%F0%9F%90');
const linePart = fc.oneof(line.map(encodeURIComponent), fc.string({unit: 'binary', maxLength: 6}), escape);
const escapedLine = fc.array(linePart, {maxLength: 4}).map((parts) => parts.join(''));
const nearLink = fc.tuple(fc.constantFrom(kLinkStart, kLinkStart, kLinkStart, '#play', '#Play=', ''), check,
  fc.array(fc.oneof(line.map(encodeURIComponent), escapedLine), {maxLength: 8}))
  .map(([start, sum, lines]) => start + [sum, ...lines].join('/'));
const anyFragment = fc.oneof(fc.string({unit: 'binary', maxLength: 80}), {weight: 4, arbitrary: nearLink});

/** Fails unless `read` (readLink's answer to `fragment`) is one the page can meet. */
function assertWithinRules(read, fragment) {
  if (!fragment.startsWith(kLinkStart)) {
    assert.equal(read, null);
    return;
  }
  if (read.refused !== undefined) {
    assert.equal(typeof read.refused, 'string');
    return;
  }
  const {lines, length, hash, build} = read.record;
  assert.ok(fragment.length <= kLongestLink, 'a link past the longest is read');
  assert.ok(Array.isArray(lines));
  for (const line of lines) {
    assert.equal(typeof line, 'string');
    assert.ok(!line.includes('\n'), `a line with a line break: ${JSON.stringify(line)}`);
  }
  assert.ok(lines.length <= fragment.length, 'more lines than the link has room for');
  assert.ok(Number.isSafeInteger(length) && length >= 0 && length < 1e15, `a length out of bounds: ${length}`);
  assert.match(hash, /^[0-9a-f]{16}$/);
  assert.ok(build === undefined || /^[0-9a-f]{0,16}$/.test(build), `a build out of its form: ${build}`);
}

/** The fragment of `link`, as a browser's address gives it. */
const fragmentOf = (link) => new URL(link).hash;

test('a share link: any text is read without throwing, as no link or a game within the rules', () => {
  fc.assert(fc.property(anyFragment, (fragment) => {
    assertWithinRules(readLink(fragment), fragment);
  }), {numRuns: kRuns});
  // At the longest a link may be, and a character either side of it: a game is read up to the
  // longest and refused past it, however its last line ends.
  fc.assert(fc.property(record, fc.integer({min: -2, max: 2}), fc.constantFrom('a', '%41'), (game, over, unit) => {
    const fragment = fragmentOf(linkTo('https://example.org/', {...game, lines: []})) + '/';
    const longest = fragment + unit.repeat(Math.ceil((kLongestLink - fragment.length) / unit.length) + 3);
    const padded = longest.slice(0, kLongestLink + over);
    const read = readLink(padded);
    assertWithinRules(read, padded);
    assert.equal(read.record !== undefined, padded.length <= kLongestLink && !/%.?$/.test(padded));
  }), {numRuns: Math.max(20, kRuns / 50)});
});

test('a share link the page writes reads back as the game it was written from; none is written past the longest',
     () => {
  const base = 'https://example.org/quellmoor/?from=friend';
  const roundTrip = (game) => {
    const link = linkTo(base, game);
    const {lines, length, hash, build} = game;
    if (link === null) {
      // As the link would be: each line %-escaped after a slash.
      const escaped = lines.map((each) => '/' + encodeURIComponent(each)).join('');
      assert.ok(`${kLinkStart}${length}.${hash}.${build}${escaped}`.length > kLongestLink,
                'a link short enough was not written');
      return;
    }
    assert.ok(link.startsWith(base + kLinkStart));
    const read = readLink(fragmentOf(link));
    // When it was played is this browser's to say, not the link's: left out.
    assert.deepEqual(read.record && {...read.record, playedAt: undefined},
                     {lines, length, hash, build, playedAt: undefined});
  };
  fc.assert(fc.property(record, roundTrip), {numRuns: kRuns});
  // Games long enough to near the longest link: many words, some of them escaped long.
  const longLine = fc.tuple(fc.string({unit: 'binary', minLength: 1, maxLength: 3}), fc.integer({min: 0, max: 25000}))
    .map(([unit, times]) => unit.replaceAll('\n', ' ').repeat(times));
  fc.assert(fc.property(record, fc.array(longLine, {maxLength: 3}), (game, lines) => roundTrip({...game, lines})),
    {numRuns: Math.max(20, kRuns / 20)});
});
