// A small static file server for the built site, on the loopback interface only.
//   node web/server/server.js [PORT] [FOLDER]     (defaults: 8080, build-web/site; port 0: any free one)
// Also used by the page's tests, which start it on a free port.
//
// It answers as a browser expects of a static site: GET and HEAD only; every answer with
// its length; an ETag (a hash of the file's bytes) so that a repeat visit gets 304 Not
// Modified; text and WebAssembly compressed for a browser that accepts it (the brotli or gzip
// copy a build left beside the file, else gzipped here); one byte range if asked. The site is
// its folder: a path that leads out of it, by `..` or through a symbolic link, is refused,
// and so is anything but a regular file.

'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.txt': 'text/plain; charset=utf-8',
  '.json': 'application/json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
};

// Worth compressing: text and WebAssembly (a PNG is compressed already).
const kCompressible = new Set(['.html', '.js', '.mjs', '.css', '.wasm', '.txt', '.json', '.svg', '.webmanifest']);

// Sent with every answer. The page's own policy (its <meta> in index.html) with what only a
// header can say: that no other site may frame the page (a click on a framed, hidden page
// would be the player's). The rest: no file is taken for another type than it is sent as, and
// no other site learns the page's address from a link followed from it.
const kPolicy = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; " +
                "font-src 'none'; connect-src 'self'; manifest-src 'self'; worker-src 'self'; frame-src 'none'; " +
                "object-src 'none'; base-uri 'none'; form-action 'none'";
const kSafeguards = {
  'Content-Security-Policy': `${kPolicy}; frame-ancestors 'none'`,
  'X-Content-Type-Options': 'nosniff',
  'Referrer-Policy': 'no-referrer',
};

// Longer paths are refused (no file of the site has a name near this long). The query is not
// counted: the server ignores it, and Node refuses a request line over 16 KB on its own.
const kLongestPath = 2048;

/**
 * The file `target` (a request's target, with perhaps a query) names under `top`, or the
 * status that refuses it: 414 if its path is too long, 400 if it is malformed, 403 if it
 * leads outside `top` by `..`. An absolute-form target (`http://host/a.js`, as sent to a
 * proxy) names the same file as its path.
 */
function fileFor(top, target) {
  const absolute = /^https?:\/\/[^/?#]*/i.exec(target);
  let pathname = target.slice(absolute ? absolute[0].length : 0).split(/[?#]/)[0];
  if (absolute && pathname === '') pathname = '/';
  if (pathname.length > kLongestPath) return 414;
  let name;
  try {
    name = decodeURIComponent(pathname);
  } catch {
    return 400;  // a malformed %-escape
  }
  if (!name.startsWith('/') || name.includes('\0')) return 400;
  const file = path.resolve(top, '.' + name);
  if (file !== top && !file.startsWith(top + path.sep)) return 403;
  return name.endsWith('/') ? path.join(file, 'index.html') : file;
}

/**
 * `file` if it is a regular file of the site whose real folder is `realTop`, as {bytes,
 * modified}; or null. A symbolic link that leads outside the site names no file of it (404, as
 * for a file that is not there, so that nothing outside the site can be probed); a link to a
 * file inside is followed. A folder, FIFO, socket or device is no file either: it is never
 * read (a read of a FIFO waits for a writer, holding one of Node's few threads for good), and
 * the file is opened without waiting, then checked again, in case it changed in between.
 */
async function siteFile(realTop, file) {
  let handle;
  try {
    const real = await fs.promises.realpath(file);
    if (!real.startsWith(realTop + path.sep) || !(await fs.promises.stat(real)).isFile()) return null;
    handle = await fs.promises.open(real, fs.constants.O_RDONLY | (fs.constants.O_NONBLOCK ?? 0));
    const stats = await handle.stat();
    return stats.isFile() ? {bytes: await handle.readFile(), modified: stats.mtimeMs} : null;
  } catch {
    return null;  // not there, or unreadable
  } finally {
    await handle?.close();
  }
}

/**
 * The encodings an Accept-Encoding header lets the answer have, of those the server makes,
 * best first: 'br' before 'gzip' where both are as welcome (`gzip;q=0` refuses gzip).
 */
function acceptedEncodings(header = '') {
  const weights = new Map();
  for (const part of header.toLowerCase().split(',')) {
    const [coding, ...parameters] = part.split(';').map((word) => word.trim());
    const q = parameters.find((parameter) => parameter.startsWith('q='));
    weights.set(coding === 'x-gzip' ? 'gzip' : coding, q === undefined ? 1 : Number(q.slice(2)));
  }
  const weightOf = (coding) => weights.get(coding) ?? weights.get('*') ?? 0;
  return ['br', 'gzip'].filter((coding) => weightOf(coding) > 0)
                       .sort((a, b) => weightOf(b) - weightOf(a));
}

/** Whether an If-None-Match header names `etag` (or any: `*`). */
function matchesTag(header, etag) {
  if (header === undefined) return false;
  return header.trim() === '*' || header.split(',').some((tag) => tag.trim().replace(/^W\//, '') === etag);
}

/**
 * The one byte range [start, end] a Range header asks of `size` bytes; null to send them
 * whole (no range, several, or one malformed: ignoring them is allowed), 'unsatisfiable' if
 * it lies past the end.
 */
function rangeOf(header, size) {
  const match = /^bytes=(\d*)-(\d*)$/.exec(header?.trim() ?? '');
  if (!match || match[1] + match[2] === '') return null;
  const [first, last] = [match[1], match[2]].map((digits) => digits === '' ? null : Number(digits));
  if (first === null) {  // the last `last` bytes
    return last === 0 || size === 0 ? 'unsatisfiable' : {start: Math.max(0, size - last), end: size - 1};
  }
  if (last !== null && last < first) return null;
  if (first >= size) return 'unsatisfiable';
  return {start: first, end: last === null ? size - 1 : Math.min(last, size - 1)};
}

/**
 * Gzips the files it is asked for, once for each version of each: the last gzipped bytes
 * of every file, under the hash of what they were made from.
 */
class GzipCache {
  #kept = new Map();  // file -> {hash, gzipped}

  async of(file, hash, bytes) {
    const kept = this.#kept.get(file);
    if (kept?.hash === hash) return kept.gzipped;
    const gzipped = await new Promise((resolve, reject) => {
      zlib.gzip(bytes, {level: 9}, (error, result) => error ? reject(error) : resolve(result));
    });
    this.#kept.set(file, {hash, gzipped});
    return gzipped;
  }
}

/**
 * Whether `file`, not a file of the site, is a folder of it: asked for without its slash, it is
 * sent there (its page's relative addresses would otherwise name files of the folder above).
 */
async function isSiteFolder(realTop, file) {
  try {
    const real = await fs.promises.realpath(file);
    return real.startsWith(realTop + path.sep) && (await fs.promises.stat(real)).isDirectory();
  } catch {
    return false;
  }
}

/**
 * Sends the folder `target` names (a path without its slash, perhaps a query) to its slash, by an
 * address relative to it, which no path can turn into another site's (`//elsewhere`).
 */
function toFolder(response, target) {
  const [pathname, query] = /^([^?#]*)(\?[^#]*)?/.exec(target.replace(/^https?:\/\/[^/?#]*/i, '')).slice(1);
  const location = `./${pathname.slice(pathname.lastIndexOf('/') + 1)}/${query ?? ''}`;
  refuse(response, 301, {Location: location});
}

/** Ends `response` with `status`, a line that says it, and `headers`. */
function refuse(response, status, headers = {}) {
  const text = `${status} ${http.STATUS_CODES[status]}\n`;
  response.writeHead(status, {
    'Content-Type': 'text/plain; charset=utf-8',
    'Content-Length': Buffer.byteLength(text),
    ...headers,
  });
  response.end(text);  // Node sends no body to HEAD
}

// Compressed copies a build may leave beside a file (web/tools/precompress.js makes them).
const kTwins = {br: '.br', gzip: '.gz'};

/**
 * What is sent of `found`, the site's file `file` as siteFile finds it, to `request`: the body
 * and the headers that describe it, ETag included. Compressed, it is the file's compressed
 * copy beside it where there is one no older than the file, else gzipped here. A range is of
 * the file's own bytes, so a request with one gets them uncompressed.
 */
async function representation(file, found, realTop, request, gzipCache) {
  const {bytes} = found;
  const extension = path.extname(file);
  const hash = crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 32);
  const headers = {
    'Content-Type': kTypes[extension] || 'application/octet-stream',
    'Cache-Control': 'no-cache',  // may be kept, but asked about again (a 304 is cheap)
    'Accept-Ranges': 'bytes',
    'ETag': `"${hash}"`,
  };
  if (!kCompressible.has(extension)) return {body: bytes, headers};
  headers.Vary = 'Accept-Encoding';
  const encodings = request.headers.range === undefined ? acceptedEncodings(request.headers['accept-encoding']) : [];
  const encoded = (body, coding) => ({body, headers: {...headers, 'Content-Encoding': coding,
                                                      'ETag': `"${hash}-${coding}"`}});
  for (const coding of encodings) {
    const twin = await siteFile(realTop, file + kTwins[coding]);
    if (twin && twin.modified >= found.modified) return encoded(twin.bytes, coding);
  }
  if (!encodings.includes('gzip')) return {body: bytes, headers};
  const gzipped = await gzipCache.of(file, hash, bytes);
  return gzipped.length < bytes.length ? encoded(gzipped, 'gzip') : {body: bytes, headers};
}

/** Answers one request for a file of the site whose folder is `top` (real: `realTop`). */
async function answer(top, realTop, gzipCache, request, response) {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    refuse(response, 405, {Allow: 'GET, HEAD'});
    return;
  }
  const file = fileFor(top, request.url);
  const found = typeof file === 'number' ? null : await siteFile(realTop, file);
  if (found === null && typeof file === 'string' && await isSiteFolder(realTop, file)) {
    toFolder(response, request.url);
    return;
  }
  if (found === null) {
    refuse(response, typeof file === 'number' ? file : 404);
    return;
  }
  let {body, headers} = await representation(file, found, realTop, request, gzipCache);
  if (matchesTag(request.headers['if-none-match'], headers.ETag)) {
    response.writeHead(304, headers).end();
    return;
  }
  // A range only for GET, and with If-Range only of this very version.
  const ifRange = request.headers['if-range'];
  const wanted = request.method === 'GET' && (ifRange === undefined || ifRange === headers.ETag)
                     ? rangeOf(request.headers.range, body.length) : null;
  if (wanted === 'unsatisfiable') {
    refuse(response, 416, {'Content-Range': `bytes */${body.length}`});
    return;
  }
  if (wanted !== null) {
    headers = {...headers, 'Content-Range': `bytes ${wanted.start}-${wanted.end}/${body.length}`};
    body = body.subarray(wanted.start, wanted.end + 1);
  }
  response.writeHead(wanted === null ? 200 : 206, {...headers, 'Content-Length': body.length});
  response.end(body);  // Node sends no body to HEAD
}

/**
 * Starts serving the folder `root`; resolves to the server once it listens on `port` (0:
 * any free port), rejects if the folder is not there or the port cannot be had. Every
 * request is answered, a malformed one with a 4xx status.
 */
async function serve(root, port) {
  const top = path.resolve(root);
  const realTop = await fs.promises.realpath(top);
  if (!(await fs.promises.stat(realTop)).isDirectory()) {
    throw Object.assign(new Error(`${top} is not a folder`), {code: 'ENOTDIR'});
  }
  const gzipCache = new GzipCache();
  const server = http.createServer((request, response) => {
    for (const [name, value] of Object.entries(kSafeguards)) response.setHeader(name, value);
    answer(top, realTop, gzipCache, request, response).catch(() => {
      if (response.headersSent) response.destroy();
      else refuse(response, 500);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      server.off('error', reject);
      resolve(server);
    });
  });
}

module.exports = {serve, kCompressible, kSafeguards};

/** What stopped the server from starting, in words, for the port `port` and the folder `root`. */
function whyNot(error, port, root) {
  if (error.code === 'EADDRINUSE') return `port ${port} is in use; give another`;
  if (error.code === 'EACCES' && error.syscall === 'listen') {
    return `port ${port} needs privileges this user lacks; give one above 1023`;
  }
  if (error.code === 'ENOENT' || error.code === 'ENOTDIR') {
    return `no folder ${root}; build the site first (web/tools/build.sh)`;
  }
  return error.message.split('\n')[0];
}

if (require.main === module) {
  const [portText = '8080', root = path.join(__dirname, '..', '..', 'build-web', 'site')] = process.argv.slice(2);
  const fail = (why) => {
    process.stderr.write(`Quellmoor: ${why}\n`);
    process.exit(1);
  };
  if (!/^\d{1,5}$/.test(portText) || Number(portText) > 65535) {
    fail(`"${portText}" is not a port: give a number from 1 to 65535 (or 0, any free port)`);
  }
  serve(root, Number(portText)).then((server) => {
    console.log(`Quellmoor: http://127.0.0.1:${server.address().port}/ (Ctrl-C stops it)`);
  }, (error) => fail(whyNot(error, portText, root)));
}
