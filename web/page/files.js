// The game as a file, on the page (the format is game_file.js's). Help's "Save game to a file"
// downloads it, or on a phone hands it to the share sheet; "Open a game file", or a file
// dropped anywhere on the page, plays the file's game in this tab as a link's game plays, and
// it becomes the player's own. A file that is no game is refused in one sentence, and nothing
// kept changes. Saving or opening a file is when the page asks the browser to keep its games.

import {gameFile, kLargestFile, readGameFile, wordsIn} from './game_file.js';
import {backToField, say} from './notice.js';
import {askToKeep, tellKeeping} from './persist.js';
import {handOver} from './share.js';

const picker = document.getElementById('game-file');

/** `count` words, in words. */
const wordsSaid = (count) => `${count} word${count === 1 ? '' : 's'}`;

/**
 * The notice of the game of the file `name`, which holds `lines`, as its replay came out
 * (`outcome`, as PlayedGame.resumedNotice has it), at its end or not (`over`), having read `read`.
 */
function openedNotice(name, lines) {
  return (outcome, over, read) => {
    // At its last prompt the game reads one word more, whatever it is, and ends: a file saved
    // after that word ends there too, and is not cut short.
    if (outcome === 'ended' && wordsIn(lines.slice(read.length)) > 1) {
      return `The game in ${name} comes to its end after ${wordsIn(read)} of its ${wordsSaid(wordsIn(lines))}: ` +
             'here it is.';
    }
    return `The game in ${name} is open, ${over ? 'over: here is its end.' : 'to play on from here.'}`;
  };
}

/**
 * Plays the game of `file` with `open` ({record, how: 'file', notice}), or says why it is no
 * game. Only as much as the largest game file is read, whatever the file's size.
 */
async function openFile(file, open) {
  let read;
  try {
    read = readGameFile(await file.slice(0, kLargestFile + 1).arrayBuffer());
  } catch {
    read = {refused: 'it could not be read'};
  }
  if (read.refused) {
    say('file', `The file ${file.name} is not a Quellmoor game: ${read.refused}.`);
    return;
  }
  say('file');
  // The player's own from the start (keep.js), not only opened, as a link's game is.
  open({record: {lines: read.lines}, how: 'file', notice: openedNotice(file.name, read.lines)});
  askToKeep();
}

/** A drag that carries files (not text, which the field takes as it would). */
const carriesFiles = (event) => event.dataTransfer?.types.includes('Files');

/**
 * The buttons that save the game that read `lines()` and open a game file, and a file dropped
 * on the page: each file's game is played with `open`, as a link's game is.
 */
export function installGameFiles(lines, open) {
  document.getElementById('save-game').addEventListener('click', (event) => {
    backToField(event);
    const played = lines();
    if (played.length === 0) return say('file', 'Nothing is played yet: there is no game to save.');
    say('file');
    handOver(gameFile(played), 'Quellmoor game');
    askToKeep();
  });
  document.getElementById('open-game').addEventListener('click', () => picker.click());
  picker.addEventListener('change', () => {
    const [file] = picker.files;
    picker.value = '';  // the same file chosen again is opened again
    if (file) openFile(file, open);
  });
  addEventListener('dragover', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  addEventListener('drop', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();  // not opened by the browser in place of the page
    const [file] = event.dataTransfer.files;
    if (file) openFile(file, open);
  });
  tellKeeping();
}
