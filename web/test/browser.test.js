// The page in a real browser (Debian's chromium, driven by Playwright): the player types
// words, and the screen must show what a console window shows, including the echo of what
// was typed; the end of a game offers a new one, which starts afresh. On a desktop: history,
// completion, what a screen reader hears, the buttons that follow the game, and axe-core's
// checks; on a phone: the layout, the buttons and menus by touch, and play with no network
// after one visit; a failed load and a new build. Saves screenshots and the page's size and
// load time under build-web/.

'use strict';

const assert = require('node:assert/strict');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');
const {after, before, describe, test} = require('node:test');

const {serve} = require('../server/server.js');
const {writeWorker} = require('../tools/precache.js');
const {kPhone, launchChromium} = require('./chromium.js');
const {currentSite} = require('../tools/source_stamp.js');
const {consoleProgram, consoleScreen, normalise, scrolledBack} = require('./console_screen.js');
const {playConsoleByLines} = require('./console_driver.js');

const root = path.join(__dirname, '..', '..');
const site = currentSite();
const artefacts = path.join(root, 'build-web');
const kPlainHost = 'quellmoor.test';
const kEndOffer = '[The game is over. Press Enter or New game to play again.]';

/** The console program's answer to the last of `lines`, as it is announced: its lines but the blank ones. */
async function consoleAnswer(lines) {
  const input = Buffer.from(lines.map((line) => line + '\n').join(''));
  const run = await playConsoleByLines(consoleProgram(), input);
  const answer = run.output.subarray(run.waits[lines.length - 1], run.waits[lines.length]);
  return answer.toString('latin1').split('\n').filter((line) => line.trim() !== '');
}

/** What a screen reader hears from the live region: its lines, as the accessibility tree has them. */
async function heard(on) {
  const tree = await on.locator('#answer').ariaSnapshot();
  // "- log:", then "  - paragraph: TEXT" for each line, TEXT in double quotes where YAML wants them.
  return tree.split('\n').slice(1).map((line) => {
    const text = /^ {2}- paragraph: (.*)$/.exec(line)?.[1] ?? line;
    return text.startsWith('"') ? JSON.parse(text) : text;
  });
}

/** Fails with what axe-core finds serious or critical on the page as it is. */
async function assertAccessible(on) {
  // Run as the browser's tools run a script, not as a script of the page, which its policy refuses.
  await on.evaluate(fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8'));
  const violations = await on.evaluate(async () => (await window.axe.run()).violations);
  const serious = violations.filter((found) => ['serious', 'critical'].includes(found.impact));
  assert.deepEqual(serious.map((found) => `${found.id}: ${found.help}`), []);
}

// Every violation of the page's Content-Security-Policy on any page of these tests (the
// browser's own report of it): the page must play whole under its policy.
const violations = [];

/**
 * Holds `on`'s requests for `files` (a route pattern) until the function it resolves to is
 * called: a slow line, let through when the test says.
 */
async function holdRequests(on, files) {
  let letThrough;
  const released = new Promise((resolve) => letThrough = resolve);
  await on.route(files, async (route) => {
    await released;
    await route.continue();
  });
  return letThrough;
}

/** `browser`, whose every context (a page's own too) reports what violates a page's policy into `violations`. */
function watchingPolicy(browser) {
  const watch = (context) => {
    context.on('console', (message) => {
      if (message.text().startsWith('policy violation:')) violations.push(`${message.text()} (${context.pages()[0]?.url()})`);
    });
    return context.addInitScript(() => addEventListener('securitypolicyviolation', (event) => {
      console.error(`policy violation: ${event.effectiveDirective} ${event.blockedURI} ${event.sourceFile}:${event.lineNumber}`);
    }));
  };
  // Playwright's newPage makes its page's context with newContext.
  const newContext = browser.newContext.bind(browser);
  return Object.assign(browser, {
    async newContext(options) {
      const context = await newContext(options);
      await watch(context);
      return context;
    },
  });
}

/** Fails with the violations of the page's policy met so far. */
function assertPolicyHeld() {
  assert.deepEqual(violations, [], 'violations of the page\'s Content-Security-Policy');
}

describe('the page in chromium', () => {
  let server;
  let browser;
  let page;   // a desktop window
  let phone;  // a phone, once it has visited
  let url;

  before(async () => {
    consoleProgram();  // the reference, before anything is played
    server = await serve(site, 0);
    url = `http://127.0.0.1:${server.address().port}/`;
    // A name for this machine that is not localhost, whose plain http the browser treats as
    // any other site's: not a secure context.
    browser = watchingPolicy(await launchChromium([`--host-resolver-rules=MAP ${kPlainHost} 127.0.0.1`]));
    page = await browser.newPage({viewport: {width: 820, height: 560}});
    page.on('pageerror', (error) => console.log(`page error: ${error}`));
  });

  after(async () => {
    if (browser) await browser.close();
    if (server) server.close();
  });

  /** Runs `act` with a new browser context of `options`, closed once it is done. */
  async function inContext(options, act) {
    const context = await browser.newContext(options);
    try {
      return await act(context);
    } finally {
      await context.close();
    }
  }

  /** Makes `on`'s localStorage throw, as in a browser that refuses the page its storage. */
  function refuseStorage(on) {
    return on.addInitScript(() => Object.defineProperty(window, 'localStorage', {get() {
      throw new DOMException('The storage is refused', 'SecurityError');
    }}));
  }

  /** Waits until the screen's text is `expected`, as the screen keeps it, then fails with the difference. */
  async function expectText(expected, what, on = page) {
    const want = normalise(scrolledBack(expected));
    try {
      await on.waitForFunction((want) => {
        // Not there until the page's script has run.
        const text = (window.quellmoor?.text() ?? '').split('\n').map((line) => line.trimEnd());
        return text.join('\n').replace(/\n+$/, '') === want;
      }, want, {timeout: 10000, polling: 50});
    } catch {
      // Not there in time: show how it differs.
      assert.equal(normalise(await on.evaluate(() => window.quellmoor?.text() ?? '')), want, what);
    }
  }

  /**
   * Where the screen shows each of `lines` (their last showing): inside the screen and
   * the window, or not, at what size, and on how many rows.
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
                fontSize: parseFloat(getComputedStyle(node.parentElement).fontSize),
                rows: new Set(Array.from(range.getClientRects(), (rect) => Math.round(rect.top))).size};
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

  /**
   * Loads the page (or reloads it) on a new game, the kept one forgotten; resolves to the
   * milliseconds until the banner shows.
   */
  async function load(how, on = page) {
    // No game kept before a first load; the player's settings ("quellmoor.NAME") stay.
    await on.evaluate(() => Object.keys(localStorage).filter((key) => key.startsWith('quellmoor '))
                                .forEach((key) => localStorage.removeItem(key))).catch(() => {});
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
    // Under its own policy, the page's style and scripts all come, and the game runs.
    assert.equal(await page.evaluate(() => getComputedStyle(document.body).containerType), 'size');
    assertPolicyHeld();

    // The page's own files; the compressed copies beside them are another form of the same.
    const files = fs.readdirSync(site).sort().filter((name) => !/\.(br|gz)$/.test(name)).map((name) => {
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

  test('a game played to quit offers a new one, which starts afresh; the screen keeps 1,000 lines', async () => {
    await load(() => page.reload());
    await page.click('#screen');
    // Long enough to fill the screen's 1,000 lines once older answers lose their clearing
    // blank lines: the stats are then 10 lines.
    const typed = ['w', 'attack', ...new Array(120).fill('stats'), 'quit', 'quit'];
    const expected = await consoleScreen(typed) + '\n\n' + kEndOffer;
    // Kept before the quits and reloaded: the game is resumed on a screen as full as it may
    // be, its last 1,000 lines exactly (none went before older blank runs were shortened).
    const played = typed.slice(0, -2);
    await typeWords(page, played);
    await page.waitForFunction(
        (count) => JSON.parse(localStorage.getItem(window.quellmoor.keptAs))?.lines.length === count, played.length);
    await page.reload();
    await page.waitForFunction(() => window.quellmoor?.stage === 'waiting');
    const screenLines = (text) => text.split('\n').map((line) => line.trimEnd());
    const resumed = screenLines(await page.evaluate(() => window.quellmoor.text()));
    assert.equal(resumed.length, 1000, 'lines on the resumed screen');
    assert.deepEqual(resumed, screenLines(scrolledBack(await consoleScreen(played))).slice(-1000), 'the resumed screen');
    await typeWords(page, typed.slice(-2));
    // As a terminal's scrollback: the last lines, the blank runs of older answers shortened
    // (the lines that went were counted before they were), and the transcript keeps them all.
    const kept = normalise(scrolledBack(expected)).split('\n');
    assert.ok(kept.length > 1000);
    await page.waitForFunction((end) => window.quellmoor.text().trimEnd().endsWith(end), kept.at(-1));
    const shown = normalise(await page.evaluate(() => window.quellmoor.text())).split('\n');
    assert.ok(shown.length > 960 && shown.length <= 1000, `${shown.length} lines on the screen`);
    assert.deepEqual(shown, kept.slice(-shown.length), 'the screen at the end of the game');
    assert.equal(await page.evaluate(() => window.quellmoor.playing), false);
    await page.screenshot({path: path.join(artefacts, 'web-game-over.png')});
    const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
    assert.equal(fs.readFileSync(await saved.path(), 'latin1'), expected, 'the saved transcript');
    // The focus is back on the field: Enter plays, and does not save again.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'command');

    // Words typed now are not played; Enter starts a new game on a clean screen.
    await page.keyboard.type('attack');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.quellmoor.gamesPlayed === 2 && window.quellmoor.playing);
    await typeLine(['stats']);
    await expectText(await consoleScreen(['stats']), 'the screen of the new game');

    // At the last prompt, Enter alone starts another game at once, as the page's help says.
    await typeLine(['quit']);
    await page.waitForFunction(() => window.quellmoor.text().endsWith('Type quit to exit\n'));
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.quellmoor.gamesPlayed === 3 && window.quellmoor.playing);
    await typeLine(['stats']);
    await expectText(await consoleScreen(['stats']), 'the screen of the game after the last prompt');
  });

  test('Tab completes, Up recalls, the live region holds the answer, axe finds nothing serious', async () => {
    await load(() => page.reload());
    await page.focus('#command');
    await typeLine(['look']);
    const announced = await consoleAnswer(['look']);
    // The answer goes to the live region as it goes to the screen.
    await page.waitForFunction((last) => window.quellmoor.text().includes(last), announced.at(-1));
    assert.deepEqual(await heard(page), announced, 'the live region after look');
    // The hidden gold word is never offered.
    await page.keyboard.type('plumb');
    await page.keyboard.press('Tab');
    assert.equal(await page.inputValue('#command'), 'plumb');
    // A start several words share, and no longer one, lists them, as a second Tab at a terminal.
    await page.fill('#command', 'ma');
    await page.keyboard.press('Tab');
    assert.equal(await page.textContent('#hint'), 'Words that begin with ma: map, mana');
    await page.fill('#command', '');
    await typeLine(['w']);
    await typeLine(['att', 'Tab']);
    // Down at the newest line leaves the typed start; Up recalls the last line as sent (Tab's
    // space too), Down brings the start back.
    await page.keyboard.type('lo');
    const recalled = [['ArrowDown', 'lo'], ['ArrowUp', 'attack '], ['ArrowDown', 'lo'], ['ArrowUp', 'attack ']];
    for (const [key, value] of recalled) {
      await page.keyboard.press(key);
      assert.equal(await page.inputValue('#command'), value, key);
    }
    await page.keyboard.press('Enter');
    await expectText(await consoleScreen(['look', 'w', 'attack', 'attack']), 'completed, then recalled');
    assert.deepEqual(await heard(page), await consoleAnswer(['look', 'w', 'attack', 'attack']),
                     'the live region after the second blow');
    await assertAccessible(page);
  });

  test('a screen reader hears the stats line by line, and a map as where the player stands', async () => {
    await load(() => page.reload());
    await page.focus('#command');
    await typeLine(['stats']);
    // The stats at the start, each line on its own, not run together.
    await page.waitForFunction(() => window.quellmoor.text().includes('Mana Potions: 0'));
    assert.deepEqual(await heard(page), ['Health: 100/100', 'Mana: 0/100', 'Weapon: Fists 4 damage',
                                         'Armor: Tunic', 'Gold: 0', 'Healing Potions: 0', 'Mana Potions: 0']);
    // North from room 1 to room 2, then back: the middle of the Domain's top row of three
    // rooms, then the middle of its middle row. The screen keeps the drawing, named by the
    // same words for a screen reader.
    const room2 = "Map of Lord Tavrin's Domain: you are in row 1 of 3 from the north, room 2 of 3 from " +
                  'the west; open to the east, south and west.';
    const room1 = "Map of Lord Tavrin's Domain: you are in row 2 of 3 from the north, room 2 of 3 from " +
                  'the west; open to the north, east, south and west.';
    for (const [word, said] of [['n', room2], ['s', room1]]) {
      await typeLine([word]);
      await page.waitForFunction((said) => document.getElementById('answer').textContent === said, said);
      assert.deepEqual(await heard(page), [said], `the live region after ${word}`);
      assert.equal(await page.getByRole('img', {name: said}).count(), 1, `the map on the screen after ${word}`);
    }
    await expectText(await consoleScreen(['stats', 'n', 's']), 'the screen after stats, n, s');
  });

  /** Resolves once `on` has drawn a frame after what was done so far. */
  function nextFrame(on) {
    return on.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve))));
  }

  /** Opens Menu of `on`, where the header's buttons are folded into it and it is closed. */
  async function openMenu(on) {
    if (await on.isVisible('#menu-toggle') && await on.getAttribute('#menu-toggle', 'aria-expanded') === 'false') {
      await on.click('#menu-toggle');
    }
  }

  /** Opens the help panel of `on`, where it is closed (and Menu first, where Help is folded into it). */
  async function openHelp(on) {
    await openMenu(on);
    if (await on.getAttribute('#help-toggle', 'aria-expanded') === 'false') await on.click('#help-toggle');
  }

  /** Waits until Help's list of kept games on `on` reads `expected`, an item each, then fails with the difference. */
  async function expectKeptGames(on, expected, what) {
    const listed = () => on.$$eval('#kept-games li', (items) => items.map((item) => item.textContent));
    await on.waitForFunction((want) => want === JSON.stringify(
      [...document.querySelectorAll('#kept-games li')].map((item) => item.textContent)), JSON.stringify(expected),
    {timeout: 5000}).catch(() => {});  // the list is written once the keeper has looked: the difference, below
    assert.deepEqual(await listed(), expected, what);
  }

  /** The layout shift `act` causes on `on`: the sum of the shifts seen until a frame after it. */
  async function shiftOf(on, act) {
    await on.evaluate(() => {
      window.shifted = 0;
      window.shiftWatch ??= new PerformanceObserver((list) => {
        for (const shift of list.getEntries()) window.shifted += shift.value;
      });
      window.shiftWatch.observe({type: 'layout-shift'});
    });
    await act();
    await nextFrame(on);
    return on.evaluate(() => {
      window.shiftWatch.disconnect();
      return window.shifted;
    });
  }

  test('the buttons follow the game: a menu\'s numbers while it waits; a clicked word gives the field back',
       async () => {
    await load(() => page.reload());
    // Named with the letter they show, so that a voice can press what it sees.
    for (const direction of ['n, north', 'e, east', 's, south', 'w, west']) {
      assert.equal(await page.getByRole('button', {name: direction, exact: true}).count(), 1, direction);
    }
    await page.click('#words >> text="n"');
    // Clicked, the button hands the focus back: what is typed next goes to the game. The
    // field is not described again, until the focus leaves it.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'command');
    const described = () => page.getAttribute('#command', 'aria-describedby');
    assert.equal(await described(), null, 'the field described again after a button');
    await page.focus('#save');
    assert.notEqual(await described(), null, 'the field no longer described');
    await page.focus('#command');
    await typeLine(['e']);
    // Lord Tavrin's weapon shop: its menu, a button for each line, which sends the number. Its
    // long choices move nothing on the page that was there (a layout shift of 0.1 is poor), in
    // a window wider than the console.
    await page.setViewportSize({width: 1280, height: 800});
    await nextFrame(page);
    const menu = ['1. Club - 30 gold', '2. Dagger - 70 gold', '3. Bow - 130 gold', '4. Leather Armor - 110 gold',
                  '5. Studed Leather Armor - 170 gold', '6. Leave shop'];
    const opening = await shiftOf(page, async () => {
      await typeLine(['buy']);
      await page.waitForSelector('#choices button');
    });
    assert.ok(opening < 0.1, `the shop's menu shifts the page by ${opening}`);
    assert.deepEqual(await page.$$eval('#choices button', (buttons) => buttons.map((button) => button.textContent)),
                     menu);
    assert.equal(await page.getAttribute('#command', 'inputmode'), 'numeric');
    assert.equal(await page.isVisible('#words'), false);
    await assertAccessible(page);
    // A line of spaces is a blank line: the game answers nothing and its menu still waits; a
    // screen reader is left with the menu, not handed an empty answer.
    await typeLine(['  ']);
    await page.waitForFunction(() => window.quellmoor?.stage === 'waiting');
    assert.deepEqual(await heard(page), ['What would you like to buy?', ...menu], 'the live region after a blank line');
    assert.deepEqual([await page.isVisible('#choices'), await page.isVisible('#words')], [true, false]);
    const closing = await shiftOf(page, async () => {
      await page.click('#choices >> text="6. Leave shop"');
      await page.waitForSelector('#words', {state: 'visible'});
    });
    assert.ok(closing < 0.1, `leaving the shop shifts the page by ${closing}`);
    await page.setViewportSize({width: 820, height: 560});
    await expectText(await consoleScreen(['n', 'e', 'buy', '  ', '6']), 'the screen after leaving the shop');
    // The game says nothing as the shop is left; the page does.
    assert.deepEqual(await heard(page), ['[Menu closed. The game printed nothing.]']);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'command');
    assert.equal(await page.isVisible('#words'), true);
    assert.equal(await page.getAttribute('#command', 'inputmode'), null);
  });

  test('the browser\'s text size and colour scheme are followed; the player\'s own last', async () => {
    /**
     * The font sizes in pixels of the page and its console, and the lightness (0 to 255) of the
     * page and the console.
     */
    const look = (on) => on.evaluate(() => {
      const lightness = (element) => {
        const [r, g, b] = getComputedStyle(element).backgroundColor.match(/\d+/g).map(Number);
        return Math.round(0.2126 * r + 0.7152 * g + 0.0722 * b);
      };
      const screen = document.getElementById('screen');
      return {root: parseFloat(getComputedStyle(document.documentElement).fontSize),
              font: parseFloat(getComputedStyle(screen).fontSize), page: lightness(document.body),
              console: lightness(screen)};
    });
    await inContext({viewport: {width: 820, height: 560}}, async (context) => {
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      const usual = await look(visitor);
      // A browser set to twice the usual text size: the console's text grows with it.
      const cdp = await context.newCDPSession(visitor);
      await cdp.send('Page.setFontSizes', {fontSizes: {standard: 32, fixed: 26}});
      await load(() => visitor.reload(), visitor);
      const large = await look(visitor);
      assert.ok(large.font >= 1.5 * usual.font, `${usual.font} px, then ${large.font} px`);
      await cdp.send('Page.setFontSizes', {fontSizes: {standard: 16, fixed: 13}});
      // Light where the system asks for light, dark where it asks for dark.
      for (const [colorScheme, light] of [['light', true], ['dark', false]]) {
        await visitor.emulateMedia({colorScheme});
        const colours = await look(visitor);
        assert.deepEqual([colours.page > 128, colours.console > 128], [light, light], colorScheme);
        await assertAccessible(visitor);
      }
      // The player's choice of colours and text size holds at once and outlasts the page, over
      // the system's.
      await openHelp(visitor);
      await expectKeptGames(visitor, ['None yet.'], 'Help, no game played');
      await visitor.selectOption('#theme', 'light');
      await visitor.selectOption('#text-size', '150');
      assert.equal((await look(visitor)).root, 1.5 * usual.root, 'the text size chosen');
      await load(() => visitor.reload(), visitor);
      const chosen = await look(visitor);
      assert.deepEqual([chosen.console > 128, chosen.root], [true, 1.5 * usual.root]);
      // Where the browser keeps nothing, the settings hold for the page and the game plays.
      const refusing = await browser.newPage({viewport: {width: 820, height: 560}});
      await refuseStorage(refusing);
      const errors = [];
      refusing.on('pageerror', (error) => errors.push(`${error}`));
      await load(() => refusing.goto(url), refusing);
      await openHelp(refusing);
      await refusing.selectOption('#theme', 'light');
      assert.deepEqual([(await look(refusing)).console > 128, errors], [true, []]);
      await refusing.close();
    });
  });

  test('from 75% to 200% text, 320 to 390 px wide: every button holds its words, the header one row, maps and menus whole',
       async () => {
    await inContext({...kPhone, serviceWorkers: 'block'}, async (context) => {
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      // A shop's menu, with the longest line of any, then the widest map: Great Britton's.
      const typed = ['n', 'e', 'buy', '6', 'w', 's', 'teleport', '1'];
      await typeWords(visitor, typed);
      await expectText(await consoleScreen(typed), 'in Great Britton', visitor);
      const drawn = (await consoleScreen(typed)).split('\n').filter((line) => /^\d+\. |^[=#][=#* ]{9,}$/.test(line));
      const cdp = await context.newCDPSession(visitor);
      /** What overflows, at `width` px and the page's text size `size` (%). */
      const faults = async (width, size) => {
        await visitor.setViewportSize({width, height: kPhone.viewport.height});
        await visitor.evaluate((size) => {
          const control = document.getElementById('text-size');
          control.value = size;
          control.dispatchEvent(new Event('change'));
        }, size);
        await nextFrame(visitor);
        const found = await visitor.evaluate(() => {
          const shown = (element) => element.getClientRects().length > 0;
          const spilt = [...document.querySelectorAll('button')].filter(shown)
                            .filter((button) => button.scrollWidth > button.clientWidth)
                            .map((button) => `${button.textContent}: ${button.scrollWidth} > ${button.clientWidth}`);
          const header = document.querySelector('header');
          const tallest = Math.max(...[...header.querySelectorAll('h1, button')].filter(shown).map((child) => child.offsetHeight));
          if (header.offsetHeight > tallest) spilt.push(`the header is ${header.offsetHeight} px high, not one row`);
          return spilt;
        });
        for (const place of await placesOf(visitor, drawn)) {
          if (place.rows !== 1) found.push(`"${place.line}" on ${place.rows} rows`);
        }
        return found.map((fault) => `${width} px, ${size}%: ${fault}`);
      };
      const found = [];
      for (const width of [320, 390, 360]) {
        for (const size of ['75', '100', '150', '200']) found.push(...await faults(width, size));
      }
      await visitor.screenshot({path: path.join(artefacts, 'web-phone-200-percent.png')});
      await visitor.click('#menu-toggle');
      await assertAccessible(visitor);
      // The browser's own text size, twice the usual.
      await cdp.send('Page.setFontSizes', {fontSizes: {standard: 32, fixed: 26}});
      await visitor.reload();
      await expectText(await consoleScreen(typed), 'in Great Britton, resumed', visitor);
      for (const width of [320, 360, 390]) found.push(...await faults(width, '100'));
      // In a short window (400% zoom, a phone's keyboard up) a notice, the game resumed, takes
      // its height from the console's: the answer's end and the typed line stay in view.
      await cdp.send('Page.setFontSizes', {fontSizes: {standard: 16, fixed: 13}});
      await visitor.reload();
      await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes('resumed'));
      const end = (await consoleAnswer(typed)).at(-1);
      for (const [width, height] of [[390, 300], [320, 200]]) {
        await visitor.setViewportSize({width, height});
        await nextFrame(visitor);
        const [last] = await placesOf(visitor, [end]);
        const field = await visitor.locator('#command').boundingBox();
        if (!last.inWindow || field.y + field.height > height) {
          found.push(`${width}x${height}: the field at ${field.y} px, the answer's end ${JSON.stringify(last)}`);
        }
      }
      await visitor.screenshot({path: path.join(artefacts, 'web-phone-320x200-notice.png')});
      assert.deepEqual(found, []);
    });
  });

  test('on a phone, upright and sideways: no sideways scrolling, readable text, every word a tap away',
       async () => {
    const context = await browser.newContext(kPhone);
    phone = await context.newPage();
    await load(() => phone.goto(url), phone);
    await phone.tap('#command');
    await phone.keyboard.type('look');
    await phone.keyboard.press('Enter');
    const look = await consoleAnswer(['look']);
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
    // Turned sideways, then with the keyboard up (the window as short as the keyboard leaves
    // it): the end of the answer and the typed line both in view, with no scrolling.
    await phone.tap('#command');
    await phone.keyboard.type('look');
    await phone.keyboard.press('Enter');
    const [end] = (await consoleAnswer(['look', 'n', 'look'])).slice(-1);
    await phone.waitForFunction((end) => window.quellmoor.text().endsWith(`${end}\n`), end);
    try {
      for (const [width, height] of [[844, 390], [844, 200]]) {
        await phone.setViewportSize({width, height});
        await phone.waitForFunction((height) => innerHeight === height, height);
        await nextFrame(phone);
        const [last] = await placesOf(phone, [end]);
        const field = await phone.locator('#command').boundingBox();
        assert.ok(last.inScreen && last.inWindow, `${width}x${height}: ${JSON.stringify(last)}`);
        assert.ok(field.y >= 0 && field.y + field.height <= height, `${width}x${height}: the field at ${field.y}`);
        await phone.screenshot({path: path.join(artefacts, `web-phone-${width}x${height}.png`)});
      }
    } finally {
      await phone.setViewportSize(kPhone.viewport);
    }
    // Help takes height from the screen: its last line stays in view, unless the player has
    // scrolled back (a page up), who is left where they were.
    const scrolledTo = async () => {
      await nextFrame(phone);
      return phone.evaluate(() => document.getElementById('screen').scrollTop);
    };
    await openHelp(phone);
    await nextFrame(phone);
    assert.ok((await placesOf(phone, [end]))[0].inScreen, 'the last line once Help is open');
    await phone.click('#help-toggle');
    await phone.focus('#command');
    await phone.keyboard.press('PageUp');
    const back = await scrolledTo();
    await openHelp(phone);
    assert.equal(await scrolledTo(), back, 'scrolled back, then Help opened');
    // Every command word, from the game's own table, one tap away.
    const offered = await phone.$$eval('#every-word button', (buttons) => buttons.map((button) => button.textContent));
    assert.deepEqual(offered, await phone.evaluate(() => window.quellmoor.commandWords));
    await phone.screenshot({path: path.join(artefacts, 'web-phone-words.png')});
    await phone.tap('#every-word >> text="stats"');
    await expectText(await consoleScreen(['look', 'n', 'look', 'stats']), 'the screen after stats from help', phone);
  });

  test('on a phone: menus by touch, leaving the keyboard as it was; another game with no keyboard', async () => {
    await load(() => phone.reload(), phone);
    const focused = () => phone.evaluate(() => document.activeElement.id);
    // No keyboard is up (the field has not the focus): a tapped word does not bring it up.
    await phone.evaluate(() => document.activeElement.blur());
    await phone.tap('#words >> text="n"');
    await phone.tap('#words >> text="e"');
    assert.notEqual(await focused(), 'command');
    await phone.tap('#command');
    await phone.keyboard.type('buy');
    await phone.keyboard.press('Enter');
    await phone.waitForSelector('#choices >> text="6. Leave shop"');
    await phone.screenshot({path: path.join(artefacts, 'web-phone-shop.png')});
    // Sideways, every choice of the shop is in view beside the console and its typed line,
    // and a notice (the game resumed after a reload).
    await phone.reload();
    await phone.waitForFunction(() => document.getElementById('notice').textContent.includes('resumed'));
    await phone.setViewportSize({width: 844, height: 390});
    await nextFrame(phone);
    for (const shown of ['#choices >> text="6. Leave shop"', '#command']) {
      const box = await phone.locator(shown).boundingBox();
      assert.ok(box.y >= 0 && box.y + box.height <= 390, `${shown} at ${box.y}-${box.y + box.height} of 390 px`);
    }
    await phone.screenshot({path: path.join(artefacts, 'web-phone-844x390-shop.png')});
    await phone.setViewportSize(kPhone.viewport);
    // The keyboard was up: it stays up.
    await phone.tap('#choices >> text="6. Leave shop"');
    assert.equal(await focused(), 'command');
    for (const word of ['w', 's', 'teleport']) {
      await phone.keyboard.type(word);
      await phone.keyboard.press('Enter');
    }
    // The pedestal in room 1 offers the other two regions, and staying.
    await phone.waitForSelector('#choices button');
    assert.deepEqual(await phone.$$eval('#choices button', (buttons) => buttons.map((button) => button.textContent)),
                     ['1. Great Britton', '2. The Labyrinth', '3. Do not teleport']);
    await phone.screenshot({path: path.join(artefacts, 'web-phone-teleport.png')});
    // With the keyboard down, the tapped choice goes with its menu: the focus goes to the
    // first of the buttons that take its place.
    await phone.evaluate(() => document.activeElement.blur());
    await phone.tap('#choices >> text="3. Do not teleport"');
    await expectText(await consoleScreen(['n', 'e', 'buy', '6', 'w', 's', 'teleport', '3']),
                     'the screen after the teleporter menu', phone);
    assert.equal(await phone.evaluate(() => document.activeElement.dataset.word), 'n');
    // The end of the game, with the keyboard down: a button starts another.
    await phone.tap('#command');
    await phone.keyboard.type('quit');
    await phone.keyboard.press('Enter');
    await phone.waitForFunction(() => window.quellmoor.text().endsWith('Type quit to exit\n'));
    await phone.evaluate(() => document.activeElement.blur());
    await phone.screenshot({path: path.join(artefacts, 'web-phone-end.png')});
    await phone.tap('#again >> text="New game"');
    await phone.waitForFunction(() => window.quellmoor.gamesPlayed === 2 && window.quellmoor.playing);
    await expectText(await consoleScreen([]), 'the screen of the next game', phone);
  });

  test('after one visit, the page loads and plays with no network, and can be installed', async () => {
    // The worker controls the page once it has kept every file.
    await phone.waitForFunction(() => navigator.serviceWorker.controller);
    const cdp = await phone.context().newCDPSession(phone);
    const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
    // A test's browser context is a private window, where nothing is installed.
    assert.deepEqual(installabilityErrors.filter((error) => error.errorId !== 'in-incognito'), []);
    await phone.context().setOffline(true);
    // Even at an address with a query, as links from elsewhere often carry.
    await load(() => phone.goto(`${url}?from=elsewhere`), phone);
    await phone.tap('#words >> text="stats"');
    await phone.waitForFunction(() => window.quellmoor.text().includes('Health: 100/100'));
    await phone.context().close();
    assertPolicyHeld();  // served by the worker, as by the server
  });

  test('a failed load says what failed and offers to try again; a word typed meanwhile shows, then is played',
       async () => {
    // No worker: every file is fetched as the test routes it.
    await inContext({serviceWorkers: 'block'}, async (context) => {
      const visitor = await context.newPage();
      await visitor.route('**/quellmoor.wasm', (route) => route.fulfill({status: 404, body: 'Not found\n'}));
      await visitor.goto(url);
      const failure = '[Quellmoor could not be loaded: the server answered 404 Not Found for quellmoor.wasm. ' +
                      'Press Enter or Try again to try again.]';
      await visitor.waitForFunction((failure) => window.quellmoor.text().includes(failure), failure);
      assert.deepEqual(await heard(visitor), [failure]);
      assert.equal(await visitor.textContent('#again'), 'Try again');
      // A link opened after the failure is played once the game is up, before the word typed meanwhile.
      await visitor.evaluate(() => location.hash = '#play=0.0123456789abcdef/n/e');
      await visitor.unroute('**/quellmoor.wasm');
      // The word shows at once, while the game loads, and is played once it has.
      const arrive = await holdRequests(visitor, '**/quellmoor.wasm');
      await visitor.focus('#command');
      await visitor.keyboard.type('stats');
      await visitor.keyboard.press('Enter');
      assert.equal(await visitor.textContent('#pending'), 'stats\n');
      arrive();
      await expectText(await consoleScreen(['n', 'e', 'stats']), 'the screen once the game loaded', visitor);
      assert.equal(await visitor.textContent('#pending'), '');
      // So is one opened while the game loads.
      const loading = await context.newPage();
      const loaded = await holdRequests(loading, '**/quellmoor.wasm');
      await loading.goto(url);
      await loading.waitForFunction(() => window.quellmoor?.stage === 'loading');
      await loading.evaluate(() => location.hash = '#play=0.0123456789abcdef/n');
      loaded();
      await expectText(await consoleScreen(['n']), 'a link opened while the game loaded', loading);
      assert.match(await loading.textContent('#notice'), /brought into this new version/);
      await loading.close();

      // Each failure is said as what it is: a wasm of another build than quellmoor.js (here its
      // banner changed), a browser that cannot run the wasm, quellmoor.js missing.
      const wasm = fs.readFileSync(path.join(site, 'quellmoor.wasm'));
      const other = Buffer.from(wasm.toString('latin1').replace('Welcome', 'Welcxme'), 'latin1');
      const failures = [
        [(on) => on.route('**/quellmoor.wasm', (route) => route.fulfill({body: other, contentType: 'application/wasm'})),
         /from two versions of the game/],
        [(on) => on.addInitScript(() => {
          const refuse = () => Promise.reject(new Error('no WebAssembly'));
          WebAssembly.instantiate = WebAssembly.instantiateStreaming = refuse;
        }), /this browser cannot run quellmoor.wasm \(no WebAssembly\)/],
        [(on) => on.route('**/quellmoor.js', (route) => route.fulfill({status: 404})),
         /its program, quellmoor.js, did not arrive/],
      ];
      let failed;
      for (const [prepare, says] of failures) {
        failed = await context.newPage();
        await prepare(failed);
        await failed.goto(url);
        await failed.waitForFunction(() => window.quellmoor?.stage === 'failed');
        assert.match((await heard(failed)).join('\n'), says);
      }
      // Tried again once it is there, quellmoor.js is fetched and the game plays.
      await failed.unroute('**/quellmoor.js');
      await failed.click('#again');
      await expectText(await consoleScreen([]), 'the game once quellmoor.js arrived', failed);
      // So is an index.html of another build than the page's script, or a style sheet or first
      // script (a host's old compressed copy): the page is loaded once more (a server updated
      // meanwhile would serve one build), then it is said.
      const build = fs.readFileSync(path.join(site, 'index.html'), 'utf8').match(/data-build="(\w+)"/)[1];
      for (const [file, type] of [['index.html', 'text/html'], ['page.css', 'text/css'], ['early.js', 'text/javascript']]) {
        const old = fs.readFileSync(path.join(site, file), 'utf8').replaceAll(build, '0123456789abcdef');
        const stale = await context.newPage();
        let loads = 0;
        await stale.route((address) => address.pathname === (file === 'index.html' ? '/' : `/${file}`), (route) => {
          loads++;
          route.fulfill({body: old, contentType: type});
        });
        await stale.goto(url);
        await stale.waitForFunction(() => window.quellmoor?.stage === 'failed');
        assert.match((await heard(stale)).join('\n'), /from two versions of the game/, file);
        assert.equal(loads, 2, `loads of ${file}`);
        await stale.close();
      }

      // Enter and a word button before the page's script has run (a slow line): no form is
      // sent, and both are played once the game is ready.
      const slow = await context.newPage();
      const run = await holdRequests(slow, '**/page.js');
      await slow.goto(url, {waitUntil: 'commit'});
      await slow.focus('#command');
      await slow.keyboard.type('stats');
      await slow.keyboard.press('Enter');
      await slow.click('#words >> text="n"');
      assert.equal(await slow.textContent('#pending'), 'stats\nn\n');
      run();
      await expectText(await consoleScreen(['stats', 'n']), 'the words entered before the script ran', slow);
      assert.equal(slow.url(), url);
      assertPolicyHeld();
    });
  });

  /** Types each of `words` and Enter on `on`. */
  async function typeWords(on, words) {
    await on.focus('#command');
    for (const word of words) {
      await on.keyboard.type(word);
      await on.keyboard.press('Enter');
    }
  }

  /**
   * Over plain http on a name other than localhost the browser gives the page no locks: two tabs
   * still play a game each, and a reload takes up the tab's own, every word of it.
   */
  async function twoTabsOverPlainHttp(context) {
    const lan = url.replace('127.0.0.1', kPlainHost);
    const first = await context.newPage();
    await first.goto(lan);
    assert.deepEqual(await first.evaluate(() => [isSecureContext, 'locks' in navigator]), [false, false]);
    await typeWords(first, ['n', 'e', 'stats']);
    await expectText(await consoleScreen(['n', 'e', 'stats']), 'the first tab over plain http', first);
    const second = await context.newPage();
    await second.goto(lan);
    await expectText(await consoleScreen([]), 'a second tab over plain http', second);
    await typeWords(first, ['look', 'look', 'look']);
    await typeWords(second, ['s']);
    await expectText(await consoleScreen(['s']), 'the second tab\'s game over plain http', second);
    await first.reload();
    await expectText(await consoleScreen(['n', 'e', 'stats', 'look', 'look', 'look']), 'the first tab reloaded', first);
    await first.close();
    await second.close();
  }

  /** The words of the golden transcript tests/golden/`name`.in that the game reads before its last prompt. */
  async function wordsToTheEnd(name) {
    const input = fs.readFileSync(path.join(root, 'tests', 'golden', `${name}.in`));
    const {waits} = await playConsoleByLines(consoleProgram(), input);
    return input.toString('latin1').split('\n').slice(0, waits.length - 1);
  }

  test('the game is kept: resumed whole after a reload and on a new page, its end too; a tab plays its own',
       async () => {
    await inContext({}, async (context) => {
      let visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      // Left with a shop's menu open, after a word the game answered with nothing.
      const typed = ['n', 'e', 'buy', '6', 'stats', 'buy'];
      await typeWords(visitor, typed);
      const expected = await consoleScreen(typed);
      await expectText(expected, 'the game before the reload', visitor);
      await visitor.reload();
      await expectText(expected, 'the game after a reload', visitor);
      assert.match(await visitor.textContent('#notice'), /resumed/);
      assert.equal(await visitor.isVisible('#choices >> text="6. Leave shop"'), true);
      assert.equal(await visitor.locator('.loading').count(), 0, 'the loading line after a resume');
      // New game over a game in play asks once; no, and the game goes on, the field focused.
      await visitor.click('#notice >> text="New game"');
      assert.match(await visitor.textContent('#notice'), /Start a new game\?/);
      await visitor.click('#notice >> text="No, play on"');
      assert.equal(await visitor.evaluate(() => document.activeElement.id), 'command');
      await expectText(expected, 'the game after No', visitor);
      // A second tab, while the first is open, plays a game of its own.
      const other = await context.newPage();
      await other.goto(url);
      await expectText(await consoleScreen([]), 'a second tab', other);
      // The tab closed (or discarded), a new page of the site finds the game.
      await other.close();
      const tabId = await visitor.evaluate(() => sessionStorage.getItem(`quellmoor ${location.pathname} tab`));
      await visitor.close();
      visitor = await context.newPage();
      await visitor.goto(url);
      await expectText(expected, 'the game on a new page', visitor);
      await openHelp(visitor);
      await expectKeptGames(visitor, ['The game in this tab'], 'Help, one game kept');
      // The discarded tab comes back, its game now played in that page: it says so, and shows no other game.
      const back = await context.newPage();
      await back.addInitScript((id) => sessionStorage.setItem(`quellmoor ${location.pathname} tab`, id), tabId);
      await back.goto(url);
      await back.waitForFunction(() => document.getElementById('notice').textContent.includes('open in another tab'));
      assert.deepEqual([await back.evaluate(() => window.quellmoor.text()), await back.isVisible('#again')], ['', true]);
      await back.close();
      await twoTabsOverPlainHttp(context);
      const [saved] = await Promise.all([visitor.waitForEvent('download'), visitor.click('#save')]);
      assert.equal(fs.readFileSync(await saved.path(), 'latin1'), expected, 'the transcript of the resumed game');
      // Played on, it is no longer said to be resumed. The shop left in silence, a reload gives
      // the words' buttons, not its menu; storage keeps the game, so nothing says it cannot.
      await typeWords(visitor, ['6']);
      assert.doesNotMatch(await visitor.textContent('#notice'), /resumed/);
      await visitor.waitForSelector('#words', {state: 'visible'});
      await visitor.reload();
      await expectText(await consoleScreen([...typed, '6']), 'the game resumed after the shop was left', visitor);
      assert.deepEqual([await visitor.isVisible('#words'), await visitor.isVisible('#choices')], [true, false]);
      assert.doesNotMatch(await visitor.textContent('#notice'), /does not let the page keep/);
      // Played on and ended (quit, won, died), its last screen is kept until a new game starts.
      const ends = [['quitting', [...typed, '6', 'quit']], ['a win', await wordsToTheEnd('combat/demon_victory')],
                    ['a death', await wordsToTheEnd('combat/chupacabra_death')]];
      for (const [end, words] of ends) {
        if (end !== 'quitting') {
          await visitor.keyboard.press('Enter');  // at the last prompt: a new game
          await visitor.waitForFunction(() => window.quellmoor?.stage === 'waiting');
          await typeWords(visitor, words);
        } else {
          await typeWords(visitor, ['quit']);
        }
        const last = await consoleScreen(words);
        await expectText(last, `the game ended by ${end}`, visitor);
        await visitor.reload();
        await expectText(last, `the end of ${end} after a reload`, visitor);
        assert.match(await visitor.textContent('#notice'), /over when you left it/);
        assert.deepEqual([await visitor.textContent('#again'), await visitor.evaluate(() => window.quellmoor?.stage)],
                         ['New game', 'last prompt'], end);
      }
    });
  });

  test('a spoilt kept game gives a new one, saying so; where storage is refused or full, the game plays on',
       async () => {
    await inContext({}, async (context) => {
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      const kept = () => visitor.evaluate(() => localStorage.getItem(window.quellmoor.keptAs));
      // One word changed: the replay does not give the game that was kept, which stays kept
      // until the player starts a new game (here with the notice's button). Unreadable, it goes.
      const spoilers = [(record) => JSON.stringify({...record, lines: ['stats', 's']}), () => '{"lines": ["st'];
      for (const spoil of spoilers) {
        await typeWords(visitor, ['stats', 'n']);
        await visitor.waitForFunction(() => localStorage.getItem(window.quellmoor.keptAs)?.includes('"n"'));
        const spoilt = spoil(JSON.parse(await kept()));
        await visitor.evaluate((spoilt) => localStorage.setItem(window.quellmoor.keptAs, spoilt), spoilt);
        await visitor.reload();
        await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes('new game'));
        if (spoil === spoilers[0]) {
          assert.deepEqual([await visitor.evaluate(() => window.quellmoor.text()), await kept()], ['', spoilt]);
          await visitor.click('#notice >> text="New game"');
          assert.equal(await visitor.evaluate(() => document.activeElement.id), 'command');
        }
        await expectText(await consoleScreen([]), 'a new game in place of the spoilt one', visitor);
      }
      // Nothing of a failed replay is in the transcript.
      const [saved] = await Promise.all([visitor.waitForEvent('download'), visitor.click('#save')]);
      assert.equal(fs.readFileSync(await saved.path(), 'latin1'), await consoleScreen([]), 'the transcript');
    });
    await inContext({}, async (context) => {
      // Storage full: the games only opened from links make room, the player's own never; then
      // the words not kept are told, and told again by the resume that is behind them.
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      await typeWords(visitor, ['stats', 'n', 's']);
      await visitor.waitForFunction(() => localStorage.getItem(window.quellmoor.keptAs)?.includes('"s"'));
      const record = JSON.parse(await visitor.evaluate(() => localStorage.getItem(window.quellmoor.keptAs)));
      const opened = await context.newPage();
      await opened.goto(`${url}#play=${record.length}.${record.hash}.${record.build}/${record.lines.join('/')}`);
      await opened.waitForFunction(() => window.quellmoor?.stage === 'waiting');
      const linkKey = await opened.evaluate(() => window.quellmoor.keptAs);
      await opened.close();
      await visitor.evaluate(() => {
        for (let i = 0, size = 1 << 22; size > 0; i++) {
          try {
            localStorage.setItem(`filler ${i}`, 'x'.repeat(size));
          } catch {
            size >>= 1;
          }
        }
      });
      const words = ['stats', 'n', 's', ...new Array(40).fill('look')];
      await typeWords(visitor, words.slice(3));
      await visitor.waitForFunction(() => /full/.test(document.getElementById('notice').textContent));
      const keptWords = await visitor.evaluate(() => JSON.parse(localStorage.getItem(window.quellmoor.keptAs)).lines.length);
      assert.ok(keptWords > 3 && keptWords < words.length, `${keptWords} words kept`);
      assert.equal(await visitor.evaluate((key) => localStorage.getItem(key), linkKey), null, 'the link\'s game kept');
      const unkept = words.length - keptWords;
      await visitor.waitForFunction((unkept) => document.getElementById('notice').textContent.includes(
          `Storage for this site is full: your game plays on, but its last ${unkept} words are not kept.`), unkept);
      await visitor.reload();
      await expectText(await consoleScreen(words.slice(0, keptWords)), 'the game resumed behind', visitor);
      assert.match(await visitor.textContent('#notice'), new RegExp(`resumed ${unkept} words behind where you left it`));
      // Played on, storage still full, and closed: a new tab, which knows nothing of the tab
      // before, knows it too (the words the game reached were written where a write never grows).
      await typeWords(visitor, ['look', '', 'look']);
      await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes(
          'Storage for this site is full: your game plays on, but its last 2 words are not kept.'));
      await visitor.close();
      const next = await context.newPage();
      await next.goto(url);
      await expectText(await consoleScreen(words.slice(0, keptWords)), 'the game resumed behind in a new tab', next);
      assert.match(await next.textContent('#notice'), /resumed 2 words behind where you left it/);
    });
    await inContext({}, async (refusing) => {
      const visitor = await refusing.newPage();
      await refuseStorage(visitor);
      await visitor.goto(url);
      await typeWords(visitor, ['stats', 'n']);
      await expectText(await consoleScreen(['stats', 'n']), 'the game without storage', visitor);
      assert.match(await visitor.textContent('#notice'), /does not let the page keep your game/);
    });
  });

  /** The link the Share button of `on` makes. */
  async function shared(on) {
    await openMenu(on);
    await on.click('#share');
    return on.getAttribute('#notice a', 'href');
  }

  test('a shared link replays the game, to play on from there, its end too; a spoilt or too long one is refused; ' +
       'the player\'s own game comes first', async () => {
    await inContext(kPhone, async (context) => {
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      const typed = ['n', 'e', 'buy', '6', 'look'];
      await typeWords(visitor, typed);
      await expectText(await consoleScreen(typed), 'the game to share', visitor);
      const link = await shared(visitor);
      assert.ok(link.startsWith(url + '#'), link);
      // Opened by someone else: the game as it was, and theirs to play on.
      const friend = await browser.newPage();
      await friend.goto(link);
      await expectText(await consoleScreen(typed), 'the shared game', friend);
      await typeWords(friend, ['stats']);
      await expectText(await consoleScreen([...typed, 'stats']), 'the shared game played on', friend);
      const played = [...typed, 'stats'];
      const other = await shared(friend);
      // A link made at the last prompt, and one made after the last word, open the game's end.
      for (const [words, end] of [[[...played, 'quit'], ''], [[...played, 'quit', 'quit'], '\n\n' + kEndOffer]]) {
        await typeWords(friend, words.slice(-1));
        await friend.waitForFunction((n) => window.quellmoor?.stage === (n ? 'over' : 'last prompt'), end.length);
        const ended = await browser.newPage();
        await ended.goto(await shared(friend));
        await expectText(await consoleScreen(words) + end, 'the end opened from a link', ended);
        assert.match(await ended.textContent('#notice'), /opened from a link\. It is over/);
        await ended.close();
      }
      await friend.close();
      // The player's own game, played, comes first on a plain visit, after one link opened
      // and closed as after nine more since (more than the 8 games only opened that are kept).
      await visitor.close();
      for (let links = 1; links <= 10; links++) {
        const opened = await context.newPage();
        await opened.goto(other);
        await expectText(await consoleScreen(played), 'the link\'s game', opened);
        await opened.close();
        if (links !== 1 && links !== 10) continue;
        const plain = await context.newPage();
        await plain.goto(url);
        await expectText(await consoleScreen(typed), `the player's own game after ${links} links`, plain);
        await plain.close();
      }
      // A link opened in the tab already on the page plays there; the game it had stays
      // kept, and Help takes it up again.
      const tab = await context.newPage();
      await tab.goto(url);
      await expectText(await consoleScreen(typed), 'the player\'s own game', tab);
      await tab.evaluate((hash) => location.hash = hash, new URL(other).hash);
      await expectText(await consoleScreen(played), 'the link\'s game in the open tab', tab);
      await openHelp(tab);
      const own = tab.locator('#kept-games li', {hasText: `${typed.length} words`});
      await own.scrollIntoViewIfNeeded();
      await tab.screenshot({path: path.join(artefacts, 'web-phone-kept-games.png')});
      // The link's game, opened eleven times, is kept once.
      assert.match(await tab.textContent('#kept-games'), /^The game in this tabPlayed .*: 5 wordsPlayDelete$/);
      await own.getByRole('button', {name: 'Play', exact: true}).click();
      await expectText(await consoleScreen(typed), 'the player\'s own game taken up in Help', tab);
      await tab.close();
      const spoilt = link.replace(/look$/, 'lok');
      const tooLong = `${url}#play=${'1'.repeat(70000)}`;
      for (const [opened, why] of [[spoilt, /could not be replayed/], [tooLong, /too long/]]) {
        const stranger = await browser.newPage();
        await stranger.goto(opened);
        await stranger.waitForFunction(() => window.quellmoor?.stage === 'waiting');
        assert.match(await stranger.textContent('#notice'), why);
        await expectText(await consoleScreen([]), 'a new game in place of the refused link', stranger);
        await stranger.close();
      }
    });
  });

  /** Every key and value of `on`'s localStorage. */
  const storageOf = (on) => on.evaluate(() => Object.fromEntries(Object.entries(localStorage)));

  test('a game saved to a file plays the same in the console program and in another browser, as the player\'s own; ' +
       'a file that is no game is refused, nothing kept changed; one whose game ends early opens at that end',
       async () => {
    // A blank line is a line the game read: the file keeps it.
    const typed = ['n', 'e', 'buy', '6', '', 'stats'];
    const saved = await inContext(kPhone, async (context) => {
      // A browser that keeps the page's storage once asked, as one does a page its player
      // uses often; asked in the middle of play, it would say so before the file is saved.
      await context.addInitScript(() => {
        let kept = false;
        StorageManager.prototype.persisted = async () => kept;
        StorageManager.prototype.persist = async () => kept = true;
      });
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      await typeWords(visitor, typed);
      await expectText(await consoleScreen(typed), 'the game to save', visitor);
      await openHelp(visitor);
      await visitor.locator('#game-files').scrollIntoViewIfNeeded();
      assert.equal(await visitor.textContent('#storage-kept'), 'This browser has not agreed to keep these games: ' +
                   'it may clear them when it runs short of room. Save game to a file keeps one for good.');
      const [download] = await Promise.all([visitor.waitForEvent('download'), visitor.click('#save-game')]);
      await visitor.waitForFunction(() => document.getElementById('storage-kept').textContent ===
                                          'This browser has agreed to keep these games until you delete them.');
      await visitor.screenshot({path: path.join(artefacts, 'web-phone-game-files.png')});
      assert.match(download.suggestedFilename(), /^quellmoor-\d{4}-\d\d-\d\d-5-words\.txt$/);
      const bytes = fs.readFileSync(await download.path());
      assert.equal(bytes.toString('latin1'), 'n\ne\nbuy\n6\n\nstats\n', 'the saved file');
      // Piped into the console program, the file plays the game on the page's screen.
      await expectText(await consoleScreen(typed, bytes), 'the console program fed the saved file', visitor);
      return {name: download.suggestedFilename(), bytes};
    });
    await inContext({}, async (context) => {
      // Opened in another browser: the same game, played on there as the player's own, which
      // a plain visit takes up once the tab is closed.
      let player = await context.newPage();
      await load(() => player.goto(url), player);
      await openHelp(player);
      const [chooser] = await Promise.all([player.waitForEvent('filechooser'), player.click('#open-game')]);
      await chooser.setFiles({name: saved.name, mimeType: 'text/plain', buffer: saved.bytes});
      await expectText(await consoleScreen(typed), 'the game opened from its file', player);
      assert.equal(await player.textContent('#notice [data-topic="game"]'),
                   `The game in ${saved.name} is open, to play on from here.New game`);
      await player.waitForFunction((count) => JSON.parse(localStorage.getItem(window.quellmoor.keptAs))?.lines.length === count,
                                   typed.length);
      await player.close();
      player = await context.newPage();
      await player.goto(url);
      await expectText(await consoleScreen(typed), 'the file\'s game on a plain visit', player);
      await typeWords(player, ['look']);
      await expectText(await consoleScreen([...typed, 'look']), 'the file\'s game played on', player);
    });
    await inContext(kPhone, async (context) => {
      const player = await context.newPage();
      await load(() => player.goto(url), player);
      await typeWords(player, ['stats', 'n']);
      await player.waitForFunction(() => localStorage.getItem(window.quellmoor.keptAs)?.includes('"n"'));
      const kept = await storageOf(player);
      const refused = (why) => `The file no-game.txt is not a Quellmoor game: ${why}.`;
      const noGames = [
        [Buffer.alloc(1024 * 1024 + 1, 'look\n'), refused('it is larger than 1 MB, more than any game holds')],
        [Buffer.from('n\ne\0\nlook\n'), refused('its line 2 holds a control character, which typed words never hold')],
        [Buffer.from([0x6c, 0x6f, 0x6f, 0x6b, 0x0a, 0xe9, 0x0a]), refused('it is not plain text (UTF-8)')],
        [Buffer.from('look '.repeat(20000)), refused('its line 1 is longer than 4,096 characters')],
        [Buffer.alloc(0), refused('it is empty')],
      ];
      for (const [buffer, sentence] of noGames) {
        await player.setInputFiles('#game-file', {name: 'no-game.txt', mimeType: 'text/plain', buffer});
        await player.waitForFunction((sentence) => document.getElementById('notice').textContent === sentence, sentence);
        if (buffer.length === 0) await player.screenshot({path: path.join(artefacts, 'web-phone-file-refused.png')});
      }
      await expectText(await consoleScreen(['stats', 'n']), 'the game after files refused', player);
      assert.deepEqual(await storageOf(player), kept, 'kept after files refused');
      // Windows' line ends, its byte-order mark, no end to the last line: the game as written.
      await player.setInputFiles('#game-file', {name: 'windows.txt', mimeType: 'text/plain',
                                                buffer: Buffer.from('\ufeffstats\r\nn\r\n\r\nlook')});
      await expectText(await consoleScreen(['stats', 'n', '', 'look']), 'a file written on Windows', player);
      // Dropped on the page: a file whose game ends before its last words opens at that end.
      const dropped = await player.evaluateHandle(() => {
        const files = new DataTransfer();
        files.items.add(new File(['stats\nquit\nlook\n\nlook\n'], 'ended.txt', {type: 'text/plain'}));
        return files;
      });
      await player.dispatchEvent('#screen', 'drop', {dataTransfer: dropped});
      await expectText(await consoleScreen(['stats', 'quit']), 'the end of the dropped file\'s game', player);
      assert.equal(await player.textContent('#notice [data-topic="game"]'),
                   'The game in ended.txt comes to its end after 2 of its 4 words: here it is.New game');
      // The word a game reads at its last prompt is its last: a file saved after it is whole.
      await player.setInputFiles('#game-file', {name: 'over.txt', mimeType: 'text/plain', buffer: Buffer.from('stats\nquit\nquit\n')});
      await player.waitForFunction(() => /over\.txt/.test(document.getElementById('notice').textContent));
      assert.equal(await player.textContent('#notice [data-topic="game"]'),
                   'The game in over.txt is open, over: here is its end.New game');
    });
    assertPolicyHeld();
  });

  test('at a plain http address the game plays, and the page says once, quietly, what https would add', async () => {
    const plainHttp = /This address is plain http: the game plays, but cannot be kept for play with no network/;
    await inContext({}, async (context) => {
      const visitor = await context.newPage();
      await load(() => visitor.goto(url), visitor);
      assert.doesNotMatch(await visitor.textContent('#notice'), plainHttp, 'at 127.0.0.1, a secure context');
      const address = `http://${kPlainHost}:${server.address().port}/`;
      await load(() => visitor.goto(address), visitor);
      assert.equal(await visitor.evaluate(() => window.isSecureContext), false);
      assert.match(await visitor.textContent('#notice'), plainHttp);
      assert.equal(await visitor.locator('#notice button').count(), 0, 'nothing to answer');
      await typeWords(visitor, ['stats']);
      await expectText(await consoleScreen(['stats']), 'the game at a plain http address', visitor);
      // Said once in this browser: not at the next visit.
      await load(() => visitor.goto(address), visitor);
      assert.doesNotMatch(await visitor.textContent('#notice'), plainHttp);
    });
    assertPolicyHeld();
  });

  test('a new build waits for the player, keeps the game and leaves other caches alone; a file is fetched once',
       async () => {
    // A copy of the site, served on its own, then changed as a new build changes it.
    const copy = fs.mkdtempSync(path.join(artefacts, 'site-'));
    fs.cpSync(site, copy, {recursive: true});
    const copyServer = await serve(copy, 0);
    let fetched = [];
    copyServer.on('request', (request) => fetched.push(request.url));
    const context = await browser.newContext();
    try {
      const visitor = await context.newPage();
      await load(() => visitor.goto(`http://127.0.0.1:${copyServer.address().port}/`), visitor);
      await visitor.waitForFunction(() => navigator.serviceWorker.controller);
      // The page and the worker that keeps it share what they fetch (the worker script
      // itself is the browser's to fetch, as often as it looks for a new one, and the tab's
      // icon is the browser's to fetch when it likes, at times after the worker kept it).
      const files = fetched.filter((target) => !['/sw.js', '/icon.svg'].includes(target));
      assert.deepEqual(files.filter((target, i) => files.indexOf(target) !== i), [], 'fetched twice');
      const kept = await visitor.evaluate(() => caches.keys());
      // Another app on the same host keeps its own files; the cache an older worker of the
      // game made under the name it used then is the game's to throw away.
      await visitor.evaluate(() => Promise.all(['another app', 'quellmoor-0123456789abcdef'].map(
          (name) => caches.open(name).then((cache) => cache.put('kept', new Response('!'))))));
      await typeWords(visitor, ['w', 'attack']);
      // A second tab of the same build, offered the new one too.
      const second = await context.newPage();
      await load(() => second.goto(`http://127.0.0.1:${copyServer.address().port}/`), second);
      const index = path.join(copy, 'index.html');
      fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<title>Quellmoor</title>',
                                                                      '<title>Quellmoor, rebuilt</title>'));
      // And one of the game's texts mended: the wasm changed, and quellmoor.js, which names it.
      const wasm = path.join(copy, 'quellmoor.wasm');
      const mended = Buffer.from(fs.readFileSync(wasm, 'latin1').replace('recieved', 'received'), 'latin1');
      const wasmSha256 = crypto.createHash('sha256').update(mended).digest('hex');
      fs.writeFileSync(wasm, mended);
      const script = path.join(copy, 'quellmoor.js');
      fs.writeFileSync(script, fs.readFileSync(script, 'utf8').replace(/wasmSha256 = '\w+'/, `wasmSha256 = '${wasmSha256}'`));
      for (const name of fs.readdirSync(copy).filter((name) => /\.(br|gz)$/.test(name))) fs.rmSync(path.join(copy, name));
      writeWorker(copy);
      // Even with the browser's own cache emptied, only what changed is fetched again.
      await (await context.newCDPSession(visitor)).send('Network.clearBrowserCache');
      fetched = [];
      // The player comes back to the page: it looks for a new worker, which keeps the new
      // files and waits; the page says so.
      await visitor.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
      await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes('new version'));
      // Only the page and the game changed: the other files are the worker's kept copies.
      assert.deepEqual(fetched.filter((target) => target !== '/sw.js').sort(), ['/', '/quellmoor.js', '/quellmoor.wasm'],
                       'fetched for the new build');
      // Reloaded, the page is still all of the build it was, and says the new one is ready.
      await visitor.reload();
      await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes('new version'));
      assert.equal(await visitor.title(), 'Quellmoor');
      // Loaded at the player's word, the new version goes on with the game.
      await visitor.click('#notice >> text="Load it now"');
      await visitor.waitForFunction(() => document.title === 'Quellmoor, rebuilt' && window.quellmoor?.stage === 'waiting');
      // The game goes on in it, as the new version plays its words and with its texts.
      const mendedScreen = async (words) => (await consoleScreen(words)).replaceAll('recieved', 'received');
      await expectText(await mendedScreen(['w', 'attack']), 'the game in the new version', visitor);
      assert.match(await visitor.textContent('#notice'), /brought into this new version of Quellmoor\. Play on\./);
      await typeWords(visitor, ['look']);
      await expectText(await mendedScreen(['w', 'attack', 'look']), 'the game played on in the new version', visitor);
      await visitor.waitForFunction((build) => JSON.parse(localStorage.getItem(window.quellmoor.keptAs)).build === build,
                                    wasmSha256.slice(0, 16));
      // The other tab's "Load it now" loads the new version too, which the first tab already let in.
      await second.waitForFunction(() => document.getElementById('notice').textContent.includes('new version'));
      await second.click('#notice >> text="Load it now"');
      await second.waitForFunction(() => document.title === 'Quellmoor, rebuilt' && window.quellmoor?.stage === 'waiting');
      // The worker is activated once it has thrown caches away, so what is left then is all
      // it will leave.
      await visitor.waitForFunction(() => navigator.serviceWorker.controller.state === 'activated');
      const names = await visitor.evaluate(() => caches.keys());
      assert.ok(names.some((name) => name.startsWith('quellmoor ')), `no new cache: ${names}`);
      assert.ok(!names.includes(kept[0]), `the cache it replaces is kept: ${names}`);
      assert.ok(names.includes('another app'), `the other app's cache is gone: ${names}`);
      assert.ok(!names.includes('quellmoor-0123456789abcdef'), `an older worker's cache is kept: ${names}`);
      // A build whose files the host changed on the way (one is not as built) cannot be
      // installed: said, while the version before it plays on.
      fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('rebuilt', 'built again'));
      writeWorker(copy);
      fs.appendFileSync(index, '<!-- the host\'s -->\n');
      await visitor.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
      await visitor.waitForFunction(() => document.getElementById('notice').textContent.includes('could not be installed'));
      assertPolicyHeld();
    } finally {
      await context.close();
      copyServer.close();
      fs.rmSync(copy, {recursive: true, force: true});
    }
  });
});
