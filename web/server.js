// A small static file server for the built site, on the loopback interface only.
//   node web/server.js [PORT] [FOLDER]     (defaults: 8080, build-web/site)
// Also used by the browser test, which starts it on a free port.

'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.txt': 'text/plain; charset=utf-8',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
};

// Longer request targets are refused (no file of the site has a name near this long).
const kLongestTarget = 2048;

/**
 * The file `target` (a request's path, with perhaps a query) names under `top`, or the
 * status that refuses it: 414 if it is too long, 400 if it is malformed, 403 if it leads
 * outside `top`.
 */
function fileFor(top, target) {
  if (target.length > kLongestTarget) return 414;
  const pathname = target.split(/[?#]/)[0];
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
 * Starts serving `root`; resolves to the server once it listens (port 0: any free port).
 * Every request is answered, a malformed one with a 4xx status.
 */
function serve(root, port) {
  const top = path.resolve(root);
  const server = http.createServer((request, response) => {
    const file = fileFor(top, request.url);
    if (typeof file === 'number') {
      response.writeHead(file).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404, {'Content-Type': 'text/plain'}).end('Not found\n');
        return;
      }
      response.writeHead(200, {
        'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      response.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = {serve};

if (require.main === module) {
  const port = Number(process.argv[2] || 8080);
  const root = path.resolve(process.argv[3] || path.join(__dirname, '..', 'build-web', 'site'));
  serve(root, port).then((server) => {
    console.log(`Quellmoor: http://127.0.0.1:${server.address().port}/ (Ctrl-C stops it)`);
  });
}
