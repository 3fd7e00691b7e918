// Leaves a brotli and a gzip copy beside each file of the site worth compressing (NAME.br and
// NAME.gz), made once at build time at the best compression, so that a server that sends
// such copies (web/server/server.js does) sends the smallest bytes at no cost per request. A copy
// no smaller than its file is not kept. Nor is any copy left from before that is not of the
// file now (its file gone, or its new copy not kept): nginx, Caddy and Apache send a copy
// whatever its age, in place of the file.
//   node web/tools/precompress.js SITE

'use strict';

const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');

const {kCompressible} = require('../server/server.js');

const kCoders = {
  '.br': (bytes) => zlib.brotliCompressSync(bytes, {params: {
    [zlib.constants.BROTLI_PARAM_QUALITY]: zlib.constants.BROTLI_MAX_QUALITY,
    [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length,
  }}),
  '.gz': (bytes) => zlib.gzipSync(bytes, {level: zlib.constants.Z_BEST_COMPRESSION}),
};

/** Removes the copies in `site` whose file is gone or is not one worth compressing. */
function removeOrphans(site) {
  for (const name of fs.readdirSync(site)) {
    const file = name.replace(/\.(br|gz)$/, '');
    if (file !== name && !(kCompressible.has(path.extname(file)) && fs.existsSync(path.join(site, file)))) {
      fs.rmSync(path.join(site, name));
    }
  }
}

/** Writes the compressed copies of the files now in `site`; returns the bytes before and after. */
function precompress(site) {
  removeOrphans(site);
  const sizes = {plain: 0, br: 0};
  for (const name of fs.readdirSync(site).sort()) {
    if (!kCompressible.has(path.extname(name))) continue;
    const bytes = fs.readFileSync(path.join(site, name));
    sizes.plain += bytes.length;
    for (const [extension, compress] of Object.entries(kCoders)) {
      const packed = compress(bytes);
      if (packed.length < bytes.length) fs.writeFileSync(path.join(site, name + extension), packed);
      else fs.rmSync(path.join(site, name + extension), {force: true});
      if (extension === '.br') sizes.br += Math.min(packed.length, bytes.length);
    }
  }
  return sizes;
}

module.exports = {precompress};

if (require.main === module) {
  const {plain, br} = precompress(process.argv[2]);
  console.log(`Compressed copies: ${plain} bytes of text and WebAssembly, ${br} with brotli`);
}
