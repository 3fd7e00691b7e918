// The page's screen: the game's text exactly as written, in an element that keeps only its
// last lines, as a terminal keeps a scrollback; what scrolls off the top is gone from the
// screen (the page's transcript keeps it). So an answer costs the same to show at the
// thousandth command as at the first.
//
// The lines are held in a column of blocks of about kBlockLines lines each, the text of each
// laid out on its own: new text changes only the last block, and the oldest lines go from
// the first. In a block, the blank lines after the first of a run are hidden from screen
// readers (the runs that clear the screen read as one blank line), and a map the game drew
// is a picture named by what it shows, so a screen reader reading the screen hears where
// the player stands, not the drawing.
//
// Every answer begins with the blank lines that clear a console, and the last answer keeps
// them, as the game printed it; once the next answer clears the screen, the blank runs
// before it are shortened to one blank line, so that scrolling back shows answers, not
// blank screens.

const kBlockLines = 50;
// A run of this many blank lines clears the screen: the game's answers hold at most three
// in a row, and every clearing run has 17 or more.
const kClearingRun = 10;

/** The number of line breaks in `text`. */
function breaksIn(text) {
  let count = 0;
  for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) count++;
  return count;
}

/** Removes the first `count` lines of `block`, which has at least so many closed lines. */
function dropLines(block, count) {
  for (let left = count; left > 0;) {
    const node = block.firstChild;
    const text = node.textContent;
    const breaks = breaksIn(text);
    if (breaks <= left) {
      node.remove();
      left -= breaks;
      continue;
    }
    let cut = -1;
    for (let i = 0; i < left; i++) cut = text.indexOf('\n', cut + 1);
    if (node.nodeType === Node.TEXT_NODE) {
      node.deleteData(0, cut + 1);
    } else {
      node.textContent = text.slice(cut + 1);
      // What is left of a map no longer shows where the player stood.
      node.removeAttribute('role');
      node.removeAttribute('aria-label');
    }
    left = 0;
  }
  block.closedLines -= count;
}

/**
 * Marks `element`, which holds `lines`, as lines never to be broken (a map, a menu's choice):
 * the page's CSS makes their text smaller where the console is narrower than they are.
 */
function setColumns(element, lines) {
  element.className = 'whole';
  element.style.setProperty('--columns', Math.max(...lines.map((line) => line.length)));
}

/** A menu's choice `line`, whole. */
function whole(line) {
  const span = document.createElement('span');
  span.textContent = line;
  setColumns(span, [line]);
  return span;
}

export class Screen {
  #element;
  #scrollback;
  #findMap;
  #block = null;         // the last block, which the next text continues
  #lines = 0;            // lines on the screen, the last (open) one included
  #openEmpty = true;     // the open line holds no text yet
  #blankBefore = false;  // the last closed line was blank
  #hiddenRun = null;     // the element holding the hidden blank lines now being added to
  #blankRun = 0;         // blank lines closed since the last line of text
  #runSpans = [];        // the elements of hidden blank lines of that run
  #olderRuns = [];       // those of the runs before it, since the screen was last cleared

  /**
   * A screen in `element` that keeps its last `scrollback` lines. `findMap(lines, at, end)`
   * tells whether `lines[at]` begins a map drawn before `lines[end]`: {height, words}, or null.
   */
  constructor(element, scrollback, findMap) {
    this.#element = element;
    this.#scrollback = scrollback;
    this.#findMap = findMap;
    this.clear();
  }

  /** Lines on the screen. */
  get lines() {
    return this.#lines;
  }

  /** Empties the screen. */
  clear() {
    this.#element.replaceChildren();
    this.#newBlock();
    this.#lines = 1;
    this.#openEmpty = true;
    this.#blankBefore = false;
    this.#blankRun = 0;
    this.#runSpans = [];
    this.#olderRuns = [];
  }

  /** Columns and rows of text the screen shows at once in `scroller`, the element that scrolls it. */
  size(scroller) {
    const probe = document.createElement('span');
    probe.textContent = 'M'.repeat(10);
    this.#element.append(probe);
    const width = probe.getBoundingClientRect().width / 10;
    probe.remove();
    const style = getComputedStyle(scroller);
    const height = scroller.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    return {
      cols: Math.floor(this.#element.getBoundingClientRect().width / width + 0.01),
      rows: Math.floor(height / parseFloat(style.lineHeight) + 0.01),
    };
  }

  /**
   * Where in `text` to begin showing it on an empty screen, for the screen to hold what the
   * whole of it would: a line's start, with more lines after it than the screen keeps (each
   * blank run counted as one, as older runs are shortened to one).
   */
  startOfLast(text) {
    let lines = 0;
    let end = text.length;
    for (let blankAfter = false; lines <= this.#scrollback + kBlockLines;) {
      const start = text.lastIndexOf('\n', end - 1);
      if (start < 0) return 0;
      const blank = start === end - 1;
      if (!(blank && blankAfter)) lines++;
      blankAfter = blank;
      end = start;
    }
    return end + 1;
  }

  /** Puts `text` at the end of the screen and keeps only the last lines. */
  show(text) {
    const lines = text.split('\n');
    const last = lines.length - 1;
    for (let at = 0; at <= last;) {
      if (this.#openEmpty && this.#block.closedLines >= kBlockLines) this.#newBlock();
      // A map begins a line, and is known once the whole of it has arrived.
      const map = this.#openEmpty ? this.#findMap(lines, at, last) : null;
      if (map) {
        this.#addMap(lines.slice(at, at + map.height), map.words);
        at += map.height;
      } else if (at < last) {
        this.#closeLine(lines[at++]);
      } else {
        if (lines[at] !== '') {
          this.#addText(lines[at]);
          this.#openEmpty = false;
        }
        at++;
      }
    }
    this.#lines += last;
    this.#trim();
  }

  #newBlock() {
    this.#block = document.createElement('div');
    this.#block.closedLines = 0;
    this.#element.append(this.#block);
    this.#hiddenRun = null;
  }

  /** Adds `text`, with no line break or one at its end, to the last block. */
  #addText(text) {
    const last = this.#block.lastChild;
    if (last && last.nodeType === Node.TEXT_NODE) {
      last.appendData(text);
    } else {
      this.#block.append(text);
    }
  }

  /** Ends the open line, whose last text is `text`. */
  #closeLine(text) {
    const blank = this.#openEmpty && text === '';
    if (blank && this.#blankBefore) {
      if (this.#hiddenRun === null || this.#hiddenRun !== this.#block.lastChild) {
        this.#hiddenRun = document.createElement('span');
        this.#hiddenRun.setAttribute('aria-hidden', 'true');
        this.#block.append(this.#hiddenRun);
        this.#runSpans.push(this.#hiddenRun);
      }
      this.#hiddenRun.append('\n');
    } else if (this.#openEmpty && /^\d+\. /.test(text)) {
      this.#block.append(whole(text), '\n');  // a menu's choice
    } else {
      this.#addText(text + '\n');
    }
    this.#block.closedLines++;
    this.#blankBefore = blank;
    this.#openEmpty = true;
    if (!blank) this.#endRun();
    else if (++this.#blankRun === kClearingRun) this.#shortenOlderRuns();
  }

  /** A line of text ends the run of blank lines before it. */
  #endRun() {
    this.#olderRuns.push(...this.#runSpans);
    this.#runSpans = [];
    this.#blankRun = 0;
  }

  /** Shortens the blank runs before the one that is clearing the screen to their first line. */
  #shortenOlderRuns() {
    for (const span of this.#olderRuns) {
      if (!span.isConnected) continue;  // scrolled off the top
      const count = breaksIn(span.textContent);
      span.parentElement.closedLines -= count;
      this.#lines -= count;
      span.remove();
    }
    this.#olderRuns = [];
  }

  /**
   * Adds the `lines` of a map the game drew, each ended, as a picture named by `words`. It is
   * a block of its own (a map starts and ends with whole lines), which screen readers take
   * as one picture and never read the drawing of.
   */
  #addMap(lines, words) {
    const map = document.createElement('div');
    setColumns(map, lines);
    map.setAttribute('role', 'img');
    map.setAttribute('aria-label', words);
    const drawing = document.createElement('span');
    drawing.setAttribute('aria-hidden', 'true');
    drawing.textContent = lines.join('\n') + '\n';
    map.append(drawing);
    this.#block.append(map);
    this.#block.closedLines += lines.length;
    this.#blankBefore = false;
    this.#endRun();
  }

  /** Drops the oldest lines beyond the scrollback. */
  #trim() {
    while (this.#lines > this.#scrollback) {
      const first = this.#element.firstElementChild;
      const excess = this.#lines - this.#scrollback;
      if (first !== this.#block && first.closedLines <= excess) {
        first.remove();
        this.#lines -= first.closedLines;
      } else {
        const count = Math.min(excess, first.closedLines);
        dropLines(first, count);
        this.#lines -= count;
        break;
      }
    }
  }
}
