// The help panel: how to play, every command word as a button to press, and the settings; and
// Menu, which holds Help and the buttons beside it where the header's row is too short for them.
// Where the whole console fits (a desktop), it is open below it; elsewhere one press of Help
// opens it in place of the frequent words. The words come from the game's own command table;
// terminal.js sends the word of a button pressed here as it sends the frequent words.

const toggle = document.getElementById('help-toggle');
const panel = document.getElementById('help');
/** The group of every command word's button. */
export const everyWord = document.getElementById('every-word');

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

toggle.addEventListener('click', () => {
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
