// The page's console: the game's text is shown exactly as written, and the player types in a
// text field on the line below it. Enter hands the line, with its "\n", to the game and
// leaves it on the screen, as a console window does; the buttons send their word the same
// way. Up and Down bring back the lines typed in this game, Tab completes a command word.
// Each answer is also put, with its blank lines collapsed, in a live region for screen
// readers. When a game ends, Enter starts another.

const screen = document.getElementById('screen');
const output = document.getElementById('output');
const prompt = document.getElementById('prompt');
const field = document.getElementById('command');
const answer = document.getElementById('answer');

// Oldest pieces of text are dropped from the screen beyond this (the transcript keeps them).
const kScreenPieces = 4000;

let game = null;         // the loaded module, once it is
let commandWords = [];   // from the game's command table, for Tab
let playing = false;     // a game is running and takes what is typed
const decoder = new TextDecoder();
let unshown = '';        // the game's text not yet on the screen
let unannounced = '';    // the game's text on the screen, not yet in the live region
let transcript = '';     // everything shown since the page was opened, games and typed lines
let history = [];        // the lines typed in this game
let recalled = 0;        // the line of `history` in the field; history.length: a new line
let draft = '';          // what was typed before Up was first pressed

// For tests and the curious: the page's text, its size in characters, what it is doing.
window.quellmoor = {
  firstOutputAt: null,  // performance.now() when the game's first text arrived
  gamesPlayed: 0,
  get playing() {
    return playing;
  },
  get commandWords() {
    return commandWords;
  },
  /** The text of this game on the screen, as the console would show it. */
  text() {
    return output.textContent;
  },
  /** Columns and rows of text the screen shows at once. */
  size() {
    const probe = document.createElement('span');
    probe.textContent = 'M'.repeat(10);
    output.append(probe);
    const width = probe.getBoundingClientRect().width / 10;
    probe.remove();
    const style = getComputedStyle(screen);
    const height = screen.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    return {
      cols: Math.floor(output.getBoundingClientRect().width / width + 0.01),
      rows: Math.floor(height / parseFloat(style.lineHeight) + 0.01),
    };
  },
};

function scrollToEnd() {
  screen.scrollTop = screen.scrollHeight;
}

/**
 * Puts `text` at the end of the screen. The runs of blank lines that clear the screen
 * before each answer stay on it for the eye, but screen readers skip all but one of them.
 */
function show(text) {
  if (text === '') return;
  transcript += text;
  const piece = document.createElement('span');
  let at = 0;
  for (const run of text.matchAll(/\n{3,}/g)) {
    const blank = document.createElement('span');
    blank.setAttribute('aria-hidden', 'true');
    blank.textContent = run[0].slice(2);
    piece.append(text.slice(at, run.index + 2), blank);
    at = run.index + run[0].length;
  }
  piece.append(text.slice(at));
  output.append(piece);
  while (output.childNodes.length > kScreenPieces) output.firstChild.remove();
  scrollToEnd();
}

/** Shows what the game wrote since last time. */
function showGameText() {
  unannounced += unshown;
  show(unshown);
  unshown = '';
}

/** Announces the game's answer once: its lines, with no runs of blank lines. */
function announce() {
  const text = unannounced.replace(/\n{3,}/g, '\n\n').trim();
  unannounced = '';
  if (text === '') return;
  const item = document.createElement('p');
  item.textContent = text;
  answer.replaceChildren(item);
}

/** Hands `line` to the game, shown where it was typed and kept for Up; or starts a new game. */
function send(line) {
  if (!playing) {
    if (game) newGame();
    return;
  }
  show(line + '\n');
  // As at a terminal: blank lines and a line equal to the one before are not kept.
  if (line.trim() !== '' && line !== history[history.length - 1]) history.push(line);
  recalled = history.length;
  draft = '';
  game.sendInput(line + '\n');
}

prompt.addEventListener('submit', (event) => {
  event.preventDefault();
  const line = field.value;
  field.value = '';
  send(line);
});

for (const button of document.querySelectorAll('#words button')) {
  button.addEventListener('click', () => send(button.textContent));
}

/** Puts `text` in the field with the cursor at its end. */
function setField(text) {
  field.value = text;
  field.setSelectionRange(text.length, text.length);
}

/**
 * Tab: the word before the cursor grows to the longest start it shares with every command
 * word it begins. Where it begins none, or only itself, Tab moves on as usual.
 */
function complete(event) {
  const before = field.value.slice(0, field.selectionStart);
  const start = /\S*$/.exec(before)[0];
  const matches = commandWords.filter((word) => word.startsWith(start));
  if (start === '' || !matches.some((word) => word.length > start.length)) return;
  event.preventDefault();
  let common = matches[0];
  for (const word of matches) {
    while (!word.startsWith(common)) common = common.slice(0, -1);
  }
  const after = field.value.slice(field.selectionEnd);
  field.value = before + common.slice(start.length) + after;
  const cursor = before.length + common.length - start.length;
  field.setSelectionRange(cursor, cursor);
}

field.addEventListener('keydown', (event) => {
  if (event.altKey || event.ctrlKey || event.metaKey) return;
  if (event.key === 'ArrowUp' && recalled > 0) {
    if (recalled === history.length) draft = field.value;
    setField(history[--recalled]);
  } else if (event.key === 'ArrowDown' && recalled < history.length) {
    ++recalled;
    setField(recalled === history.length ? draft : history[recalled]);
  } else if (event.key === 'Tab' && !event.shiftKey) {
    complete(event);
    return;
  } else if (event.key === 'PageUp' || event.key === 'PageDown') {
    screen.scrollBy(0, (event.key === 'PageUp' ? -0.9 : 0.9) * screen.clientHeight);
  } else {
    return;
  }
  event.preventDefault();
});

// A tap or click on the screen opens the keyboard, unless it selected some text.
screen.addEventListener('click', () => {
  if (getSelection().isCollapsed) field.focus();
});
// The on-screen keyboard shrinks the page: keep the typed line in view above it.
(window.visualViewport || window).addEventListener('resize', scrollToEnd);

document.getElementById('save').addEventListener('click', () => {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([transcript], {type: 'text/plain'}));
  link.download = 'quellmoor-transcript.txt';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
});

async function play() {
  playing = true;
  history = [];
  recalled = 0;
  draft = '';
  window.quellmoor.gamesPlayed++;
  let ended;
  try {
    await game.ccall('quellmoor_play', 'number', [], [], {async: true});
    ended = 'The game is over. Press Enter to play again.';
  } catch (error) {
    ended = `The game stopped: ${error}. Press Enter to start a new one.`;
  }
  playing = false;
  unshown += decoder.decode();
  showGameText();
  unannounced += `\n\n[${ended}]`;
  show(`\n\n[${ended}]`);
  announce();
}

function newGame() {
  game.discardInput();
  output.replaceChildren();
  transcript += '\n';
  play();
}

createQuellmoor({
  onOutput(bytes) {
    if (window.quellmoor.firstOutputAt === null) {
      window.quellmoor.firstOutputAt = performance.now();
    }
    unshown += decoder.decode(bytes, {stream: true});
  },
  onFlush: showGameText,
  onInputWanted() {
    showGameText();
    announce();
  },
}).then((module) => {
  game = module;
  commandWords = game.ccall('quellmoor_command_words', 'string', [], []).split(' ');
  play();
}, (error) => {
  show(`Quellmoor could not be loaded: ${error}\n`);
});

field.focus();
// Kept for play with no network. A new build's worker is looked for at once (the browser's
// own look may come seconds later); it serves from the next load on.
if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').then((registration) => registration.update()).catch(() => {});
}
