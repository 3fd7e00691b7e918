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
};

/** Starts serving `root`; resolves to the server once it listens (port 0: any free port). */
function serve(root, port) {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    let name;
    try {
      name = decodeURIComponent(url.pathname);
    } catch {
      response.writeHead(400).end();  // a malformed %-escape
      return;
    }
    const top = path.resolve(root);
    let file = path.resolve(top, '.' + name);
    if (file !== top && !file.startsWith(top + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    if (url.pathname.endsWith('/')) file = path.join(file, 'index.html');
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
