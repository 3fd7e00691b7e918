// The page in a real browser (Debian's chromium, driven by Playwright): the player types
// words, and the screen must show what a console window shows, including the echo of what
// was typed; the end of a game offers a new one, which starts afresh. On a desktop: history,
// completion, the live region and axe-core's checks; on a phone: the layout, the buttons,
// and play with no network after one visit. Saves screenshots and the page's size and load
// time under build-web/.

'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
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
const kPhone = {viewport: {width: 390, height: 844}, isMobile: true, hasTouch: true, deviceScaleFactor: 2};

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

/** The console program's answer to the last of `lines`, as it is announced: no runs of blank lines. */
async function consoleAnswer(lines) {
  const input = Buffer.from(lines.map((line) => line + '\n').join(''));
  const run = await playConsoleByLines(consoleProgram, input);
  const answer = run.output.subarray(run.waits[lines.length - 1], run.waits[lines.length]);
  return answer.toString('latin1').replace(/\n{3,}/g, '\n\n').trim();
}

/** Lines without trailing blanks, and no empty lines at the end. */
function normalise(text) {
  return text.split('\n').map((line) => line.trimEnd()).join('\n').replace(/\n+$/, '');
}

describe('the page in chromium', {skip: consoleProgram ? false : 'set QUELLMOOR_CONSOLE'}, () => {
  let server;
  let browser;
  let page;   // a desktop window
  let phone;  // a phone, once it has visited
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

  /** Waits until the screen's text is `expected`, then fails with the difference. */
  async function expectText(expected, what, on = page) {
    const want = normalise(expected);
    try {
      await on.waitForFunction((want) => {
        const text = window.quellmoor.text().split('\n').map((line) => line.trimEnd());
        return text.join('\n').replace(/\n+$/, '') === want;
      }, want, {timeout: 10000, polling: 50});
    } catch {
      // Not there in time: show how it differs.
      assert.equal(normalise(await on.evaluate(() => window.quellmoor.text())), want, what);
    }
  }

  /**
   * Where the screen shows each of `lines` (their last showing): inside the screen and
   * the window, or not, and at what size.
   */
  function placesOf(on, lines) {
    return on.evaluate((lines) => {
      const screen = document.getElementById('screen').getBoundingClientRect();
      const output = document.getElementById('output');
      return lines.map((line) => {
        let node = null;
        const walker = document.createTreeWalker(output, NodeFilter.SHOW_TEXT);
        while (walker.nextNode()) if (walker.currentNode.data.includes(line)) node = walker.currentNode;
        const range = document.createRange();
        const at = node.data.lastIndexOf(line);
        range.setStart(node, at);
        range.setEnd(node, at + line.length);
        const box = range.getBoundingClientRect();
        const inside = (outer) => box.left >= outer.left && box.right <= outer.right &&
                                  box.top >= outer.top && box.bottom <= outer.bottom;
        return {line, inScreen: inside(screen),
                inWindow: inside({left: 0, top: 0, right: innerWidth, bottom: innerHeight}),
                fontSize: parseFloat(getComputedStyle(node.parentElement).fontSize)};
      });
    }, lines);
  }

  async function typeLine(keys) {
    for (const key of keys) {
      if (['Backspace', 'Tab', 'ArrowUp'].includes(key)) {
        await page.keyboard.press(key);
      } else {
        await page.keyboard.type(key);
      }
    }
    await page.keyboard.press('Enter');
  }

  /** Loads the page (or reloads it); resolves to the milliseconds until the banner shows. */
  async function load(how, on = page) {
    const start = Date.now();
    await how();
    await on.waitForFunction(() => window.quellmoor && window.quellmoor.text().includes('Welcome Quellmoor v1.0'),
                             null, {polling: 5});
    return Date.now() - start;
  }

  test('loads, shows the banner in an 80-column, 25-row console, and fits the budget', async () => {
    const firstLoad = await load(() => page.goto(url));
    const reload = await load(() => page.reload());
    const timing = await page.evaluate(() => ({
      firstOutputAt: window.quellmoor.firstOutputAt,
      loadEventEnd: performance.getEntriesByType('navigation')[0].loadEventEnd,
      size: window.quellmoor.size(),
    }));
    assert.deepEqual(timing.size, {cols: 80, rows: 25});

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
    assert.ok(total <= 200 * 1024, `the page is ${total} bytes gzipped`);
  });

  test('typed words are echoed and answered as on the console; the screen scrolls', async () => {
    await page.click('#screen');
    const typed = ['stats', 'w', 'attack'];
    const expected = await consoleScreen(typed);

    await typeLine(['stats']);
    // Documented answers: the stats display at the start, the map of the first region, the
    // first blow with fists.
    await page.waitForFunction(() => window.quellmoor.text().includes('Health: 100/100'));
    const [banner, weapon] = await placesOf(page, ['Welcome', 'Weapon: Fists 4 damage']);
    assert.ok(weapon.inScreen && !banner.inScreen, 'the run of line breaks scrolls the banner out of view');

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
    await page.click('#screen');
    const typed = ['w', 'attack', 'stats', 'quit', 'quit'];
    const expected = await consoleScreen(typed) + '\n\n' + kEndOffer;
    for (const word of typed) await typeLine([word]);
    await expectText(expected, 'the screen at the end of the game');
    assert.equal(await page.evaluate(() => window.quellmoor.playing), false);
    await page.screenshot({path: path.join(artefacts, 'web-game-over.png')});
    const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    assert.equal(fs.readFileSync(await saved.path(), 'latin1'), expected, 'the saved transcript');
    await page.focus('#command');

    // Words typed now are not played; Enter starts a new game on a clean screen.
    await page.keyboard.type('attack');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.quellmoor.gamesPlayed === 2 && window.quellmoor.playing);
    await typeLine(['stats']);
    await expectText(await consoleScreen(['stats']), 'the screen of the new game');
  });

  test('Tab completes, Up recalls, the live region holds the answer, axe finds nothing serious', async () => {
    await load(() => page.reload());
    await page.focus('#command');
    await typeLine(['look']);
    const announced = await consoleAnswer(['look']);
    // The answer goes to the live region as it goes to the screen.
    await page.waitForFunction((last) => window.quellmoor.text().includes(last), announced.split('\n').at(-1));
    assert.equal(await page.textContent('#answer'), announced, 'the live region after look');
    // The hidden gold word is never offered.
    await page.keyboard.type('plumb');
    await page.keyboard.press('Tab');
    assert.equal(await page.inputValue('#command'), 'plumb');
    await page.fill('#command', '');
    await typeLine(['w']);
    await typeLine(['att', 'Tab']);
    await typeLine(['ArrowUp']);
    await expectText(await consoleScreen(['look', 'w', 'attack', 'attack']), 'completed, then recalled');
    assert.equal(await page.textContent('#answer'), await consoleAnswer(['look', 'w', 'attack', 'attack']),
                 'the live region after the second blow');

    await page.addScriptTag({path: require.resolve('axe-core/axe.min.js')});
    const violations = await page.evaluate(async () => (await window.axe.run()).violations);
    const serious = violations.filter((found) => ['serious', 'critical'].includes(found.impact));
    assert.deepEqual(serious.map((found) => `${found.id}: ${found.help}`), []);
  });

  test('on a phone: no sideways scrolling, readable text, a north button', async () => {
    const context = await browser.newContext(kPhone);
    phone = await context.newPage();
    await load(() => phone.goto(url), phone);
    await phone.tap('#command');
    await phone.keyboard.type('look');
    await phone.keyboard.press('Enter');
    const look = (await consoleAnswer(['look'])).split('\n');
    await phone.waitForFunction((last) => window.quellmoor.text().includes(last), look.at(-1));
    // A phone zooms out to show a page wider than itself: then the window is wider too.
    const widths = await phone.evaluate(() => [document.documentElement.scrollWidth, innerWidth]);
    assert.deepEqual(widths, [kPhone.viewport.width, kPhone.viewport.width], 'the page scrolls sideways');
    for (const place of await placesOf(phone, look)) {
      assert.ok(place.inScreen && place.inWindow && place.fontSize >= 12, JSON.stringify(place));
    }
    await phone.screenshot({path: path.join(artefacts, 'web-phone.png')});
    await phone.tap('#words >> text="n"');
    await expectText(await consoleScreen(['look', 'n']), 'the screen after the north button', phone);
    await phone.screenshot({path: path.join(artefacts, 'web-phone-map.png')});
  });

  test('after one visit, the page loads and plays with no network, and can be installed', async () => {
    // The worker controls the page once it has kept every file.
    await phone.waitForFunction(() => navigator.serviceWorker.controller);
    const cdp = await phone.context().newCDPSession(phone);
    const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
    // A test's browser context is a private window, where nothing is installed.
    assert.deepEqual(installabilityErrors.filter((error) => error.errorId !== 'in-incognito'), []);
    await phone.context().setOffline(true);
    await load(() => phone.reload(), phone);
    await phone.tap('#words >> text="stats"');
    await phone.waitForFunction(() => window.quellmoor.text().includes('Health: 100/100'));
    await phone.context().close();
  });

  test('a new build replaces the kept one', async () => {
    // A copy of the site, served on its own, then changed as a new build changes it.
    const copy = fs.mkdtempSync(path.join(artefacts, 'site-'));
    fs.cpSync(site, copy, {recursive: true});
    const copyServer = await serve(copy, 0);
    const context = await browser.newContext();
    try {
      const visitor = await context.newPage();
      await load(() => visitor.goto(`http://127.0.0.1:${copyServer.address().port}/`), visitor);
      await visitor.waitForFunction(() => navigator.serviceWorker.controller);
      const kept = await visitor.evaluate(() => caches.keys());
      const edit = (name, from, to) => {
        const file = path.join(copy, name);
        fs.writeFileSync(file, fs.readFileSync(file, 'utf8').replace(from, to));
      };
      edit('index.html', '<title>Quellmoor</title>', '<title>Quellmoor, rebuilt</title>');
      edit('sw.js', kept[0], kept[0] + '-rebuilt');
      // The page loads as it was kept, and fetches the new worker, which takes the new files.
      await load(() => visitor.reload(), visitor);
      for (const deadline = Date.now() + 10000; ;) {
        const names = await visitor.evaluate(() => caches.keys());
        if (names.length === 1 && names[0] !== kept[0]) break;
        assert.ok(Date.now() < deadline, `still kept: ${names}`);
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
      await load(() => visitor.reload(), visitor);
      assert.equal(await visitor.title(), 'Quellmoor, rebuilt');
    } finally {
      await context.close();
      copyServer.close();
      fs.rmSync(copy, {recursive: true, force: true});
    }
  });
});
