// The typed line's keys beyond the browser's own: Up and Down bring back the lines typed in
// this game, as at a terminal; Tab completes a command word by the game's own rule; Page Up
// and Page Down scroll the screen.

export class LineEditor {
  /** What Tab makes of each start of a command word (quellmoor_completions). */
  completions = new Map();
  #field;
  #hint;
  #screen;
  #history = [];  // the lines typed in this game
  #recalled = 0;  // the line of #history in the field; #history.length: a new line
  #draft = '';    // what was typed before Up was first pressed

  /** Edits the line in `field`, lists words in `hint` and scrolls `screen`. */
  constructor(field, hint, screen) {
    this.#field = field;
    this.#hint = hint;
    this.#screen = screen;
    // The words listed by Tab are for the word being typed, and go as it changes.
    field.addEventListener('input', () => {
      hint.textContent = '';
    });
    field.addEventListener('keydown', (event) => this.#keyDown(event));
  }

  /** Forgets the lines typed before: a new game. */
  clear() {
    this.#history = [];
    this.#recalled = 0;
    this.#draft = '';
  }

  /** Keeps `line`, just played, for Up: as at a terminal, not a blank one nor a repeat. */
  remember(line) {
    if (line.trim() !== '' && line !== this.#history[this.#history.length - 1]) this.#history.push(line);
    this.#recalled = this.#history.length;
    this.#draft = '';
  }

  /** Puts `text` in the field with the cursor at its end. */
  #set(text) {
    this.#field.value = text;
    this.#field.setSelectionRange(text.length, text.length);
  }

  /**
   * Tab, by the game's own rule (quellmoor_completions): the word before the cursor grows as
   * far as the command words it begins agree, with a space once it is whole; where it can
   * grow no further but begins several, they are listed below the console, as a second Tab
   * lists them at a terminal. An empty word, or one that begins none, lets Tab move on.
   */
  #complete(event) {
    const field = this.#field;
    const before = field.value.slice(0, field.selectionStart);
    const start = /\S*$/.exec(before)[0];
    const [added, choices] = this.completions.get(start) ?? ['', []];
    if (start === '' || (added === '' && choices.length === 0)) return;
    event.preventDefault();
    if (added === '') {
      this.#hint.textContent = `Words that begin with ${start}: ${choices.join(', ')}`;
      return;
    }
    const after = field.value.slice(field.selectionEnd);
    field.value = before + added + after;
    const cursor = before.length + added.length;
    field.setSelectionRange(cursor, cursor);
  }

  #keyDown(event) {
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    const history = this.#history;
    if (event.key === 'ArrowUp' && this.#recalled > 0) {
      if (this.#recalled === history.length) this.#draft = this.#field.value;
      this.#set(history[--this.#recalled]);
    } else if (event.key === 'ArrowDown' && this.#recalled < history.length) {
      ++this.#recalled;
      this.#set(this.#recalled === history.length ? this.#draft : history[this.#recalled]);
    } else if (event.key === 'Tab' && !event.shiftKey) {
      this.#complete(event);
      return;
    } else if (event.key === 'PageUp' || event.key === 'PageDown') {
      this.#screen.scrollBy(0, (event.key === 'PageUp' ? -0.9 : 0.9) * this.#screen.clientHeight);
    } else {
      return;
    }
    event.preventDefault();
  }
}
