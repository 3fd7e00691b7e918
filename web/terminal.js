// The page's terminal: the game's text goes to it byte for byte, and the player types in
// it as in a console window. Typed characters are echoed, Backspace edits the line, and
// Enter hands the line, with its "\n", to the game. When a game ends, Enter starts another.

import {Terminal} from './xterm.mjs';

// Backspace at the start of a wrapped line goes back to the end of the line above.
const kReverseWraparound = '\x1b[?45h';

const terminal = new Terminal({
  cols: 80,
  rows: 25,
  convertEol: true,  // the game writes "\n"; the screen needs "\r\n" (display only)
  cursorBlink: true,
  scrollback: 1000,
  fontFamily: '"DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace',
  fontSize: 15,
  theme: {background: '#000000', foreground: '#c0c0c0'},
});
terminal.open(document.getElementById('terminal'));
terminal.write(kReverseWraparound);
terminal.focus();

let game = null;      // the loaded module, once it is
let playing = false;  // a game is running and takes what is typed
let line = [];        // the characters typed on the current line, not yet sent

// For tests and the curious: the terminal, its text, and what the page is doing.
window.quellmoor = {
  terminal,
  firstOutputAt: null,  // performance.now() when the game's first text arrived
  gamesPlayed: 0,
  get playing() {
    return playing;
  },
  /** All text in the terminal, scrollback included: one line per line break, unwrapped. */
  text() {
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let i = 0; i < buffer.length; i++) {
      const row = buffer.getLine(i);
      const continued = i + 1 < buffer.length && buffer.getLine(i + 1).isWrapped;
      const text = row.translateToString(!continued);
      if (row.isWrapped && lines.length > 0) {
        lines[lines.length - 1] += text;
      } else {
        lines.push(text);
      }
    }
    return lines.join('\n');
  },
  /** The rows in view, as plain text. */
  screen() {
    const buffer = terminal.buffer.active;
    const rows = [];
    for (let i = buffer.viewportY; i < buffer.viewportY + terminal.rows; i++) {
      rows.push(buffer.getLine(i).translateToString(true));
    }
    return rows.join('\n');
  },
};

function enter() {
  if (playing) {
    terminal.write('\r\n');
    game.sendInput(line.join('') + '\n');
    line = [];
  } else if (game) {
    newGame();
  }
}

function backspace() {
  if (playing && line.length > 0) {
    line.pop();
    terminal.write('\b \b');
  }
}

terminal.onData((data) => {
  if (data.startsWith('\x1b')) return;  // arrows, function keys: no line editing beyond Backspace
  for (const character of data) {
    if (character === '\r' || character === '\n') {
      enter();
    } else if (character === '\x7f' || character === '\b') {
      backspace();
    } else if (character >= ' ' && playing) {
      line.push(character);
      terminal.write(character);
    }
  }
});

async function play() {
  playing = true;
  line = [];
  window.quellmoor.gamesPlayed++;
  let ended;
  try {
    await game.ccall('quellmoor_play', 'number', [], [], {async: true});
    ended = 'The game is over. Press Enter to play again.';
  } catch (error) {
    ended = `The game stopped: ${error}. Press Enter to start a new one.`;
  }
  playing = false;
  line = [];
  terminal.write(`\r\n\r\n[${ended}]`);
}

function newGame() {
  game.discardInput();
  terminal.reset();
  terminal.write(kReverseWraparound);
  play();
}

createQuellmoor({
  onOutput(bytes) {
    if (window.quellmoor.firstOutputAt === null) {
      window.quellmoor.firstOutputAt = performance.now();
    }
    terminal.write(bytes);
  },
}).then((module) => {
  game = module;
  play();
}, (error) => {
  terminal.write(`Quellmoor could not be loaded: ${error}\r\n`);
});
