// At a plain http address (a name on a home network, say), the browser withholds what keeps
// the game safe: the service worker (play with no network, a new version never mixed with an
// old one) and the hash that checks the files against their build. (Locks are withheld too:
// keep.js holds a tab's game by a lease in storage instead.) The game plays all the same; the page says so once in this browser,
// as one quiet line among its notices, not a question in the player's way.

import {say} from './notice.js';

const kTold = 'quellmoor.told-plain-http';

/** True once this browser has been told (where storage is refused, it is told at each visit). */
function toldBefore() {
  try {
    if (localStorage.getItem(kTold) !== null) return true;
    localStorage.setItem(kTold, '');
  } catch {
    // Storage refused: nothing to remember it by.
  }
  return false;
}

if (window.isSecureContext === false && !toldBefore()) {
  say('address', 'This address is plain http: the game plays, but cannot be kept for play with no network, ' +
                 'nor its files checked. An https address does both.');
}
