// The sources a build of the site is made from, each with its SHA-256, in the form `sha256sum`
// prints: web/tools/build.sh writes the list beside the site it builds (build-web/site.sources),
// and the page's tests refuse a site whose list is not that of the sources as they are now.
//   node web/tools/source_stamp.js                prints the list for the sources now
//   node web/tools/source_stamp.js --check LIST   names what changed since LIST; fails if anything did

'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const kRoot = path.join(__dirname, '..', '..');

// What goes into the site: the game's sources and build (the wasm is built from them), the
// page, its worker, the wasm's own entry, the tools that assemble the site, and the bundler's
// version (the lock file).
const kSources = ['CMakeLists.txt', 'cmake', 'src', 'web/page', 'web/worker', 'web/wasm',
                  'web/tools/build.sh', 'web/tools/precache.js', 'web/tools/precompress.js',
                  'package-lock.json'];

/** The files under `name` (a file or a folder), relative to the top of the repository. */
function filesUnder(name) {
  if (!fs.statSync(path.join(kRoot, name)).isDirectory()) return [name];
  return fs.readdirSync(path.join(kRoot, name)).flatMap((entry) => filesUnder(path.posix.join(name, entry)));
}

/** The list of the sources now: "SHA-256  PATH" a line, by path. */
function sourceList() {
  return kSources.flatMap(filesUnder).sort().map((file) => {
    const hash = crypto.createHash('sha256').update(fs.readFileSync(path.join(kRoot, file))).digest('hex');
    return `${hash}  ${file}\n`;
  }).join('');
}

/** The paths whose line differs between two lists (changed, added or gone). */
function changedBetween(before, now) {
  const paths = (list) => new Map(list.split('\n').filter(Boolean).map((line) => [line.slice(66), line]));
  const was = paths(before);
  const is = paths(now);
  return [...new Set([...was.keys(), ...is.keys()])].filter((file) => was.get(file) !== is.get(file)).sort();
}

/**
 * Why `site` is not a build of the sources as they are now, or null if it is: the list of
 * `site.sources` that web/tools/build.sh wrote, missing or not that of the sources now.
 */
function whyStale(site) {
  const stamp = `${site}.sources`;
  if (!fs.existsSync(stamp)) {
    return `${site} has no list of the sources it was built from (${stamp}): ` +
           'build it with web/tools/build.sh, or run web/tools/test.sh, which builds it when needed';
  }
  const changed = changedBetween(fs.readFileSync(stamp, 'utf8'), sourceList());
  if (changed.length === 0) return null;
  const named = changed.slice(0, 5).join(', ') + (changed.length > 5 ? ` and ${changed.length - 5} more` : '');
  return `${site} was built before ${named} changed: build it again with web/tools/build.sh, ` +
         'or run web/tools/test.sh, which builds it when needed';
}

/**
 * The site the page's tests play, build-web/site (or QUELLMOOR_WEB_SITE): thrown out, with
 * what to do, where it is not a build of the sources as they are now.
 */
function currentSite() {
  const site = process.env.QUELLMOOR_WEB_SITE || path.join(kRoot, 'build-web', 'site');
  const why = whyStale(site);
  if (why) throw new Error(why);
  return site;
}

module.exports = {currentSite, sourceList};

if (require.main === module) {
  const [option, list] = process.argv.slice(2);
  if (option === '--check') {
    const changed = fs.existsSync(list) ? changedBetween(fs.readFileSync(list, 'utf8'), sourceList()) : null;
    if (changed === null) {
      console.log(`No ${list}`);
      process.exitCode = 1;
    } else if (changed.length > 0) {
      console.log(`Changed since ${list}: ${changed.join(' ')}`);
      process.exitCode = 1;
    }
  } else {
    process.stdout.write(sourceList());
  }
}
