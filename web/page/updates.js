// New versions of the page, never mixed with old ones. The service worker (sw.js) keeps one
// build's files and serves a page from them alone; a new build's worker keeps its files beside
// them and waits while a page of the old one is open. The page looks for a new build as it
// loads and whenever the player comes back to it, says when one is ready, and on "Load it
// now" lets it take over and loads again: the game is kept (keep.js), and resumed.
//
// Were quellmoor.js and quellmoor.wasm ever from two builds (a server updated between the two
// requests, a cache that kept one), the game would run wrongly or not at all: the build writes
// the SHA-256 of its wasm into quellmoor.js, and the page checks the wasm it fetched against it.

import {button, say} from './notice.js';

/** Resolves to false if the wasm in `response` is not the one quellmoor.js was built with. */
export async function sameBuild(response) {
  const expected = typeof createQuellmoor === 'function' && createQuellmoor.wasmSha256;
  if (!expected || !globalThis.crypto?.subtle) return true;  // nothing to check it with
  const digest = await crypto.subtle.digest('SHA-256', await response.arrayBuffer());
  const hex = Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('');
  return hex === expected;
}

/** Registers the worker, and offers each new build it finds in a notice. */
export function watchForUpdates() {
  if (!('serviceWorker' in navigator)) return;
  const workers = navigator.serviceWorker;
  let asked = false;
  workers.addEventListener('controllerchange', () => {
    if (asked) location.reload();
  });
  function offer(registration) {
    if (!registration.waiting || !workers.controller) return;  // a first visit takes it at once
    say('update', 'A new version of Quellmoor is ready; your game goes on in it.', button('Load it now', () => {
      asked = true;
      registration.waiting.postMessage('take over');
    }));
  }
  workers.register('sw.js').then((registration) => {
    offer(registration);
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      worker.addEventListener('statechange', () => worker.state === 'installed' && offer(registration));
    });
    // The browser looks by itself only on a load, and at most once a day: a tab left open
    // looks each time the player comes back to it (a small request: the worker's script).
    const look = () => registration.update().catch(() => {});
    look();
    document.addEventListener('visibilitychange', () => document.visibilityState === 'visible' && look());
  }).catch(() => {});
}
