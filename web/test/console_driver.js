// Plays the console program the way a person at a terminal does, for the web build to be
// compared with: each line of input is written only once the program is blocked reading
// its (empty) standard input, and how much it had written by then is noted.
//
// Linux only: whether the program is blocked reading standard input is read from
// /proc/PID/syscall, and how many reads it has finished from /proc/PID/io. The read call
// is known by its name: its number differs between machines (0 on x86-64, 63 on arm64),
// so the C headers of this machine are asked for SYS_read.

'use strict';

const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const {splitLines} = require('./game_driver.js');

const kTimeoutMs = 20000;

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

/** Finished read calls of the process, or null once it is gone. */
function readCalls(pid) {
  try {
    const io = fs.readFileSync(`/proc/${pid}/io`, 'latin1');
    return Number(/^syscr: (\d+)$/m.exec(io)[1]);
  } catch {
    return null;
  }
}

/** The number of the system call named `name` on this machine, from its C headers. */
function systemCallNumber(name) {
  const header = `#include <sys/syscall.h>\nSYS_${name}\n`;
  const expanded = childProcess.execFileSync('cpp', ['-P', '-'], {input: header, encoding: 'latin1'});
  const number = expanded.trim().split('\n').pop();
  if (!/^\d+$/.test(number)) throw new Error(`no system call named ${name}: ${number}`);
  return number;
}

const kReadStandardInput = `${systemCallNumber('read')} 0x0 `;  // read(0, ...)

/** True while the process sits in read(0, ...). */
function readingStandardInput(pid) {
  try {
    return fs.readFileSync(`/proc/${pid}/syscall`, 'latin1').startsWith(kReadStandardInput);
  } catch {
    return false;
  }
}

/**
 * Runs `program` with `input` typed a line at a time. Resolves to {output, waits, status}:
 * everything it wrote, how much of that was written at each wait for input, its exit status.
 */
async function playConsoleByLines(program, input) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quellmoor-console-'));
  const outputPath = path.join(dir, 'output');
  const outputFd = fs.openSync(outputPath, 'w');
  const child = childProcess.spawn(program, [], {stdio: ['pipe', outputFd, 'inherit']});
  fs.closeSync(outputFd);
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  let gone = false;
  exited.then(() => {
    gone = true;
  });

  const lines = splitLines(input);
  const waits = [];
  let readsBefore = -1;  // the first wait is the first read of standard input at all
  try {
    for (;;) {
      const deadline = Date.now() + kTimeoutMs;
      // Blocked in a read that began after the last line was taken, or gone.
      for (;;) {
        const reads = readCalls(child.pid);
        if (gone || reads === null) break;
        if (reads > readsBefore && readingStandardInput(child.pid)) {
          readsBefore = reads;
          break;
        }
        if (Date.now() > deadline) throw new Error(`${program} neither waits for input nor ends`);
        await sleep(1);
      }
      if (gone || readCalls(child.pid) === null) break;
      waits.push(fs.statSync(outputPath).size);
      const line = lines.shift();
      if (line === undefined) {
        break;  // what it reads after the end of input returns at once: no more waits
      }
      child.stdin.write(line);
    }
    child.stdin.end();
    const status = await exited;
    return {output: fs.readFileSync(outputPath), waits, status};
  } finally {
    child.kill();
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

module.exports = {playConsoleByLines};
