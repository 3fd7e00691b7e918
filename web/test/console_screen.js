// The console program as the page's tests' reference: its screen once a player has typed
// some lines, as a console window shows it and as the page's screen keeps it.

'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');

const {playConsoleByLines} = require('./console_driver.js');

/** The console program, QUELLMOOR_CONSOLE: thrown out, saying what to set, where it is not set. */
function consoleProgram() {
  const program = process.env.QUELLMOOR_CONSOLE;
  if (!program) {
    throw new Error('QUELLMOOR_CONSOLE is not set: set it to the console program built from these ' +
                    'sources (cmake --workflow --preset play builds build/release/quellmoor), or run ' +
                    'web/tools/test.sh, which builds one');
  }
  fs.accessSync(program, fs.constants.X_OK);
  return program;
}

/**
 * The console window's text once `lines` are typed into it, each echoed where it was typed:
 * the console program's output up to its wait for the next line (or to its end, if the
 * lines end the game). `input`: the bytes the program reads, where they are a file's.
 */
async function consoleScreen(lines, input = Buffer.from(lines.map((line) => line + '\n').join(''))) {
  const run = await playConsoleByLines(consoleProgram(), input);
  assert.equal(run.status, 0, 'the console program failed');
  let text = '';
  let at = 0;
  run.waits.forEach((wait, i) => {
    text += run.output.subarray(at, wait).toString('latin1') + (lines[i] ?? '') + '\n';
    at = wait;
  });
  if (run.waits.length > lines.length) {
    // It waits for more: what it wrote after that answered the end of its input.
    return text.slice(0, -1);
  }
  return text + run.output.subarray(at).toString('latin1');
}

/**
 * `text` as the page's screen keeps it, for scrolling back: the runs of blank lines before the
 * last one that clears the screen (10 blank lines or more) shortened to their first line.
 */
function scrolledBack(text) {
  const lines = text.split('\n');
  const blank = (i) => i >= 0 && i < lines.length - 1 && lines[i] === '';
  let clearing = -1;  // where the last clearing run starts
  for (let i = 0, run = 0; i < lines.length; i++) {
    run = blank(i) ? run + 1 : 0;
    if (run === 10) clearing = i - 9;
  }
  return lines.filter((line, i) => i >= clearing || !(blank(i) && blank(i - 1))).join('\n');
}

/** Lines without trailing blanks, and no empty lines at the end. */
function normalise(text) {
  return text.split('\n').map((line) => line.trimEnd()).join('\n').replace(/\n+$/, '');
}

module.exports = {consoleProgram, consoleScreen, normalise, scrolledBack};
