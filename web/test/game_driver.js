// Plays the web build of the game under node: the very quellmoor.js and quellmoor.wasm the
// page loads, fed input the way the page feeds it, with everything the game writes caught.

'use strict';

const fs = require('node:fs');
const path = require('node:path');

const {currentSite} = require('../tools/source_stamp.js');

const site = currentSite();
const createQuellmoor = require(path.join(site, 'quellmoor.js'));
// Handing the module its code directly keeps it from fetching its .wasm under node.
const wasmBinary = fs.readFileSync(path.join(site, 'quellmoor.wasm'));

/**
 * A freshly loaded module with a screen that records what the game writes. `flushed` is
 * true when the game has flushed its console since it last wrote.
 */
async function loadGame() {
  const game = {chunks: [], written: 0, flushed: true, onInputWanted: null};
  game.module = await createQuellmoor({
    wasmBinary,
    onOutput(bytes) {
      game.chunks.push(Buffer.from(bytes));
      game.written += bytes.length;
      game.flushed = false;
    },
    onFlush() {
      game.flushed = true;
    },
    onInputWanted() {
      if (game.onInputWanted) game.onInputWanted();
    },
  });
  return game;
}

/** Everything the game has written since this was last asked. */
function takeOutput(game) {
  const output = Buffer.concat(game.chunks);
  game.chunks = [];
  return output;
}

/** Runs one whole game; resolves to its output once it is over. */
async function play(game) {
  const result = await game.module.ccall('quellmoor_play', 'number', [], [], {async: true});
  if (result !== 1) throw new Error(`the game reported a failed write (${result})`);
  return takeOutput(game);
}

/** One game with all of `input` handed over at once, then its end: a piped script. */
async function playPiped(game, input) {
  game.module.discardInput();
  game.module.sendInput(input);
  game.module.endInput();
  return play(game);
}

/** `input` cut after each line break; the last piece may have none. */
function splitLines(input) {
  const lines = [];
  let start = 0;
  for (let i = 0; i < input.length; i++) {
    if (input[i] === 0x0a) {
      lines.push(input.subarray(start, i + 1));
      start = i + 1;
    }
  }
  if (start < input.length) lines.push(input.subarray(start));
  return lines;
}

/**
 * One game played as a person at the page plays it: each line of `input` is handed over
 * only when the game waits for input; when none are left, the input ends. Resolves to
 * {output, waits}: everything written, and how much of it had been written at each wait.
 * `flushedAtEveryWait` tells whether the console was flushed after its last write each time.
 */
async function playByLines(game, input) {
  const lines = splitLines(input);
  const waits = [];
  const start = game.written;
  let flushedAtEveryWait = true;
  game.module.discardInput();
  game.onInputWanted = () => {
    waits.push(game.written - start);
    flushedAtEveryWait &&= game.flushed;
    const line = lines.shift();
    if (line === undefined) {
      game.module.endInput();
    } else {
      game.module.sendInput(line);
    }
  };
  try {
    return {output: await play(game), waits, flushedAtEveryWait};
  } finally {
    game.onInputWanted = null;
  }
}

module.exports = {loadGame, playPiped, playByLines, splitLines};
