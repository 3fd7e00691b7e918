#!/usr/bin/env node
// How soon a first visit on a slow phone can play: loads the page in a fresh chromium
// context (nothing cached, no service worker yet) through web/server/server.js over a slow network
// (400 ms round trip, 400 kbit/s each way) with the processor slowed fourfold, both through
// the DevTools protocol, types `stats` as soon as the banner shows, and times from the
// navigation's start the banner (the first text) and the answer (the first answered word).
// Prints the medians of a few visits to the site as built, whose files have brotli and gzip
// copies beside them, and to the same site without those copies (the server gzips then), and
// whether the first word was answered within kAnswerWanted. It fails only well past that,
// beyond kAnswerCeiling: on a 2-core machine shared with other work, the medians of visits to
// one build spread by half a second, while a page that loses its preload or its bundle takes
// 3.7 s or more.
//
//   node web/test/first_visit_bench.js [VISITS]     (default 3; the site: build-web/site, or
//                                                    QUELLMOOR_WEB_SITE)

'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const {launchChromium, kPhone} = require('./chromium.js');
const {serve} = require('../server/server.js');

const site = process.env.QUELLMOOR_WEB_SITE || path.join(__dirname, '..', '..', 'build-web', 'site');
const kVisits = Number(process.argv[2] || 3);
const kSlowNetwork = {offline: false, latency: 400, downloadThroughput: 400000 / 8, uploadThroughput: 400000 / 8};
const kSlowdown = 4;
const kAnswerWanted = 3000;  // milliseconds from the navigation's start
const kAnswerCeiling = 3500;

/**
 * In the page, before its scripts: notes when the banner shows, then types `stats` and notes
 * when its answer shows.
 */
function typeAtTheBanner() {
  const times = {banner: null, answered: null};
  window.firstVisit = times;
  new MutationObserver(() => {
    const text = window.quellmoor?.text() ?? '';
    if (times.banner === null && text.includes('Welcome')) {
      times.banner = performance.now();
      document.getElementById('command').value = 'stats';
      document.getElementById('prompt').requestSubmit();
    } else if (times.answered === null && text.includes('Health: 100/100')) {
      times.answered = performance.now();
    }
  }).observe(document, {childList: true, subtree: true, characterData: true});
}

/** One first visit to `url`: {banner, answered} in milliseconds from the navigation's start. */
async function visit(browser, url) {
  const context = await browser.newContext(kPhone);
  try {
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', kSlowNetwork);
    await cdp.send('Emulation.setCPUThrottlingRate', {rate: kSlowdown});
    await page.addInitScript(typeAtTheBanner);
    await page.goto(url);
    const answered = await page.waitForFunction(() => window.firstVisit.answered !== null && window.firstVisit,
                                                null, {timeout: 60000});
    return await answered.jsonValue();
  } finally {
    await context.close();
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

/** Visits the site in `folder` `kVisits` times; prints and resolves to the median times. */
async function timeVisits(browser, folder, name) {
  const server = await serve(folder, 0);
  try {
    const url = `http://127.0.0.1:${server.address().port}/`;
    const visits = [];
    for (let i = 0; i < kVisits; i++) visits.push(await visit(browser, url));
    const banner = median(visits.map((times) => times.banner));
    const answered = median(visits.map((times) => times.answered));
    console.log(`first visit, ${name}: banner at ${Math.round(banner)} ms, first word answered at ` +
                `${Math.round(answered)} ms (medians of ${kVisits}; each answered at ` +
                `${visits.map((times) => Math.round(times.answered)).join(', ')} ms)`);
    return {banner, answered};
  } finally {
    server.close();
  }
}

async function main() {
  if (!(kVisits >= 1)) throw new Error(`make at least one visit, not ${process.argv[2]}`);
  // The same site without its compressed copies, which the server then gzips as it sends.
  const plain = fs.mkdtempSync(path.join(os.tmpdir(), 'quellmoor-site-'));
  for (const name of fs.readdirSync(site).filter((name) => !/\.(br|gz)$/.test(name))) {
    fs.copyFileSync(path.join(site, name), path.join(plain, name));
  }
  const browser = await launchChromium();
  try {
    console.log(`A slow phone: ${kSlowNetwork.latency} ms round trip, ` +
                `${kSlowNetwork.downloadThroughput * 8 / 1000} kbit/s, processor slowed ${kSlowdown}x`);
    const built = await timeVisits(browser, site, 'brotli and gzip copies beside the files');
    await timeVisits(browser, plain, 'no copies (gzipped as sent)');
    console.log(`first word answered within ${kAnswerWanted} ms: ${built.answered <= kAnswerWanted ? 'yes' : 'no'}`);
    if (built.answered > kAnswerCeiling) {
      throw new Error(`the first word was answered after ${Math.round(built.answered)} ms, beyond ${kAnswerCeiling}`);
    }
  } finally {
    await browser.close();
    fs.rmSync(plain, {recursive: true, force: true});
  }
}

main().catch((error) => {
  console.error(error);
  process.exitCode = 2;
});
