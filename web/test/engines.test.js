// The page in the other engines players use: Firefox (Debian's firefox-esr, driven by
// puppeteer-core over WebDriver BiDi) and WebKit (Debian's WebKitGTK MiniBrowser, driven by
// its WebKitWebDriver through selenium-webdriver, on an Xvfb screen of its own). In each: the
// page loads, typed words and a shop's choice pressed as a button are answered with the
// console's very screen, a reload resumes the game, the page plays on with its server stopped
// after one visit, a game file dropped on it plays, and nothing is reported as an error. An engine that cannot start fails.

'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, describe, test} = require('node:test');

const puppeteer = require('puppeteer-core');
const {Builder, By, Key} = require('selenium-webdriver');
const remote = require('selenium-webdriver/remote');

const {serve} = require('../server/server.js');
const {writeWorker} = require('../tools/precache.js');
const {currentSite} = require('../tools/source_stamp.js');
const {consoleProgram, consoleScreen, normalise, scrolledBack} = require('./console_screen.js');

const site = currentSite();
const kWaitMs = 10000;
// Long for a start (15 to 30 s on a busy 2-core machine), short of waiting for ever.
const kStartMs = 90000;
// Longer than any test takes, for a browser that stops answering.
const kInTime = {timeout: 180000};

// Kept first thing in the page (a script of the site's own, which the page's policy lets
// run): every error it meets, across reloads, whatever the engine can report itself
// (WebKitWebDriver has no log to read), and whatever its policy refuses.
const kErrorRecorder = `(() => {
  const keep = (what) => sessionStorage.setItem('errors',
      JSON.stringify([...JSON.parse(sessionStorage.getItem('errors') || '[]'), String(what)]));
  addEventListener('error', (event) => keep(event.target === window ? event.message
      : 'failed to load ' + (event.target.src || event.target.href)), true);
  addEventListener('unhandledrejection', (event) => keep('unhandled rejection: ' + event.reason));
  addEventListener('securitypolicyviolation', (event) => keep(
      \`policy violation: \${event.effectiveDirective} \${event.blockedURI} \${event.sourceFile}:\${event.lineNumber}\`));
  const error = console.error;
  console.error = (...args) => {
    keep(args.join(' '));
    error.apply(console, args);
  };
})();
`;

/** A copy of the site whose page keeps its errors, with the worker that keeps that page. */
function siteRecordingErrors() {
  const copy = fs.mkdtempSync(path.join(site, '..', 'engines-'));
  fs.cpSync(site, copy, {recursive: true});
  fs.writeFileSync(path.join(copy, 'errors.js'), kErrorRecorder);
  const index = path.join(copy, 'index.html');
  // After the page's policy, which thus holds for it too (the server's holds for any page).
  const page = fs.readFileSync(index, 'utf8');
  const first = /<meta http-equiv="Content-Security-Policy"[^>]*>/.exec(page)?.[0] ?? '<head>';
  fs.writeFileSync(index, page.replace(first, first + '<script src="errors.js"></script>'));
  writeWorker(copy);
  return copy;
}

/** The first of `paths` there is, or a failure naming the package that brings it. */
function installed(paths, what) {
  const found = paths.find((file) => fs.existsSync(file));
  if (!found) assert.fail(`no ${paths.join(' or ')}: apt-get install ${what}`);
  return found;
}

/** An X server on a display of its own; resolves to {display, stop}. */
function startXvfb() {
  const xvfb = installed(['/usr/bin/Xvfb'], 'xvfb');
  const server = childProcess.spawn(xvfb, ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                                    {stdio: ['ignore', 'ignore', 'pipe', 'pipe']});
  let said = '';
  server.stderr.on('data', (bytes) => said += bytes);
  return new Promise((resolve, reject) => {
    let number = '';
    server.stdio[3].on('data', (bytes) => {
      number += bytes;
      if (number.endsWith('\n')) {
        resolve({display: `:${number.trim()}`, stop: () => server.kill()});
      }
    });
    server.on('exit', (code) => reject(new Error(`Xvfb ended (${code}): ${said}`)));
  });
}

/**
 * Firefox through puppeteer-core, over WebDriver BiDi: a browser of its own with one page.
 * The engine's adapter: what the test does in any engine.
 */
async function startFirefox() {
  const browser = await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', headless: true, timeout: kStartMs,
    executablePath: installed([process.env.FIREFOX || '/usr/bin/firefox-esr'], 'firefox-esr'),
  });
  const page = await browser.newPage().catch(async (error) => {
    await browser.close();
    throw error;
  });
  return {
    version: await browser.version(),
    goto: (url) => page.goto(url),
    reload: () => page.reload(),
    run: (script, arg) => page.evaluate(script, arg),
    waitUntil: (script, arg) => page.waitForFunction(script, {timeout: kWaitMs, polling: 50}, arg),
    async type(word) {
      await page.focus('#command');
      await page.keyboard.type(word);
      await page.keyboard.press('Enter');
    },
    click: (selector) => page.click(selector),
    close: () => browser.close(),
  };
}

/** WebKit: the MiniBrowser of Debian's WebKitGTK, through its WebKitWebDriver, on an Xvfb screen. */
async function startWebKit() {
  const driverProgram = installed([process.env.WEBKIT_WEBDRIVER || '/usr/bin/WebKitWebDriver'], 'webkit2gtk-driver');
  const lib = '/usr/lib';
  const browsers = fs.readdirSync(lib).flatMap((dir) => ['webkit2gtk-4.1', 'webkit2gtk-4.0', 'webkitgtk-6.0'].map(
      (version) => path.join(lib, dir, version, 'MiniBrowser')));
  const binary = installed(process.env.WEBKIT_MINIBROWSER ? [process.env.WEBKIT_MINIBROWSER] : browsers,
                           'webkit2gtk-driver (its MiniBrowser)');
  const screen = await startXvfb();
  let service;
  let driver;
  try {
    service = new remote.DriverService.Builder(driverProgram).setLoopback(true)
                  .setEnvironment({...process.env, DISPLAY: screen.display}).build();
    const session = new Builder().usingServer(await service.start(kStartMs)).withCapabilities({
      'browserName': 'MiniBrowser',
      'webkitgtk:browserOptions': {binary, args: ['--automation']},
    }).build();
    // The driver waits for ever for a browser that never comes.
    let timer;
    const late = new Promise((resolve, reject) => timer = setTimeout(
        () => reject(new Error(`${binary} did not start in ${kStartMs / 1000} s`)), kStartMs));
    driver = await Promise.race([session, late]).finally(() => clearTimeout(timer));
  } catch (error) {
    if (service) await service.kill();
    screen.stop();
    throw error;
  }
  const run = (script, arg) => driver.executeScript(script, arg);
  return {
    version: `WebKitGTK ${(await driver.getCapabilities()).get('browserVersion')}`,
    goto: (url) => driver.get(url),
    reload: () => driver.navigate().refresh(),
    run,
    // A script that fails while a page is being replaced has not yet come true.
    waitUntil: (script, arg) => driver.wait(() => run(script, arg).catch(() => false), kWaitMs, undefined, 50),
    type: async (word) => (await driver.findElement(By.id('command'))).sendKeys(word, Key.ENTER),
    click: async (selector) => (await driver.findElement(By.css(selector))).click(),
    async close() {
      await driver.quit();
      await service.kill();
      screen.stop();
    },
  };
}

/** The choices of the menu at the end of `screen`: the lines of its last answer that are numbered. */
function menuIn(screen) {
  const answer = screen.split(/\n{11,}/).at(-1);
  return answer.split('\n').filter((line) => /^\d+\. /.test(line)).map((line) => line.replace(/\s+/g, ' '));
}

for (const [name, start] of [['firefox', startFirefox], ['webkit', startWebKit]]) {
  describe(`the page in ${name}`, () => {
    let copy;
    let server;
    let url;
    let starting;  // the engine, started by the first test that runs: none if none does
    let engine;
    const played = [];  // the words the game has been given

    before(() => {
      consoleProgram();  // the reference, before anything is played
      copy = siteRecordingErrors();
    });

    after(async () => {
      await (await starting?.catch(() => null))?.close();
      server?.close();
      if (copy) fs.rmSync(copy, {recursive: true, force: true});
    });

    /**
     * Starts the server and the engine, and opens the page, once; an engine that cannot start
     * fails every test.
     */
    function ready() {
      starting ??= (async () => {
        server = await serve(copy, 0);
        url = `http://127.0.0.1:${server.address().port}/`;
        const startedAt = Date.now();
        const started = await start();
        console.log(`${name}: ${started.version}, started in ${Date.now() - startedAt} ms`);
        await started.goto(url);
        return started;
      })();
      return starting.then((started) => engine = started);
    }

    /** Waits until the page's screen is the console's after the words played, then fails with the difference. */
    async function expectConsoleScreen(what) {
      const want = normalise(scrolledBack(await consoleScreen(played)));
      try {
        await engine.waitUntil((want) => window.quellmoor?.text().split('\n').map((line) => line.trimEnd())
                                                   .join('\n').replace(/\n+$/, '') === want, want);
      } catch {
        // Not there in time: show how it differs.
        assert.equal(normalise(await engine.run(() => window.quellmoor?.text() ?? '(no game)')), want, what);
      }
    }

    async function play(word) {
      played.push(word);
      await engine.type(word);
      await expectConsoleScreen(`the screen after ${played.join(', ')}`);
    }

    test('loads; typed words and a shop\'s choice pressed are answered as on the console', kInTime,
         async () => {
      await ready();
      await expectConsoleScreen('the screen once loaded');
      for (const word of ['stats', 'n', 'e', 'buy']) await play(word);
      // The shop's menu: a button for each of its choices, which sends the choice's number.
      const menu = menuIn(await consoleScreen(played));
      await engine.waitUntil(() => document.querySelector('#choices button'));
      assert.deepEqual(await engine.run(() => [...document.querySelectorAll('#choices button')]
                                                  .map((button) => button.textContent)), menu);
      played.push(menu[0].split('.')[0]);
      await engine.click('#choices button:first-child');
      await expectConsoleScreen(`the screen after the button ${menu[0]}`);
    });

    test('a reload resumes the game', kInTime, async () => {
      await ready();
      await engine.reload();
      await expectConsoleScreen('the screen after a reload');
      assert.match(await engine.run(() => document.getElementById('notice').textContent), /resumed/);
    });

    test('after one visit, the page loads and plays with its server stopped', kInTime, async () => {
      await ready();
      await engine.waitUntil(() => navigator.serviceWorker.controller !== null);
      server.closeAllConnections();
      await new Promise((resolve) => server.close(resolve));
      server = null;
      await engine.reload();
      await expectConsoleScreen('the screen reloaded with no server');
      await play('stats');
    });

    test('a game file dropped on the page plays; Help says whether the browser keeps the games', kInTime, async () => {
      await ready();
      await engine.run(() => {
        const files = new DataTransfer();
        files.items.add(new File(['stats\r\nn\r\n'], 'game.txt', {type: 'text/plain'}));
        document.getElementById('screen').dispatchEvent(new DragEvent('drop', {dataTransfer: files, bubbles: true}));
      });
      played.splice(0, played.length, 'stats', 'n');
      await expectConsoleScreen('the screen of the dropped file\'s game');
      const line = await engine.run(() => document.getElementById('storage-kept').textContent);
      console.log(`${name}, asked to keep the page's storage: ${line}`);
      assert.match(line, /^This browser .*\.$/);
    });

    test('no error on the console', kInTime, async () => {
      await ready();
      assert.deepEqual(await engine.run(() => JSON.parse(sessionStorage.getItem('errors') || '[]')), []);
    });
  });
}
