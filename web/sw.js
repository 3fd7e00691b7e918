// The page's service worker: keeps every file of one build, so that after one visit the
// page loads and plays with no network. build.sh writes in the build's files and a hash of
// them; a new build thus brings a new worker, which fetches the new files into a cache of
// its own and throws the old one away.

const kCache = 'quellmoor-@BUILD_HASH@';
const kFiles = [@BUILD_FILES@];

// The files come from the server, never from the browser's cache: that may still hold
// the files of the build before.
self.addEventListener('install', (event) => {
  const requests = kFiles.map((file) => new Request(file, {cache: 'reload'}));
  event.waitUntil(caches.open(kCache)
                      .then((cache) => cache.addAll(requests))
                      .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((names) => Promise.all(names.filter((name) => name !== kCache)
                                                       .map((name) => caches.delete(name))))
                      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(kCache)
                        .then((cache) => cache.match(event.request, {ignoreSearch: true}))
                        .then((kept) => kept || fetch(event.request)));
});
