#!/usr/bin/env node
// How long the page takes to show an answer, early in a game and late in a long one: plays
// 1,000 commands in chromium (through Playwright) on a desktop and on a phone (390 by 844,
// touch, its processor slowed fourfold through the DevTools protocol), and times each
// command around the 10th and the 1,000th from the Enter key going down to the answer
// painted on the screen. Prints the medians and their ratio for each; fails (exit status
// 1) when a late median is more than twice the early one. Absolute times depend on the
// machine and how busy it is, so they are printed, never judged; but one: on the phone, a
// game of 10,000 words kept by the page is resumed on a reload, and that must take under a
// second (it is the time a player waits for the game they left). It is timed three times,
// and the best is judged: what the machine's other work adds only slows the others.
//
//   node web/test/repaint_bench.js [COMMANDS]     (default 1000; the site: build-web/site,
//                                                  or QUELLMOOR_WEB_SITE)
//
// Frames are drawn as soon as they are ready, not at the display's 60 Hz: a time then
// measures the work of showing the answer, not where in a frame the key went down.

'use strict';

const fs = require('node:fs');
const path = require('node:path');

const {launchChromium, kPhone} = require('./chromium.js');
const {loadGame, playByLines} = require('./game_driver.js');
const {serve} = require('../server/server.js');

const site = process.env.QUELLMOOR_WEB_SITE || path.join(__dirname, '..', '..', 'build-web', 'site');
const kCommands = Number(process.argv[2] || 1000);
const kSamples = 10;       // commands timed at each end
const kLargestRatio = 2;   // late median over early median
const kPhoneSlowdown = 4;  // CPU throttling of the phone profile
const kResumedWords = 10000;
const kLongestResumeMs = 1000;
const kResumes = 3;

// Ten words played over and over from room 1: moves and maps, descriptions, the stats.
// Both ends time the same ten words.
const kRound = ['n', 'look', 'stats', 's', 'map', 'look', 'e', 'look', 'w', 'stats'];

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

/**
 * In the page: notes when Enter goes down, and when the screen has been painted after the
 * last change to the game's text since then.
 */
function installStopwatch() {
  const watch = {enterAt: null, paintedAt: null, changes: 0};
  window.repaintStopwatch = watch;
  addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    watch.enterAt = performance.now();
    watch.paintedAt = null;
  }, true);
  new MutationObserver(() => {
    const change = ++watch.changes;
    // A task queued from an animation frame runs once that frame has been painted.
    requestAnimationFrame(() => setTimeout(() => {
      if (change === watch.changes) watch.paintedAt = performance.now();
    }));
  }).observe(document.getElementById('output'), {childList: true, subtree: true, characterData: true});
}

/** Plays `words` from within the page, each once the one before is on the screen. */
function playQuickly(words) {
  const field = document.getElementById('command');
  const form = document.getElementById('prompt');
  const frame = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
  return words.reduce((before, word) => before.then(() => {
    field.value = word;
    form.requestSubmit();
    return frame();
  }), Promise.resolve());
}

/** Types `word` and presses Enter; resolves to the milliseconds until the answer is painted. */
async function timeCommand(page, word) {
  await page.fill('#command', word);
  await page.keyboard.press('Enter');
  const handle = await page.waitForFunction(() => {
    const watch = window.repaintStopwatch;
    return watch.paintedAt !== null && watch.paintedAt - watch.enterAt;
  }, null, {polling: 'raf', timeout: 60000});
  return handle.jsonValue();
}

/** Plays `count` commands on `page`; resolves to the early and late medians. */
async function playLongGame(page, url, count) {
  await page.goto(url);
  await page.waitForFunction(() => window.quellmoor && window.quellmoor.text().includes('Welcome'));
  await page.evaluate(installStopwatch);
  const early = [];
  const late = [];
  const firstTimed = 10 - kSamples / 2;  // commands 5 to 14, and the last ten
  for (let played = 0; played < count;) {
    const word = kRound[played % kRound.length];
    if (played >= firstTimed && played < firstTimed + kSamples) {
      early.push(await timeCommand(page, word));
      played++;
    } else if (played >= count - kSamples) {
      late.push(await timeCommand(page, word));
      played++;
    } else {
      const until = played < firstTimed ? firstTimed : count - kSamples;
      const words = [];
      for (; played < until; played++) words.push(kRound[played % kRound.length]);
      await page.evaluate(playQuickly, words);
    }
  }
  const lines = await page.evaluate(() => window.quellmoor.text().split('\n').length);
  return {early: median(early), late: median(late), lines};
}

/**
 * What the page keeps of a game of `words` typed one at a time (session.js): the words, the
 * length and hash of the text it shows and the build, worked out here by the page's own code from the
 * web build played under node.
 */
async function keptGame(words) {
  // session.js is a module of the page's: imported as one, whatever this package's type.
  const source = fs.readFileSync(path.join(__dirname, '..', 'page', 'session.js'), 'utf8');
  const {Session} = await import(`data:text/javascript,${encodeURIComponent(source)}`);
  const {output, waits} = await playByLines(await loadGame(), Buffer.from(words.map((word) => word + '\n').join('')));
  const session = new Session();
  words.forEach((word, i) => {
    session.add(output.subarray(waits[i - 1] ?? 0, waits[i]).toString('latin1'));
    session.read(word);
  });
  session.add(output.subarray(waits[words.length - 1], waits[words.length]).toString('latin1'));
  // Kept by this build (game.js), so that its replay is checked, as a reload's is.
  const build = /wasmSha256 = '(\w{16})/.exec(fs.readFileSync(path.join(site, 'quellmoor.js'), 'utf8'))[1];
  return {...session.record, build, savedAt: Date.now()};
}

/**
 * Plants `record` as the kept game of a page on `url`, and reloads it `kResumes` times;
 * resolves to the milliseconds each replay took.
 */
async function timeResumes(page, url, record) {
  await page.goto(url);
  await page.waitForFunction(() => window.quellmoor?.stage === 'waiting');
  await page.evaluate((record) => localStorage.setItem(window.quellmoor.keptAs, record), JSON.stringify(record));
  const times = [];
  for (let i = 0; i < kResumes; i++) {
    await page.reload();
    await page.waitForFunction(() => window.quellmoor?.resumedInMs !== null || window.quellmoor?.stage === 'over',
                               null, {timeout: 60000});
    const notice = await page.textContent('#notice');
    if (!notice.includes('resumed')) throw new Error(`the kept game was not resumed: ${notice}`);
    times.push(await page.evaluate(() => window.quellmoor.resumedInMs));
  }
  return times;
}

async function main() {
  if (!(kCommands >= 3 * kSamples)) {
    throw new Error(`play at least ${3 * kSamples} commands, not ${process.argv[2]}`);
  }
  const server = await serve(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await launchChromium(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
  let failed = false;
  try {
    const profiles = [
      {name: 'desktop', options: {viewport: {width: 820, height: 560}}, slowdown: 1},
      {name: 'phone', options: kPhone, slowdown: kPhoneSlowdown},
    ];
    for (const profile of profiles) {
      const started = Date.now();
      const context = await browser.newContext(profile.options);
      const page = await context.newPage();
      const cdp = await context.newCDPSession(page);
      await cdp.send('Emulation.setCPUThrottlingRate', {rate: profile.slowdown});
      const {early, late, lines} = await playLongGame(page, url, kCommands);
      await context.close();
      const ratio = late / early;
      const verdict = ratio <= kLargestRatio ? 'ok' : `more than ${kLargestRatio} times: FAILED`;
      const name = profile.slowdown > 1 ? `${profile.name}, CPU slowed ${profile.slowdown}x` : profile.name;
      console.log(`${name}: Enter to the painted answer, ` +
                  `medians of ${kSamples}: ${early.toFixed(1)} ms around command 10, ` +
                  `${late.toFixed(1)} ms at command ${kCommands} (${lines} lines on the screen); ` +
                  `ratio ${ratio.toFixed(2)}, ${verdict} (${Math.round((Date.now() - started) / 1000)} s)`);
      failed ||= ratio > kLargestRatio;
    }
    const words = Array.from({length: kResumedWords}, (_, i) => kRound[i % kRound.length]);
    const record = await keptGame(words);
    const context = await browser.newContext(kPhone);
    const page = await context.newPage();
    await (await context.newCDPSession(page)).send('Emulation.setCPUThrottlingRate', {rate: kPhoneSlowdown});
    const times = await timeResumes(page, url, record);
    await context.close();
    const best = Math.min(...times);
    const verdict = best < kLongestResumeMs ? 'ok' : `over ${kLongestResumeMs} ms: FAILED`;
    console.log(`phone, CPU slowed ${kPhoneSlowdown}x: a kept game of ${kResumedWords} words resumed in ` +
                `${best.toFixed(0)} ms at best (${times.map((time) => time.toFixed(0)).join(', ')}), ${verdict}`);
    failed ||= best >= kLongestResumeMs;
  } finally {
    await browser.close();
    server.close();
  }
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 2;
});
