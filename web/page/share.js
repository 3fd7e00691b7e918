// Sharing a game. A link carries the lines the game has read, the length and hash of the
// text they must give and the build that played them, in its fragment (after the "#", which a
// browser never sends to a server; share_link.js writes and reads it): whoever opens it finds
// the game replayed, and plays on from there (in a new version of the game, as far as its
// rules take the lines).
// The transcript is saved as a file, or on a phone handed to the share sheet (a game file too).

import {backToField, say} from './notice.js';
import {linkTo, readLink} from './share_link.js';

/**
 * The game this page's address carries, as readLink gives it; the fragment is taken off the
 * address, so that a reload finds the game as kept, played on, and not as the link had it.
 */
export function takeSharedGame() {
  const shared = readLink(location.hash);
  if (shared) history.replaceState(null, '', location.pathname + location.search);
  return shared;
}

/** Calls `open(record)` with the game of a link opened in this tab once it is on the page (its fragment changed). */
export function onLinkOpened(open) {
  addEventListener('hashchange', () => {
    const shared = takeSharedGame();
    if (shared?.refused) say('link', `This link's game could not be opened: ${shared.refused}.`);
    else if (shared) open(shared.record);
  });
}

/** True on a phone or tablet that has a share sheet for `data`. */
function canShare(data) {
  return matchMedia('(pointer: coarse)').matches && Boolean(navigator.canShare?.(data));
}

function download(file) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(file);
  link.download = file.name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

/** Saves `file` as a download, or on a phone hands it to the share sheet, titled `title`. */
export function handOver(file, title) {
  if (!canShare({files: [file]})) {
    download(file);
    return;
  }
  navigator.share({files: [file], title}).catch((error) => {
    if (error.name !== 'AbortError') download(file);
  });
}

/** The buttons that save the transcript (`transcript()`) and share the game (`record()`). */
export function installSharing(transcript, record) {
  document.getElementById('save').addEventListener('click', (event) => {
    backToField(event);
    handOver(new File([transcript()], 'quellmoor-transcript.txt', {type: 'text/plain'}), 'Quellmoor transcript');
  });
  document.getElementById('share').addEventListener('click', () => {
    const link = linkTo(location.href.split('#')[0], record());
    if (link === null) {
      say('share', 'This game is too long to share as a link; Save transcript keeps it as text.');
      return;
    }
    if (canShare({url: link})) {
      navigator.share({title: 'Quellmoor', url: link}).catch(() => {});
      return;
    }
    const anchor = document.createElement('a');
    anchor.href = link;
    anchor.textContent = 'this link';
    say('share', 'Whoever opens ', anchor, ' plays on from here (it holds the words played so far).');
    navigator.clipboard?.writeText(link).then(() => anchor.parentElement?.append(' It is copied.'), () => {});
  });
}
