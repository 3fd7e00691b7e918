// The page's console: the game's text is shown exactly as written, and the player types in a
// text field on the line below it. Enter hands the line, with its "\n", to the game and
// leaves it on the screen, as a console window does; the buttons send their word the same
// way. Up and Down bring back the lines typed in this game, Tab completes a command word.
//
// Like a terminal, the screen keeps only its last lines (screen.js; the saved transcript
// keeps the whole game), so an answer costs the same at the thousandth command as at the
// first. Each answer is also put in a live region for screen readers, a line to an
// element, with no blank lines and each map told in words. The buttons follow the game:
// while a menu waits they are its numbered choices; when a game ends, a button starts
// another.

import {everyWord, offerWords} from './help.js';
import {Screen} from './screen.js';

const screen = document.getElementById('screen');
const output = document.getElementById('output');
const prompt = document.getElementById('prompt');
const field = document.getElementById('command');
const answer = document.getElementById('answer');
const words = document.getElementById('words');
const choices = document.getElementById('choices');
const again = document.getElementById('again');
const hint = document.getElementById('hint');
const notice = document.getElementById('notice');

// Lines the screen keeps, as a terminal keeps a scrollback (1,000 is a common default).
// Every answer is 25 blank lines that clear the screen, the answer itself (2 to 16 lines)
// and the typed word: about 30 to 45 lines, so the screen holds the last 25 or so answers
// to scroll back to. Kept whole, a screen of a 1,000-command game is 34,000 lines, and
// each answer took ten times as long to show as at the start.
const kScrollback = 1000;

let game = null;           // the loaded module, once it is
let commandWords = [];     // from the game's command table
let completions = new Map();  // what Tab makes of each start of a command word
let lastPromptText = '';   // what the game says once it is over, from the game itself
let mapWords = new Map();  // each map the game draws, as printed, to what it shows in words
let mapHeights = [];       // the numbers of lines the maps have
let playing = false;       // a game is running and takes what is typed
let waiting = false;       // ... and is waiting for the player
let lastPrompt = false;    // ... for the last word of a game that has ended
let wordSent = false;      // the last line handed to the game held a word
let anotherWhenOver = false;  // start another game as soon as this one is over
let loadFailed = false;
const typedAhead = [];     // lines entered before the game was ready for them
const decoder = new TextDecoder();
let unshown = '';        // the game's text not yet on the screen
let unannounced = '';    // the game's text on the screen, not yet in the live region
let transcript = '';     // everything shown since the page was opened, games and typed lines
let history = [];        // the lines typed in this game
let recalled = 0;        // the line of `history` in the field; history.length: a new line
let draft = '';          // what was typed before Up was first pressed
const display = new Screen(output, kScrollback, mapAt);

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
  /** Lines on the screen. */
  get lines() {
    return display.lines;
  },
  /** The text on the screen: this game, or its last lines, as the console would show it. */
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

/** Puts `text` at the end of the screen and of the transcript. */
function show(text) {
  if (text === '') return;
  transcript += text;
  display.show(text);
  scrollToEnd();
}

/** Shows what the game wrote since last time. */
function showGameText() {
  unannounced += unshown;
  show(unshown);
  unshown = '';
}

/**
 * The map whose first line is `lines[at]` and whose lines all end before `lines[end]`, as
 * {height, words}; null if none.
 */
function mapAt(lines, at, end = lines.length - 1) {
  if (!/^[=#][=# ]*$|^ +[=#]/.test(lines[at])) return null;
  for (const height of mapHeights) {
    const said = at + height <= end && mapWords.get(lines.slice(at, at + height).join('\n'));
    if (said) return {height, words: said};
  }
  return null;
}

/** Announces the game's answer once, a line to an element: blank lines left out, each map in words. */
function announce() {
  const text = unannounced;
  unannounced = '';
  if (text === '') return;
  const lines = text.split('\n');
  const spoken = [];
  for (let at = 0; at < lines.length;) {
    const map = mapAt(lines, at);
    if (map) {
      spoken.push(map.words);
      at += map.height;
    } else {
      if (lines[at].trim() !== '') spoken.push(lines[at]);
      at++;
    }
  }
  if (spoken.length === 0) return;
  answer.replaceChildren(...spoken.slice(-kScrollback).map((line) => {
    const item = document.createElement('p');
    item.textContent = line;
    return item;
  }));
}

/** The numbered choices of the menu `text` ends with, as {number, label}; none if it ends otherwise. */
function menuChoices(text) {
  const lines = text.split('\n');
  if (lines.pop() !== '') return [];
  const found = [];
  for (let line = lines.pop(); line !== undefined; line = lines.pop()) {
    const choice = /^(\d+)\. (.*\S)/.exec(line);
    if (!choice) break;
    found.unshift({number: choice[1], label: line.replace(/ +/g, ' ')});
  }
  const numbered = found.every((choice, i) => choice.number === String(i + 1));
  return found.length >= 2 && numbered ? found : [];
}

/**
 * Shows one set of buttons: the frequent words, a menu's choices, or `again` alone. On a
 * phone the screen takes the height the buttons leave: its last line stays in view.
 */
function showButtons(which) {
  words.hidden = which !== words;
  choices.hidden = which !== choices;
  again.parentElement.hidden = which !== again;
  scrollToEnd();
}

/** The buttons and the keyboard the game's last answer, `text`, asks for. */
function followGame(text) {
  lastPrompt = lastPromptText !== '' && text.endsWith(lastPromptText);
  const menu = lastPrompt ? [] : menuChoices(text);
  if (menu.length > 0) {
    choices.replaceChildren(...menu.map(({number, label}) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.word = number;
      button.textContent = label;
      return button;
    }));
    field.setAttribute('inputmode', 'numeric');
    showButtons(choices);
  } else {
    field.removeAttribute('inputmode');
    if (lastPrompt) offerAnother('New game');
    else showButtons(words);
  }
}

/** Shows the one button that starts another game, or loads the game again. */
function offerAnother(label) {
  again.textContent = label;
  field.removeAttribute('inputmode');
  showButtons(again);
}

/** Hands `line` to the game, shown where it was typed and kept for Up; or starts a new game. */
function send(line) {
  hint.textContent = '';
  if (loadFailed) {
    typedAhead.push(line);
    retryLoad();
    return;
  }
  if (!playing && game) {
    newGame();
    return;
  }
  if (!waiting) {
    typedAhead.push(line);  // played once the game is ready for it
    return;
  }
  if (lastPrompt && line.trim() === '') {
    startAnother();
    return;
  }
  waiting = false;
  wordSent = line.trim() !== '';
  show(line + '\n');
  // As at a terminal: blank lines and a line equal to the one before are not kept.
  if (line.trim() !== '' && line !== history[history.length - 1]) history.push(line);
  recalled = history.length;
  draft = '';
  game.sendInput(line + '\n');
}

/** Ends the game at its last prompt, as the end of input does, and starts another. */
function startAnother() {
  anotherWhenOver = true;
  waiting = false;
  game.endInput();
}

prompt.addEventListener('submit', (event) => {
  event.preventDefault();
  const line = field.value;
  field.value = '';
  send(line);
});

// A tapped button leaves a phone's keyboard as it was: the field gets the focus back only
// if it had it, or if the button was pressed with a mouse or a key.
let fieldHadFocus = false;
function pressed(event, act) {
  act();
  if (event.pointerType !== 'touch' || fieldHadFocus) field.focus();
}
for (const group of [words, choices, everyWord, again]) {
  group.addEventListener('pointerdown', () => {
    fieldHadFocus = document.activeElement === field;
  });
}
for (const group of [words, choices, everyWord]) {
  group.addEventListener('click', (event) => {
    const button = event.target.closest('button');
    if (button) pressed(event, () => send(button.dataset.word));
  });
}
again.addEventListener('click', (event) => {
  pressed(event, () => {
    if (loadFailed) retryLoad();
    else if (playing) startAnother();
    else newGame();
  });
});

/** Puts `text` in the field with the cursor at its end. */
function setField(text) {
  field.value = text;
  field.setSelectionRange(text.length, text.length);
}

/**
 * Tab, by the game's own rule (quellmoor_completions): the word before the cursor grows as
 * far as the command words it begins agree, with a space once it is whole; where it can
 * grow no further but begins several, they are listed below the console, as a second Tab
 * lists them at a terminal. An empty word, or one that begins none, lets Tab move on.
 */
function complete(event) {
  const before = field.value.slice(0, field.selectionStart);
  const start = /\S*$/.exec(before)[0];
  const [added, choices] = completions.get(start) ?? ['', []];
  if (start === '' || (added === '' && choices.length === 0)) return;
  event.preventDefault();
  if (added === '') {
    hint.textContent = `Words that begin with ${start}: ${choices.join(', ')}`;
    return;
  }
  const after = field.value.slice(field.selectionEnd);
  field.value = before + added + after;
  const cursor = before.length + added.length;
  field.setSelectionRange(cursor, cursor);
}

// The words listed by Tab are for the word being typed, and go as it changes.
field.addEventListener('input', () => {
  hint.textContent = '';
});

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

/**
 * Shows a line of the page's own (not the game's) at the end of the screen, and adds it to
 * what the live region says.
 */
function tell(line) {
  show(`\n\n[${line}]`);
  const item = document.createElement('p');
  item.textContent = `[${line}]`;
  answer.append(item);
}

async function play() {
  playing = true;
  history = [];
  recalled = 0;
  draft = '';
  window.quellmoor.gamesPlayed++;
  let ended;
  try {
    await game.ccall('quellmoor_play', 'number', [], [], {async: true});
    ended = 'The game is over. Press Enter or New game to play again.';
  } catch (error) {
    ended = `The game stopped: ${error}. Press Enter or New game to start a new one.`;
  }
  playing = false;
  waiting = false;
  lastPrompt = false;
  unshown += decoder.decode();
  showGameText();
  announce();
  if (anotherWhenOver) {
    anotherWhenOver = false;
    newGame();
    return;
  }
  tell(ended);
  offerAnother('New game');
}

function newGame() {
  game.discardInput();
  typedAhead.length = 0;
  wordSent = false;
  display.clear();
  transcript += '\n';
  play();
}

const gameEvents = {
  onOutput(bytes) {
    if (window.quellmoor.firstOutputAt === null) {
      window.quellmoor.firstOutputAt = performance.now();
    }
    unshown += decoder.decode(bytes, {stream: true});
  },
  onFlush: showGameText,
  onInputWanted() {
    showGameText();
    const text = unannounced;
    announce();
    // A blank line leaves the game waiting as it was; a word may be answered with nothing
    // (the weapon shops are left in silence).
    if (text !== '' || wordSent) followGame(text);
    waiting = true;
    // A line typed while the game was loading, or busy, is played now, as if typed now.
    if (typedAhead.length > 0) setTimeout(() => waiting && send(typedAhead.shift()));
  },
};

/** Says what kept the game from loading, on the screen and aloud, and offers to try again. */
function failLoad(what) {
  if (loadFailed) return;
  loadFailed = true;
  tell(`Quellmoor could not be loaded: ${what}. Press Enter or Try again to try again.`);
  offerAnother('Try again');
}

/** The game's compiled code, fetched and made ready to run; says what failed if it cannot be. */
async function instantiate(imports) {
  let response;
  try {
    response = await fetch('quellmoor.wasm');
  } catch {
    throw new Error('its file quellmoor.wasm could not be fetched (is the network down?)');
  }
  if (!response.ok) {
    throw new Error(`the server answered ${response.status} ${response.statusText} for quellmoor.wasm`.trim());
  }
  const copy = response.clone();
  try {
    return await WebAssembly.instantiateStreaming(response, imports);
  } catch {
    // Served with another type than application/wasm, or not WebAssembly at all.
    try {
      return await WebAssembly.instantiate(await copy.arrayBuffer(), imports);
    } catch (error) {
      throw new Error(`this browser cannot run quellmoor.wasm (${error.message})`);
    }
  }
}

function loadGame() {
  if (typeof createQuellmoor !== 'function') {
    failLoad('its program, quellmoor.js, did not arrive');
    return;
  }
  createQuellmoor({
    ...gameEvents,
    instantiateWasm(imports, receive) {
      instantiate(imports).then(({instance, module}) => receive(instance, module),
                                (error) => failLoad(error.message));
      return {};
    },
  }).then((module) => {
    game = module;
    commandWords = game.ccall('quellmoor_command_words', 'string', [], []).split(' ');
    offerWords(commandWords);
    completions = new Map(Object.entries(JSON.parse(game.ccall('quellmoor_completions', 'string', [], []))));
    lastPromptText = game.ccall('quellmoor_last_prompt', 'string', [], []);
    mapWords = new Map(JSON.parse(game.ccall('quellmoor_map_speech', 'string', [], [])));
    mapHeights = [...new Set([...mapWords.keys()].map((map) => map.split('\n').length))];
    showButtons(words);
    play();
  }, (error) => failLoad(`${error}`));
}

function retryLoad() {
  loadFailed = false;
  display.clear();
  answer.replaceChildren();
  if (typeof createQuellmoor === 'function') {
    loadGame();
    return;
  }
  const script = document.createElement('script');
  script.src = 'quellmoor.js';
  script.onload = loadGame;
  script.onerror = () => failLoad('its program, quellmoor.js, could not be fetched (is the network down?)');
  document.body.append(script);
}

loadGame();
field.focus();

// Kept for play with no network. A new build's worker is looked for at once (the browser's
// own look may come seconds later); once it has kept the new files it takes over this page,
// which says so: the next load plays the new version.
if ('serviceWorker' in navigator) {
  const updating = navigator.serviceWorker.controller !== null;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (!updating) return;
    const reload = document.createElement('button');
    reload.type = 'button';
    reload.textContent = 'Load it now';
    reload.addEventListener('click', () => location.reload());
    notice.replaceChildren('A new version of Quellmoor is ready; it plays from the next load.', reload);
  });
  navigator.serviceWorker.register('sw.js').then((registration) => registration.update()).catch(() => {});
}
