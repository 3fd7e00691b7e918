// The help panel: how to play, every command word as a button to press, the games kept in
// this browser (keep.js), to take one up or delete it, and the settings; and Menu, which holds
// Help and the buttons beside it where the header's row is too short for them.
// Where the whole console fits (a desktop), it is open below it; elsewhere one press of Help
// opens it in place of the frequent words. The words come from the game's own command table;
// terminal.js sends the word of a button pressed here as it sends the frequent words.

import {StorageLeases} from './keep.js';
import {button} from './notice.js';

const toggle = document.getElementById('help-toggle');
const panel = document.getElementById('help');
/** The group of every command word's button. */
export const everyWord = document.getElementById('every-word');

const keptGames = document.getElementById('kept-games');
let listAgain = () => {};  // lists the kept games again, as they are now

const isOpen = () => getComputedStyle(panel).display !== 'none';

/** Says whether the panel is open, as the layout has it now. */
function sayOpen() {
  toggle.setAttribute('aria-expanded', String(isOpen()));
}

/** A button for each of `words`, the command words in the game's order. */
export function offerWords(words) {
  everyWord.replaceChildren(...words.map((word) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.word = word;
    button.textContent = word;
    return button;
  }));
}

/**
 * A kept game (Keeper.games) in words: when it was last played or opened, and its words; the
 * game in this tab, which goes on as the list stays, as that alone.
 */
function described(game) {
  if (game.here) return 'The game in this tab';
  const when = new Date(game.playedAt || game.savedAt).toLocaleString([], {dateStyle: 'medium', timeStyle: 'short'});
  return `${game.order > 0 ? 'Played' : 'Opened from a link, not played,'} ${when}: ` +
         `${game.words} word${game.words === 1 ? '' : 's'}${game.elsewhere ? ', open in another tab' : ''}`;
}

/**
 * Lists `keeper`'s kept games, each no tab plays with Play (which takes it up in this tab and
 * calls `takeUp(record)`) and Delete. One another tab took up meanwhile is listed again as such.
 */
export async function listKeptGames(keeper, takeUp) {
  listAgain = () => listKeptGames(keeper, takeUp);
  await keeper.look();
  const games = keeper.games();
  keptGames.replaceChildren(...games.map((game) => {
    const item = document.createElement('li');
    item.append(Object.assign(document.createElement('span'), {textContent: described(game)}));
    if (!game.here && !game.elsewhere) {
      item.append(button('Play', () => keeper.switchTo(game.key).then((record) => record ? takeUp(record) : listAgain())),
                  button('Delete', () => {
        keeper.delete(game.key);
        listAgain();
      }));
    }
    return item;
  }));
  if (games.length === 0) keptGames.append(Object.assign(document.createElement('li'), {textContent: 'None yet.'}));
}
// Other tabs keep and delete games too (their leases' renewals change nothing listed).
addEventListener('storage', (event) => !event.key?.startsWith(StorageLeases.kPrefix) && listAgain());

toggle.addEventListener('click', () => {
  listAgain();
  panel.dataset.open = String(!isOpen());
  sayOpen();
  if (isOpen()) panel.scrollIntoView({block: 'nearest'});
});
// Whether the panel is open by default depends on the layout, which follows the window's size
// and the text's: the panel's own size tells when it shows or goes.
new ResizeObserver(sayOpen).observe(panel);
sayOpen();

// Menu shows the header's buttons in a column, or hides them, where the layout folds them.
const menuToggle = document.getElementById('menu-toggle');
const menu = document.getElementById('menu');
menuToggle.addEventListener('click', () => {
  const open = menu.dataset.open !== 'true';
  menu.dataset.open = String(open);
  menuToggle.setAttribute('aria-expanded', String(open));
});
