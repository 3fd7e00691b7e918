// New versions of the page, never mixed with old ones. The service worker (sw.js) keeps one
// build's files and serves a page from them alone; a new build's worker keeps its files beside
// them and waits while a page of the old one is open. The page looks for a new build as it
// loads and whenever the player comes back to it, says when one is ready, and on "Load it
// now" lets it take over and loads again: the game is kept (keep.js), and resumed.
//
// Were quellmoor.js and quellmoor.wasm ever from two builds (a server updated between the two
// requests, a cache that kept one), the game would run wrongly or not at all: the build writes
// the SHA-256 of its wasm into quellmoor.js, and the page checks the wasm it fetched against it
// (and index.html, page.js and quellmoor.js against each other: loader.js).

import {button, say} from './notice.js';

/** Resolves to false if the wasm in `response` is not the one quellmoor.js was built with. */
export async function sameBuild(response) {
  const expected = typeof createQuellmoor === 'function' && createQuellmoor.wasmSha256;
  if (!expected || !globalThis.crypto?.subtle) return true;  // nothing to check it with
  const digest = await crypto.subtle.digest('SHA-256', await response.arrayBuffer());
  const hex = Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('');
  return hex === expected;
}

/** Registers the worker, and offers each new build it finds in a notice; says once if one cannot be kept. */
export function watchForUpdates() {
  if (!('serviceWorker' in navigator)) return;
  const workers = navigator.serviceWorker;
  let asked = false;
  let toldUnkept = false;
  workers.addEventListener('controllerchange', () => {
    if (asked) location.reload();
  });
  function offer(registration) {
    if (!registration.waiting || !workers.controller) return;  // a first visit takes it at once
    say('update', 'A new version of Quellmoor is ready; your game goes on in it.', button('Load it now', () => {
      asked = true;
      // Another tab may have let it take over already: it then serves this one too.
      if (registration.waiting) registration.waiting.postMessage('take over');
      else location.reload();
    }));
  }
  // A worker that could not keep every file of its build (one not as built: a host that
  // rewrites files, a network that failed) is thrown away; the build before it serves on.
  function unkept(registration, worker) {
    if (toldUnkept || (registration.installing && registration.installing !== worker)) return;  // a newer one came
    toldUnkept = true;
    say('update', workers.controller
      ? 'A new version of Quellmoor could not be installed (its files did not arrive as built); this one plays on.'
      : 'Quellmoor could not be kept for play with no network (its files did not arrive as built).');
  }
  workers.register('sw.js').then((registration) => {
    offer(registration);
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      let installed = false;
      worker.addEventListener('statechange', () => {
        installed ||= worker.state === 'installed';
        if (worker.state === 'installed') offer(registration);
        else if (worker.state === 'redundant' && !installed) unkept(registration, worker);
      });
    });
    // The browser looks by itself only on a load, and at most once a day: a tab left open
    // looks each time the player comes back to it (a small request: the worker's script).
    const look = () => registration.update().catch(() => {});
    look();
    document.addEventListener('visibilitychange', () => document.visibilityState === 'visible' && look());
  }).catch(() => {});
}
