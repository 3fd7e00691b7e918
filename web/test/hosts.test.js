// The hosting guide's recipes, served as a self-hoster serves them: the built site at
// /games/quellmoor/ of Debian's nginx (with its brotli module) and of Debian's Caddy, each
// configured by the very lines docs/hosting.md gives (read from it here, so the guide and
// this test cannot drift), on a loopback port, as a process the test starts and stops. Each
// must send every file with its type, its compressed copy to who accepts it, the page's
// policy and safeguards, and its folder's slash; and in Chromium the page must load, answer,
// resume, play with the server gone, and meet no violation of its policy and no error. A
// server that is not installed fails (web/tools/ci.sh installs both).

'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const {after, before, describe, test} = require('node:test');

const {launchChromium} = require('./chromium.js');
const {currentSite} = require('../tools/source_stamp.js');
const {consoleProgram, consoleScreen, normalise, scrolledBack} = require('./console_screen.js');

const site = currentSite();
const guide = fs.readFileSync(path.join(__dirname, '..', '..', 'docs', 'hosting.md'), 'utf8');
const kFolder = '/games/quellmoor/';
// Where the guide puts the site's top; the test's own folder stands in for it.
const kGuideTop = '/var/www/html';
const kStartMs = 20000;

// The types the guide names for the site's files.
const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.svg': 'image/svg+xml', '.png': 'image/png',
};

/** The lines the guide gives under `<!-- recipe: NAME -->`, the fenced block that follows it. */
function recipe(name) {
  const found = new RegExp(`<!-- recipe: ${name} -->\\n\`\`\`\\w*\\n([\\s\\S]*?)\\n\`\`\`\\n`).exec(guide);
  assert.ok(found, `docs/hosting.md gives no recipe for ${name}`);
  return found[1];
}

// The policy the page carries itself, in its <meta>: the guide's header must be that and
// frame-ancestors, which only a header can say.
const kPagePolicy = /<meta http-equiv="Content-Security-Policy" content="([^"]+)">/.exec(
    fs.readFileSync(path.join(site, 'index.html'), 'utf8'))[1];
const kSafeguards = {
  'content-security-policy': `${kPagePolicy}; frame-ancestors 'none'`,
  'x-content-type-options': 'nosniff',
  'referrer-policy': 'no-referrer',
  'cache-control': 'no-cache',
};

/** The program `name`, or a failure naming the packages that bring it. */
function installed(file, packages) {
  if (!fs.existsSync(file)) assert.fail(`no ${file}: apt-get install ${packages}`);
  return file;
}

/** A free loopback port. */
async function freePort() {
  const probe = net.createServer().listen(0, '127.0.0.1');
  await new Promise((resolve) => probe.once('listening', resolve));
  const {port} = probe.address();
  await new Promise((resolve) => probe.close(resolve));
  return port;
}

/** Resolves once something listens on `port`; fails with `log()` if `child` ends first or it takes too long. */
async function listening(child, port, log) {
  const startedAt = Date.now();
  for (;;) {
    if (child.exitCode !== null || child.signalCode !== null) assert.fail(`it ended: ${log()}`);
    if (Date.now() - startedAt > kStartMs) assert.fail(`not listening after ${kStartMs / 1000} s: ${log()}`);
    const open = await new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => socket.end(() => resolve(true)));
      socket.on('error', () => resolve(false));
    });
    if (open) return;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

/** Runs `program` with `args` in the foreground, its output kept; resolves to {stop} once it listens on `port`. */
async function startServer(program, args, port, options = {}) {
  const child = childProcess.spawn(program, args, {stdio: ['ignore', 'pipe', 'pipe'], ...options});
  let said = '';
  child.stdout.on('data', (bytes) => said += bytes);
  child.stderr.on('data', (bytes) => said += bytes);
  child.on('error', (error) => said += `${error}\n`);
  const stop = async () => {
    if (child.exitCode !== null || child.signalCode !== null) return;
    const ended = new Promise((resolve) => child.once('exit', resolve));
    child.kill();
    await ended;
  };
  try {
    await listening(child, port, () => said);
  } catch (error) {
    await stop();
    throw error;
  }
  return {stop, said: () => said};
}

/** nginx, as Debian builds it, with a server block of the guide's lines. */
async function startNginx(top, work, port) {
  const nginx = installed('/usr/sbin/nginx', 'nginx');
  const brotli = installed('/usr/lib/nginx/modules/ngx_http_brotli_static_module.so', 'libnginx-mod-http-brotli-static');
  const config = path.join(work, 'nginx.conf');
  // What /etc/nginx/nginx.conf and the package's module list do, in the foreground, its
  // files in the test's folder.
  fs.writeFileSync(config, `load_module ${brotli};
daemon off;
master_process off;
pid ${work}/nginx.pid;
error_log ${work}/error.log;
events {}
http {
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    access_log off;
    client_body_temp_path ${work}/body;
    proxy_temp_path ${work}/proxy;
    fastcgi_temp_path ${work}/fastcgi;
    uwsgi_temp_path ${work}/uwsgi;
    scgi_temp_path ${work}/scgi;
    server {
        listen 127.0.0.1:${port};
        root ${top};
${recipe('nginx')}
    }
}
`);
  return startServer(nginx, ['-p', work, '-c', config, '-e', path.join(work, 'error.log')], port);
}

/** Caddy, as Debian packages it, with a site of the guide's lines. */
async function startCaddy(top, work, port) {
  const caddy = installed('/usr/bin/caddy', 'caddy');
  const config = path.join(work, 'Caddyfile');
  // No admin endpoint (its port is one for the whole machine), no certificates: plain http.
  fs.writeFileSync(config, `{
	admin off
	auto_https off
	storage file_system ${work}/caddy
}
http://127.0.0.1:${port} {
${recipe('caddy').replaceAll(kGuideTop, top)}
}
`);
  return startServer(caddy, ['run', '--config', config, '--adapter', 'caddyfile'], port,
                     {env: {...process.env, HOME: work, XDG_CONFIG_HOME: work, XDG_DATA_HOME: work}});
}

/** The answer to GET `target` with `headers`: status, headers and the body's bytes as sent. */
function get(port, target, headers = {}) {
  return new Promise((resolve, reject) => {
    http.get({host: '127.0.0.1', port, path: target, headers, agent: false}, (response) => {
      const chunks = [];
      response.on('data', (chunk) => chunks.push(chunk));
      response.on('end', () => resolve({status: response.statusCode, headers: response.headers,
                                        body: Buffer.concat(chunks)}));
    }).on('error', reject);
  });
}

const kUnpack = {br: zlib.brotliDecompressSync, gzip: zlib.gunzipSync, undefined: (bytes) => bytes};

test('every policy the guide gives, for any server, is the page\'s own with frame-ancestors', () => {
  const given = guide.match(/default-src 'self'[^"\n]*/g);
  assert.ok(given.length >= 5, `${given.length} policies in the guide`);
  for (const policy of given) assert.equal(policy, kSafeguards['content-security-policy']);
});

for (const [name, start] of [['nginx', startNginx], ['caddy', startCaddy]]) {
  describe(`the guide's ${name}`, () => {
    let work;
    let server;
    let port;
    let browser;

    before(async () => {
      consoleProgram();  // the reference, before anything is played
      work = fs.mkdtempSync(path.join(os.tmpdir(), `quellmoor-${name}-`));
      const top = path.join(work, 'www');
      fs.mkdirSync(path.join(top, 'games'), {recursive: true});
      fs.cpSync(site, path.join(top, kFolder), {recursive: true});
      port = await freePort();
      server = await start(top, work, port);
    });

    after(async () => {
      await browser?.close();
      await server?.stop();
      if (work) fs.rmSync(work, {recursive: true, force: true});
    });

    test('sends every file with its type, its compressed copy to who accepts it, the policy and safeguards',
         async () => {
      const files = fs.readdirSync(site).filter((file) => !/\.(br|gz)$/.test(file));
      for (const file of files) {
        const bytes = fs.readFileSync(path.join(site, file));
        const compressed = fs.existsSync(path.join(site, `${file}.br`));
        for (const accepted of ['br, gzip', 'gzip', 'identity']) {
          const what = `${file} to "${accepted}"`;
          const answer = await get(port, kFolder + file, {'accept-encoding': accepted});
          assert.equal(answer.status, 200, what);
          assert.equal((answer.headers['content-type'] ?? '(none)').split(';')[0], kTypes[path.extname(file)], what);
          const coding = answer.headers['content-encoding'];
          assert.equal(coding, compressed && accepted !== 'identity' ? accepted.split(',')[0] : undefined, what);
          assert.deepEqual(kUnpack[coding](answer.body), bytes, what);
          // A cache between must not give the copy to a browser that did not ask for it.
          if (coding) assert.match(answer.headers.vary ?? '', /accept-encoding/i, what);
          for (const [header, value] of Object.entries(kSafeguards)) assert.equal(answer.headers[header], value, `${what}: ${header}`);
        }
      }
      const page = await get(port, kFolder, {'accept-encoding': 'br, gzip'});
      assert.deepEqual([page.status, page.headers['content-encoding']], [200, 'br']);
      assert.deepEqual(kUnpack.br(page.body), fs.readFileSync(path.join(site, 'index.html')));
      // The folder asked for without its slash is sent to it.
      const bare = await get(port, kFolder.slice(0, -1));
      assert.ok([301, 308].includes(bare.status), `${bare.status} for ${kFolder.slice(0, -1)}`);
      assert.equal(new URL(bare.headers.location, `http://127.0.0.1:${port}${kFolder}`).pathname, kFolder);
    });

    test('in chromium the page loads, answers, resumes, plays with the server gone, under its policy, with no error',
         async () => {
      browser = await launchChromium();
      const context = await browser.newContext();
      const problems = [];
      await context.addInitScript(() => addEventListener('securitypolicyviolation', (event) => {
        console.error(`policy violation: ${event.effectiveDirective} ${event.blockedURI}`);
      }));
      const received = [];
      context.on('console', (message) => message.type() === 'error' && problems.push(message.text()));
      context.on('weberror', (error) => problems.push(`${error.error()}`));
      context.on('response', (response) => received.push(response));
      const visitor = await context.newPage();
      const played = [];
      const expectScreen = async (what) => {
        const want = normalise(scrolledBack(await consoleScreen(played)));
        try {
          await visitor.waitForFunction((want) => (window.quellmoor?.text() ?? '').split('\n')
              .map((line) => line.trimEnd()).join('\n').replace(/\n+$/, '') === want, want, {timeout: 10000, polling: 50});
        } catch {
          assert.equal(normalise(await visitor.evaluate(() => window.quellmoor?.text() ?? '(no game)')), want, what);
        }
      };
      const play = async (word) => {
        played.push(word);
        await visitor.focus('#command');
        await visitor.keyboard.type(word);
        await visitor.keyboard.press('Enter');
        await expectScreen(`the screen after ${played.join(', ')}`);
      };

      await visitor.goto(`http://127.0.0.1:${port}${kFolder.slice(0, -1)}`);
      assert.equal(new URL(visitor.url()).pathname, kFolder);
      await expectScreen('the screen once loaded');
      await play('stats');
      await play('n');
      // The browser got the copies: the page's own files came compressed, with their types.
      const served = received.filter((response) => response.url().includes(kFolder) && response.status() === 200);
      for (const file of ['', 'page.js', 'page.css', 'quellmoor.js', 'quellmoor.wasm']) {
        const answer = served.find((response) => new URL(response.url()).pathname === kFolder + file);
        assert.ok(answer, `${file || 'the page'} not fetched`);
        assert.match((await answer.allHeaders())['content-encoding'] ?? 'none', /^(br|gzip)$/, file || 'the page');
      }
      await visitor.reload();
      await expectScreen('the screen after a reload');
      assert.match(await visitor.textContent('#notice'), /resumed/);
      await visitor.waitForFunction(() => navigator.serviceWorker.controller !== null);
      await server.stop();
      await visitor.reload();
      await expectScreen('the screen reloaded with the server gone');
      await play('look');
      assert.deepEqual(problems, [], 'errors and violations of the page\'s policy');
    });
  });
}
