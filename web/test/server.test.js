// The small static server that web/tools/serve.sh runs and the page's tests use, on a little site
// of its own: what it answers, what it refuses, and how it says it cannot start. It runs in
// a process of its own, as web/tools/serve.sh runs it: what would kill it must not.

'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const {once} = require('node:events');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const {after, before, test} = require('node:test');

// The site: a page, a script long enough to be worth compressing, another left with brotli and
// gzip copies beside it, two symbolic links, one to the script, one to a file outside the site,
// and a FIFO.
const top = fs.mkdtempSync(path.join(os.tmpdir(), 'quellmoor-server-'));
const site = path.join(top, 'site');
const script = Buffer.from('console.log("Welcome to Quellmoor");\n'.repeat(40));
fs.mkdirSync(site);
fs.writeFileSync(path.join(site, 'index.html'), '<!doctype html><title>Quellmoor</title>\n');
fs.writeFileSync(path.join(site, 'game.js'), script);
fs.writeFileSync(path.join(top, 'secret.txt'), 'not part of the site\n');
fs.symlinkSync('game.js', path.join(site, 'alias.js'));
fs.symlinkSync(path.join('..', 'secret.txt'), path.join(site, 'secret.txt'));
const packed = Buffer.from('console.log("Packed beforehand");\n'.repeat(40));
fs.writeFileSync(path.join(site, 'packed.js'), packed);
fs.writeFileSync(path.join(site, 'packed.js.br'), zlib.brotliCompressSync(packed));
fs.writeFileSync(path.join(site, 'packed.js.gz'), zlib.gzipSync(packed));
childProcess.execFileSync('mkfifo', [path.join(site, 'pipe.js')]);
// A game in a folder of the site, as a host puts it at /games/quellmoor/, and a link to a
// folder outside the site.
fs.mkdirSync(path.join(site, 'games', 'quellmoor'), {recursive: true});
fs.writeFileSync(path.join(site, 'games', 'quellmoor', 'index.html'), '<!doctype html><title>Quellmoor</title>\n');
fs.symlinkSync(top, path.join(site, 'outside'));

// The policy the page itself carries (its <meta>), which the server's header must repeat.
const pagePolicy = /<meta http-equiv="Content-Security-Policy" content="([^"]+)">/.exec(
    fs.readFileSync(path.join(__dirname, '..', 'page', 'index.html'), 'utf8'))[1];

/**
 * Runs web/server/server.js with `args`: resolves to the process and its port once it serves, or
 * to its exit status and standard error if it ends first.
 */
function startServer(args) {
  const child = childProcess.spawn(process.execPath, [path.join(__dirname, '..', 'server', 'server.js'), ...args],
                                   {stdio: ['ignore', 'pipe', 'pipe']});
  let stderr = '';
  child.stderr.on('data', (chunk) => stderr += chunk);
  return new Promise((resolve) => {
    child.stdout.once('data', (banner) => resolve({child, port: Number(/:(\d+)\//.exec(banner)[1])}));
    child.once('close', (status) => resolve({status, stderr}));
  });
}

/** The server's answer to `target`, sent exactly as it is: status, headers and the body's bytes. */
function ask(port, target, {method = 'GET', headers = {}, timeout = 5000} = {}) {
  return new Promise((resolve, reject) => {
    const request = http.request({host: '127.0.0.1', port, path: target, method, headers, agent: false},
                                 (response) => {
                                   const chunks = [];
                                   response.on('data', (chunk) => chunks.push(chunk));
                                   response.on('end', () => resolve({status: response.statusCode,
                                                                     headers: response.headers,
                                                                     body: Buffer.concat(chunks)}));
                                 });
    request.on('error', reject);
    request.setTimeout(timeout, () => request.destroy(new Error(`no answer to ${method} ${target.slice(0, 20)}`)));
    request.end();
  });
}

let server;
before(async () => server = await startServer(['0', site]));
after(() => {
  server.child?.kill();
  fs.rmSync(top, {recursive: true, force: true});
});

test('the server answers every request, a malformed one with a 4xx, and goes on serving', async () => {
  const answers = [['//', 200], ['/%00', 400], ['/%zz', 400], ['/' + 'x'.repeat(9000), 414],
                   ['/../etc/passwd', 403], ['/nothing', 404], ['/alias.js', 200], ['/secret.txt', 404],
                   ['http://127.0.0.1/index.html', 200], ['/index.html?' + 'q'.repeat(3000), 200],
                   ['/index.html', 200]];
  for (const [target, status] of answers) {
    assert.equal((await ask(server.port, target)).status, status, target.slice(0, 30));
  }
  // A FIFO is no file: refused at once, however often, with every thread of Node's pool free.
  const pipes = await Promise.all(new Array(6).fill().map(() => ask(server.port, '/pipe.js', {timeout: 1000})));
  assert.deepEqual(pipes.map((answer) => answer.status), new Array(6).fill(404));
  assert.equal((await ask(server.port, '/game.js', {timeout: 1000})).status, 200, 'after the FIFO');
  for (const method of ['POST', 'PUT', 'DELETE', 'OPTIONS']) {
    const answer = await ask(server.port, '/index.html', {method});
    assert.deepEqual([answer.status, answer.headers.allow], [405, 'GET, HEAD'], method);
  }
});

test('a file goes with its length, gzipped to who accepts it, in one range if asked, not again unchanged',
     async () => {
       const whole = await ask(server.port, '/game.js');
       const head = await ask(server.port, '/game.js', {method: 'HEAD'});
       for (const answer of [whole, head]) {
         assert.equal(answer.headers['content-length'], String(script.length));
         assert.equal(answer.headers['transfer-encoding'], undefined);
       }
       assert.deepEqual([whole.body, head.body.length], [script, 0]);
       const refused = await ask(server.port, '/game.js', {headers: {'accept-encoding': 'gzip;q=0, identity'}});
       assert.deepEqual(refused.body, script);

       const gzipped = await ask(server.port, '/game.js', {headers: {'accept-encoding': 'gzip, deflate, br'}});
       assert.equal(gzipped.headers['content-encoding'], 'gzip');
       assert.equal(gzipped.headers.vary, 'Accept-Encoding');
       assert.equal(gzipped.headers['content-length'], String(gzipped.body.length));
       assert.ok(gzipped.body.length < script.length / 4, `${gzipped.body.length} bytes gzipped`);
       assert.deepEqual(zlib.gunzipSync(gzipped.body), script);

       // Copies compressed beforehand are sent as they are, brotli first; one older than its file is not.
       for (const [accepted, coding, unpack] of [['gzip, deflate, br', 'br', zlib.brotliDecompressSync],
                                                 ['gzip', 'gzip', zlib.gunzipSync]]) {
         const answer = await ask(server.port, '/packed.js', {headers: {'accept-encoding': accepted}});
         assert.deepEqual([answer.headers['content-encoding'], unpack(answer.body)], [coding, packed], accepted);
       }
       const stale = new Date(Date.now() - 60000);
       fs.utimesSync(path.join(site, 'packed.js.br'), stale, stale);
       const fresh = await ask(server.port, '/packed.js', {headers: {'accept-encoding': 'br, gzip;q=0.5'}});
       assert.deepEqual([fresh.headers['content-encoding'], zlib.gunzipSync(fresh.body)], ['gzip', packed]);

       const repeat = await ask(server.port, '/game.js',
                                {headers: {'accept-encoding': 'gzip', 'if-none-match': gzipped.headers.etag}});
       assert.deepEqual([repeat.status, repeat.body.length], [304, 0]);
       // A file changed to as many other bytes is new.
       const page = await ask(server.port, '/index.html');
       fs.writeFileSync(path.join(site, 'index.html'), page.body.toString().replace('Quellmoor', 'Elsewhere'));
       const changed = await ask(server.port, '/index.html', {headers: {'if-none-match': page.headers.etag}});
       assert.equal(changed.status, 200);
       // A download resumed across the change, asking for the rest of the version it had, gets
       // the whole new file: the rest of another would corrupt it. The same version, its rest.
       const newPage = fs.readFileSync(path.join(site, 'index.html'));
       for (const [version, status, body] of [[page.headers.etag, 200, newPage],
                                              [changed.headers.etag, 206, newPage.subarray(9)]]) {
         const resumed = await ask(server.port, '/index.html', {headers: {range: 'bytes=9-', 'if-range': version}});
         assert.deepEqual([resumed.status, resumed.body], [status, body], `If-Range: ${version}`);
       }

       const part = await ask(server.port, '/game.js', {headers: {range: 'bytes=8-11', 'accept-encoding': 'gzip'}});
       assert.deepEqual([part.status, part.headers['content-range'], part.body.toString()],
                        [206, `bytes 8-11/${script.length}`, 'log(']);
       // A suffix range: the last bytes, as many as asked.
       const tail = await ask(server.port, '/game.js', {headers: {range: 'bytes=-4'}});
       assert.deepEqual([tail.status, tail.headers['content-range'], tail.body],
                        [206, `bytes ${script.length - 4}-${script.length - 1}/${script.length}`, script.subarray(-4)]);
       const beyond = await ask(server.port, '/game.js', {headers: {range: `bytes=${script.length}-`}});
       assert.deepEqual([beyond.status, beyond.headers['content-range']], [416, `bytes */${script.length}`]);
     });

test('every answer carries the page\'s policy, framing refused, no sniffing, no referrer; a folder goes to its slash',
     async () => {
  const answers = [['/index.html', {}, 200], ['/nothing', {}, 404], ['/../etc/passwd', {}, 403],
                   ['/index.html', {method: 'POST'}, 405], ['/games/quellmoor', {}, 301]];
  const first = await ask(server.port, '/game.js');
  answers.push(['/game.js', {headers: {'if-none-match': first.headers.etag}}, 304]);
  for (const [target, options, status] of answers) {
    const answer = await ask(server.port, target, options);
    const what = `${options.method ?? 'GET'} ${target}`;
    assert.equal(answer.status, status, what);
    assert.deepEqual([answer.headers['content-security-policy'], answer.headers['x-content-type-options'],
                      answer.headers['referrer-policy']],
                     [`${pagePolicy}; frame-ancestors 'none'`, 'nosniff', 'no-referrer'], what);
  }
  // Relative to where it was asked, so that no path sends the browser to another site; the query kept.
  for (const [target, location] of [['/games/quellmoor', './quellmoor/'], ['/games?from=mail', './games/?from=mail'],
                                    ['//games', './games/'], ['http://127.0.0.1/games', './games/']]) {
    const answer = await ask(server.port, target);
    assert.deepEqual([answer.status, answer.headers.location], [301, location], target);
  }
  assert.equal((await ask(server.port, '/games/quellmoor/')).status, 200);
  assert.equal((await ask(server.port, '/outside')).status, 404, 'a folder outside the site');
});

test('a port it cannot use, or a folder that is not there, is said in one line', async () => {
  const taken = net.createServer().listen(0, '127.0.0.1');
  await once(taken, 'listening');
  const inUse = String(taken.address().port);
  const missing = path.join(top, 'unbuilt');
  const cases = [[['notaport', site], /"notaport" is not a port/], [['70000', site], /"70000" is not a port/],
                 [[inUse, site], new RegExp(`port ${inUse} is in use`)], [['0', missing], /no folder/]];
  try {
    for (const [args, says] of cases) {
      const run = await startServer(args);
      run.child?.kill();
      assert.notEqual(run.status ?? 0, 0, `${args} served`);
      assert.match(run.stderr, /^[^\n]+\n$/, args.join(' '));
      assert.match(run.stderr, says);
    }
  } finally {
    taken.close();
  }
});
