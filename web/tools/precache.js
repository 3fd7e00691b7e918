// Writes the site's service worker: web/worker/sw.js with the list of the site's files, the SHA-256
// of each, and a hash of them all that names the build.
//   node web/tools/precache.js SITE

'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

/** Writes SITE/sw.js for the files now in `site`; returns the build's hash. */
function writeWorker(site) {
  const template = fs.readFileSync(path.join(__dirname, '..', 'worker', 'sw.js'), 'utf8');
  const files = {};
  for (const name of fs.readdirSync(site).sort()) {
    // Compressed twins of the files, if the site has them, are the server's business.
    if (name !== 'sw.js' && !/\.(gz|br)$/.test(name)) {
      files[name] = sha256(fs.readFileSync(path.join(site, name)));
    }
  }
  // The page's own address is its index.html.
  const list = {'./': files['index.html'], ...files};
  const build = sha256(JSON.stringify(list) + template).slice(0, 16);
  const worker = template.replace('@BUILD_FILES@', JSON.stringify(list, null, 2))
                         .replace('@BUILD_HASH@', build);
  fs.writeFileSync(path.join(site, 'sw.js'), worker);
  return build;
}

module.exports = {writeWorker};

if (require.main === module) {
  console.log(`Build ${writeWorker(process.argv[2])}`);
}
