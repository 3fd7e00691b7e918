// The web build against the console program: the same words must give the same bytes,
// whether the words arrive all at once (a piped script) or a line at a time as the player
// types them at the page; and typed, the page must show what the console shows each time
// the game waits for the player. Also: the maps the page speaks in words are the maps the
// game draws, every one of them.

'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const {describe, test} = require('node:test');

const {loadGame, playPiped, playByLines} = require('./game_driver.js');
const {playConsoleByLines} = require('./console_driver.js');
const {consoleProgram} = require('./console_screen.js');

const goldenRoot = path.join(__dirname, '..', '..', 'tests', 'golden');

function transcripts() {
  const found = [];
  for (const folder of fs.readdirSync(goldenRoot).sort()) {
    const dir = path.join(goldenRoot, folder);
    if (!fs.statSync(dir).isDirectory()) continue;
    for (const file of fs.readdirSync(dir).sort()) {
      if (!file.endsWith('.in')) continue;
      const stem = path.join(dir, file.slice(0, -3));
      found.push({
        name: `${folder}/${file.slice(0, -3)}`,
        input: fs.readFileSync(stem + '.in'),
        expected: fs.readFileSync(stem + '.out'),
      });
    }
  }
  return found;
}

/** Fails with the first differing byte and the text around it on both sides. */
function assertSameBytes(actual, expected, what) {
  if (actual.equals(expected)) return;
  let at = 0;
  while (at < actual.length && at < expected.length && actual[at] === expected[at]) at++;
  const around = (bytes) =>
    JSON.stringify(bytes.subarray(Math.max(0, at - 40), at + 40).toString('latin1'));
  assert.fail(`${what}: first difference at byte ${at} ` +
              `(${actual.length} bytes written, ${expected.length} expected)\n` +
              `  written:  ${around(actual)}\n  expected: ${around(expected)}`);
}

/** The typed game shows at each wait exactly what the console program shows at its own. */
async function assertSameWaits(typed, input, name) {
  const reference = await playConsoleByLines(consoleProgram(), input);
  assert.equal(reference.status, 0, `${name}: the console program failed`);
  assertSameBytes(typed.output, reference.output, `${name}, typed, against the console`);
  assert.deepEqual(typed.waits, reference.waits,
                   `${name}: bytes on the screen at each wait for input, page against console`);
}

describe('every golden transcript', () => {
  for (const {name, input, expected} of transcripts()) {
    test(`${name}: byte for byte, piped and typed`, async () => {
      // Two games on one module, as the page plays them: the second starts afresh.
      const game = await loadGame();
      assertSameBytes(await playPiped(game, input), expected, `${name}, piped`);
      const typed = await playByLines(game, input);
      assertSameBytes(typed.output, expected, `${name}, typed`);
      assert.ok(typed.waits.length >= 1 && typed.waits[0] > 0,
                `${name}: the banner is not on the screen when the game first waits`);
      assert.ok(typed.flushedAtEveryWait, `${name}: the game waited with output not flushed`);
    });
    test(`${name}: typed, the screen at every wait as on the console`, async () => {
      await assertSameWaits(await playByLines(await loadGame(), input), input, name);
    });
  }
});

/** A long fixed script of words, several to a line, from its own small generator. */
function longScript(wordCount) {
  const words = ['n', 'e', 's', 'w', 'look', 'map', 'stats', 'talk', 'buy', '1', '2', '3', '4',
                 '9', 'drink', 'open', 'heal', 'mana', 'teleport', 'climb', 'attack', 'amplify',
                 'weaken', 'Look', 'xyzzy'];
  let state = 12345;
  const next = (n) => {
    state = (state * 1103515245 + 12345) % 2147483648;
    return Math.floor(state / 65536) % n;
  };
  let text = '';
  for (let i = 0; i < wordCount; i++) {
    text += words[next(words.length)] + (next(4) === 0 ? '\n' : ' ');
  }
  return Buffer.from(text + '\nquit\nquit\n', 'latin1');
}

test('a long script against the console program: many reads, many output blocks',
     async () => {
       const program = consoleProgram();
       const input = longScript(3000);
       const run = childProcess.spawnSync(program, {input, maxBuffer: 64 << 20});
       assert.equal(run.status, 0, `${program} failed: ${run.stderr}`);
       // More than one read's worth of input and several 16 KiB output blocks.
       assert.ok(input.length > 8192 && run.stdout.length > 64 * 1024,
                 `the script is too short to test anything (${run.stdout.length} bytes out)`);

       const game = await loadGame();
       assertSameBytes(await playPiped(game, input), run.stdout, 'long script, piped');
       await assertSameWaits(await playByLines(game, input), input, 'long script');

       const quitFirst = Buffer.from('quit\n');
       const fresh = childProcess.spawnSync(program, {input: quitFirst}).stdout;
       assertSameBytes(await playPiped(game, quitFirst), fresh, 'a game after the long one');
     });

test('the page knows every map the game draws, each in words of its own', async () => {
  const game = await loadGame();
  const speech = new Map(JSON.parse(game.module.ccall('quellmoor_map_speech', 'string', [], [])));
  // The maps as the golden transcripts print them: runs of lines of walls, spaces and one '*'.
  const printed = new Set();
  for (const {expected} of transcripts()) {
    const runs = expected.toString('latin1').match(/^(?:[=#* ]*[=#][=#* ]*\n)+/gm) || [];
    for (const run of runs.filter((run) => run.split('*').length === 2)) printed.add(run.slice(0, -1));
  }
  assert.equal(printed.size, 44, 'the golden transcripts show the map of every room');
  assert.deepEqual([...printed].filter((map) => !speech.has(map)), [], 'maps the page would read as drawings');
  // A blind player tells any two rooms apart by their words.
  assert.equal(new Set(speech.values()).size, 44);
});
