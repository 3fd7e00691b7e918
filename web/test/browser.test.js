// The page in a real browser (Debian's chromium, driven by Playwright): the player types
// words in the terminal, and the screen must show what a console window shows, including
// the echo of what was typed; the end of a game offers a new one, which starts afresh.
// Saves screenshots and the page's size and load time under build-web/.

'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const {once} = require('node:events');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const {after, before, describe, test} = require('node:test');
const {chromium} = require('playwright-core');

const {serve} = require('../server.js');
const {playConsoleByLines} = require('./console_driver.js');

const root = path.join(__dirname, '..', '..');
const site = process.env.QUELLMOOR_WEB_SITE || path.join(root, 'build-web', 'site');
const artefacts = path.join(root, 'build-web');
const consoleProgram = process.env.QUELLMOOR_CONSOLE;
const kEndOffer = '[The game is over. Press Enter to play again.]';

/**
 * The console window's text once `lines` are typed into it, each echoed where it was typed:
 * the console program's output up to its wait for the next line (or to its end, if the
 * lines end the game).
 */
async function consoleScreen(lines) {
  const input = Buffer.from(lines.map((line) => line + '\n').join(''));
  const run = await playConsoleByLines(consoleProgram, input);
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

/** The status the server at `port` answers `target` with, sent exactly as it is. */
function statusOf(port, target) {
  return new Promise((resolve, reject) => {
    const request = http.get({host: '127.0.0.1', port, path: target, agent: false}, (response) => {
      response.resume();
      resolve(response.statusCode);
    });
    request.on('error', reject);
    request.setTimeout(5000, () => request.destroy(new Error(`no answer to ${target.slice(0, 20)}`)));
  });
}

test('the server answers every request, a malformed one with a 4xx, and goes on serving', async () => {
  // In a process of its own, as web/serve.sh runs it: what would kill it must not.
  const server = childProcess.spawn(process.execPath, [path.join(__dirname, '..', 'server.js'), '0', site],
                                    {stdio: ['ignore', 'pipe', 'inherit']});
  try {
    const [banner] = await once(server.stdout, 'data');
    const port = Number(/:(\d+)\//.exec(banner.toString())[1]);
    const answers = [['//', 200], ['/%00', 400], ['/%zz', 400], ['/' + 'x'.repeat(9000), 414],
                     ['/../etc/passwd', 403], ['/nothing', 404], ['/index.html', 200]];
    for (const [target, status] of answers) {
      assert.equal(await statusOf(port, target), status, target.slice(0, 20));
    }
  } finally {
    server.kill();
  }
});

/** Lines without trailing blanks, and no empty lines at the end. */
function normalise(text) {
  return text.split('\n').map((line) => line.trimEnd()).join('\n').replace(/\n+$/, '');
}

describe('the page in chromium', {skip: consoleProgram ? false : 'set QUELLMOOR_CONSOLE'}, () => {
  let server;
  let browser;
  let page;
  let url;

  before(async () => {
    server = await serve(site, 0);
    url = `http://127.0.0.1:${server.address().port}/`;
    browser = await chromium.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--disable-quic'],
    });
    page = await browser.newPage({viewport: {width: 820, height: 560}});
    page.on('pageerror', (error) => console.log(`page error: ${error}`));
  });

  after(async () => {
    if (browser) await browser.close();
    if (server) server.close();
  });

  /** Waits until the terminal's text is `expected`, then fails with the difference. */
  async function expectText(expected, what) {
    const want = normalise(expected);
    try {
      await page.waitForFunction((want) => {
        const text = window.quellmoor.text().split('\n').map((line) => line.trimEnd());
        return text.join('\n').replace(/\n+$/, '') === want;
      }, want, {timeout: 10000, polling: 50});
    } catch {
      // Not there in time: show how it differs.
      assert.equal(normalise(await page.evaluate(() => window.quellmoor.text())), want, what);
    }
  }

  async function typeLine(keys) {
    for (const key of keys) {
      if (key === 'Backspace') {
        await page.keyboard.press('Backspace');
      } else {
        await page.keyboard.type(key);
      }
    }
    await page.keyboard.press('Enter');
  }

  /** Loads the page (or reloads it); resolves to the milliseconds until the banner shows. */
  async function load(how) {
    const start = Date.now();
    await how();
    await page.waitForFunction(() => window.quellmoor && window.quellmoor.text().includes('Welcome Quellmoor v1.0'),
                                null, {polling: 5});
    return Date.now() - start;
  }

  test('loads, shows the banner in an 80-column terminal, and fits a small budget', async () => {
    const firstLoad = await load(() => page.goto(url));
    const reload = await load(() => page.reload());
    const timing = await page.evaluate(() => ({
      firstOutputAt: window.quellmoor.firstOutputAt,
      loadEventEnd: performance.getEntriesByType('navigation')[0].loadEventEnd,
      cols: window.quellmoor.terminal.cols,
      rows: window.quellmoor.terminal.rows,
    }));
    assert.equal(timing.cols, 80);
    assert.ok(timing.rows >= 25, `only ${timing.rows} rows`);

    const files = fs.readdirSync(site).sort().map((name) => {
      const bytes = fs.readFileSync(path.join(site, name));
      return {name, bytes: bytes.length, gzipped: zlib.gzipSync(bytes, {level: 9}).length};
    });
    const total = files.reduce((sum, file) => sum + file.gzipped, 0);
    const metrics = {files, totalGzipped: total, bannerShownMs: {firstLoad, reload}, afterReload: timing};
    fs.writeFileSync(path.join(artefacts, 'web-metrics.json'), JSON.stringify(metrics, null, 2) + '\n');
    console.log(`page: ${files.length} files, ${total} bytes gzipped; banner shown ${firstLoad} ms ` +
                `after navigating in a fresh browser, ${reload} ms after a reload (then: load event ` +
                `at ${Math.round(timing.loadEventEnd)} ms, first output at ` +
                `${Math.round(timing.firstOutputAt)} ms after navigation start)`);
    // An unoptimised build, or a source map shipped by mistake, is several times this.
    assert.ok(total < 400 * 1024, `the page is ${total} bytes gzipped`);
  });

  test('typed words are echoed and answered as on the console; the screen scrolls', async () => {
    await page.click('#terminal');
    const typed = ['stats', 'w', 'attack'];
    const expected = await consoleScreen(typed);

    await typeLine(['stats']);
    // Documented answers: the stats display at the start, the map of the first region, the
    // first blow with fists.
    await page.waitForFunction(() => window.quellmoor.text().includes('Health: 100/100'));
    const screen = await page.evaluate(() => window.quellmoor.screen());
    assert.match(screen, /Weapon: Fists 4 damage/);
    assert.doesNotMatch(screen, /Welcome/, 'the run of line breaks scrolls the banner out of view');

    await typeLine(['w']);
    await page.waitForFunction(() => window.quellmoor.text().includes('=*'));
    await page.screenshot({path: path.join(artefacts, 'web-map.png')});
    // A slip corrected with Backspace: the game gets the word as finally typed.
    await typeLine(['atx', 'Backspace', 'tack']);
    await page.waitForFunction(() => window.quellmoor.text().includes('You have just delt 4 points of damage'));
    await expectText(expected, 'the screen after stats, w, attack');
    await page.screenshot({path: path.join(artefacts, 'web.png')});
  });

  test('a game played to quit offers a new one, which starts afresh', async () => {
    await load(() => page.reload());
    await page.click('#terminal');
    const typed = ['w', 'attack', 'stats', 'quit', 'quit'];
    const expected = await consoleScreen(typed);
    for (const word of typed) await typeLine([word]);
    await expectText(expected + '\n\n' + kEndOffer, 'the screen at the end of the game');
    assert.equal(await page.evaluate(() => window.quellmoor.playing), false);
    await page.screenshot({path: path.join(artefacts, 'web-game-over.png')});

    // Words typed now are not played; Enter starts a new game on a clean screen.
    await page.keyboard.type('attack');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.quellmoor.gamesPlayed === 2 && window.quellmoor.playing);
    await typeLine(['stats']);
    await expectText(await consoleScreen(['stats']), 'the screen of the new game');
  });
});
