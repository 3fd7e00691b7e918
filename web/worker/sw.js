// The page's service worker: keeps every file of one build, so that after one visit the
// page loads and plays with no network. precache.js writes in the build's files, the
// SHA-256 of each and a hash of them all; a new build thus brings a new worker, which
// keeps the new files in a cache of its own and throws the old one away. It waits while a
// page the old worker serves is open, so that no page ever gets files of two builds, and
// takes over when the last one closes or when a page asks it to (updates.js).

const kFiles = @BUILD_FILES@;
// Named after the worker's scope: other apps on this origin, and other copies of the game
// at other paths, keep caches of their own, which are none of this worker's business.
const kPrefix = `quellmoor ${self.registration.scope} `;
const kCache = `${kPrefix}@BUILD_HASH@`;
// The name the worker gave its cache before it had a prefix of its own.
const kOldName = /^quellmoor-[0-9a-f]{16}$/;

async function sha256(response) {
  const digest = await crypto.subtle.digest('SHA-256', await response.arrayBuffer());
  return Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('');
}

/** Copies of `file` from wherever one may be, the cheapest first. */
function* placesOf(file) {
  // Kept by this worker for an earlier build: unchanged files are not fetched again.
  yield caches.keys().then(async (names) => {
    for (const name of names.filter((name) => name.startsWith(kPrefix))) {
      const kept = await (await caches.open(name)).match(file);
      if (kept) return kept;
    }
    return undefined;
  });
  // The browser's cache: on a first visit the page has just fetched every file.
  yield fetch(file, {cache: 'force-cache'});
  // The server itself.
  yield fetch(file, {cache: 'reload'});
}

/** This build's `file`: the first copy whose bytes are the build's. */
async function find(file, hash) {
  for (const copy of placesOf(file)) {
    const response = await copy.catch(() => undefined);
    if (response && response.ok && await sha256(response.clone()) === hash) return response;
  }
  throw new Error(`no copy of ${file} is this build's`);
}

async function keepFiles() {
  const cache = await caches.open(kCache);
  const found = new Map();  // a file's hash to its response: './' is index.html
  for (const [file, hash] of Object.entries(kFiles)) {
    const response = found.has(hash) ? found.get(hash).clone() : await find(file, hash);
    found.set(hash, response.clone());
    await cache.put(file, response);
  }
}

self.addEventListener('install', (event) => {
  event.waitUntil(keepFiles());
});

self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

/** True for a cache this worker made for another build, under its name of now or of before. */
function isOutdated(name) {
  return (name.startsWith(kPrefix) && name !== kCache) || kOldName.test(name);
}

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((names) => names.filter(isOutdated))
                      .then((old) => Promise.all(old.map((name) => caches.delete(name))))
                      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(kCache)
                        .then((cache) => cache.match(event.request, {ignoreSearch: true}))
                        .then((kept) => kept || fetch(event.request)));
});
