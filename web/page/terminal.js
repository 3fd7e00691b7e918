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
// another. Where the game stands, and the lines it has read, are its session (session.js):
// kept as it goes (keep.js) and replayed on the next load, or shared as a link (share.js).

import {GameText} from './game_text.js';
import {everyWord, offerWords} from './help.js';
import {Keeper} from './keep.js';
import {LineEditor} from './line_editor.js';
import {loadModule} from './loader.js';
import {button, say} from './notice.js';
import {Screen} from './screen.js';
import {Replay, Session, Stage} from './session.js';
import {installSharing, takeSharedGame} from './share.js';
import {watchForUpdates} from './updates.js';

const screen = document.getElementById('screen');
const output = document.getElementById('output');
const prompt = document.getElementById('prompt');
const field = document.getElementById('command');
const answer = document.getElementById('answer');
const words = document.getElementById('words');
const choices = document.getElementById('choices');
const again = document.getElementById('again');
const againRow = again.parentElement;
const hint = document.getElementById('hint');
const notice = document.getElementById('notice');
const pending = document.getElementById('pending');  // lines typed before the game could take them
// The groups of buttons that send their word to the game.
const wordGroups = [words, choices, everyWord];

// Lines the screen keeps, as a terminal keeps a scrollback (1,000 is a common default). The
// 25 blank lines that clear the screen before each answer are kept for the last answer
// alone, older ones shortened to one: an answer is then about 5 to 20 lines, and the screen
// holds the last 50 to 200 answers to scroll back to.
const kScrollback = 1000;

let game = null;           // the loaded module, once it is
let gameText = null;       // what the page reads in the game's text, once it is loaded
const session = new Session();
let keeper = null;         // keeps the session, once this tab has taken up its game
let toldUnkept = false;    // the player was told that this game cannot be kept
let replay = null;         // the kept or shared game being played back, while it is
const typedAhead = [];     // lines entered before the game was ready for them
const decoder = new TextDecoder();
let unshown = '';        // the game's text not yet on the screen
let unannounced = '';    // the game's text on the screen, not yet in the live region
let transcript = '';     // everything shown since the page was opened, games and typed lines
const editor = new LineEditor(field, hint, screen);
const display = new Screen(output, kScrollback, (lines, at, end) => gameText?.mapAt(lines, at, end) ?? null);

// For tests and the curious: the page's text, its size in characters, what it is doing.
window.quellmoor = {
  firstOutputAt: null,  // performance.now() when the game's first text arrived
  resumedInMs: null,    // how long the last replay of a kept or shared game took
  gamesPlayed: 0,
  get playing() {
    return session.playing;
  },
  get stage() {
    return session.stage;
  },
  /** The storage key this tab keeps its game under (keep.js). */
  get keptAs() {
    return keeper?.key ?? null;
  },
  get commandWords() {
    return gameText?.commandWords ?? [];
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
    return display.size(screen);
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
  loaded();
  session.add(unshown);
  unannounced += unshown;
  show(unshown);
  unshown = '';
}

/** Takes the loading line away, from the screen and the live region. */
function loaded() {
  for (const line of document.querySelectorAll('.loading')) line.remove();
}

/** Makes the live region say `lines`, a line to an element. */
function sayAloud(lines) {
  answer.replaceChildren(...lines.map((line) => {
    const item = document.createElement('p');
    item.textContent = line;
    return item;
  }));
}

/** Announces the game's answer once, a line to an element: blank lines left out, each map in words. */
function announce() {
  const spoken = gameText.spoken(unannounced);
  unannounced = '';
  if (spoken.length > 0) sayAloud(spoken.slice(-kScrollback));
}

/**
 * Shows one set of buttons: the frequent words, a menu's choices, or `againRow`, after
 * `change` (if any) has made them. A button that had the focus and is gone hands it to the
 * first of the new ones. On a phone the screen takes the height the buttons leave: its last
 * line stays in view.
 */
function showButtons(which, change = () => {}) {
  const focused = document.activeElement;
  const onButton = [...wordGroups, againRow].some((group) => group.contains(focused));
  change();
  words.hidden = which !== words;
  choices.hidden = which !== choices;
  againRow.hidden = which !== againRow;
  if (onButton && !(which.contains(focused) && focused.isConnected)) which.querySelector('button').focus();
  scrollToEnd();
}

/** Shows the buttons and sets the keyboard the game's last answer, `text`, asks for; returns the stage it leaves the game at. */
function followGame(answered) {
  const {over, menu} = gameText.asks(answered);
  if (menu.length > 0) {
    field.setAttribute('inputmode', 'numeric');
    showButtons(choices, () => choices.replaceChildren(...menu.map(({number, label}) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.word = number;
      button.textContent = label;
      return button;
    })));
  } else if (over) {
    offerAnother('New game');
  } else {
    field.removeAttribute('inputmode');
    showButtons(words);
  }
  return over ? Stage.lastPrompt : Stage.waiting;
}

/** Shows the one button that starts another game, or loads the game again. */
function offerAnother(label) {
  again.textContent = label;
  field.removeAttribute('inputmode');
  showButtons(againRow);
}

/** Shows the lines waiting for the game, where the next typed line goes. */
function showPending() {
  if (pending) pending.textContent = typedAhead.map((line) => line + '\n').join('');
}

/** Keeps `line` for the game, which plays it once it is ready: it shows at once. */
function typeAhead(line) {
  typedAhead.push(line);
  showPending();
}

/** Hands `line` to the game, shown where it was typed and kept for Up; or starts a new game. */
function send(line) {
  hint.textContent = '';
  switch (session.stage) {
    case Stage.failed:
      typeAhead(line);
      retryLoad();
      return;
    case Stage.over:
      newGame();
      return;
    case Stage.lastPrompt:
      if (line.trim() === '') {
        startAnother();
        return;
      }
      break;
    case Stage.waiting:
      break;
    default:
      typeAhead(line);  // played once the game is ready for it
      return;
  }
  session.stage = Stage.busy;
  for (const topic of ['game', 'share']) say(topic);  // said of the game before this line
  session.read(line);
  show(line + '\n');
  editor.remember(line);
  game.sendInput(line + '\n');
}

/** Plays the first line typed ahead, if the game still waits for one. */
function playTypedAhead() {
  if (typedAhead.length === 0) return;
  setTimeout(() => {
    if (session.stage !== Stage.waiting && session.stage !== Stage.lastPrompt) return;
    const line = typedAhead.shift();
    showPending();
    send(line);
  });
}

/** Ends the game at its last prompt, as the end of input does, and starts another. */
function startAnother() {
  session.stage = Stage.ending;
  game.endInput();
}

/** Ends the game now running, if any, and starts another. */
function anotherGame() {
  if (session.stage === Stage.failed) retryLoad();
  else if (session.playing) startAnother();
  else newGame();
}

prompt.addEventListener('submit', (event) => {
  event.preventDefault();
  const line = field.value;
  field.value = '';
  send(line);
});

/**
 * Gives the field the focus. Moved there after a button, it is not described again (the
 * player has heard its description): that comes back once the focus leaves it.
 */
function focusField() {
  if (document.activeElement === field) return;
  const description = field.getAttribute('aria-describedby');
  if (description !== null) {
    field.removeAttribute('aria-describedby');
    field.addEventListener('blur', () => field.setAttribute('aria-describedby', description), {once: true});
  }
  field.focus();
}

// A tapped button leaves a phone's keyboard as it was: the field gets the focus back only
// if it had it, or if the button was pressed with a mouse or a key.
let fieldHadFocus = false;
function pressed(event, act) {
  act();
  if (event.pointerType !== 'touch' || fieldHadFocus) focusField();
}
for (const group of [...wordGroups, againRow]) {
  group.addEventListener('pointerdown', () => {
    fieldHadFocus = document.activeElement === field;
  });
}
for (const group of wordGroups) {
  group.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-word]');
    if (button) pressed(event, () => send(button.dataset.word));
  });
}
again.addEventListener('click', (event) => pressed(event, anotherGame));
// A tap or click on the screen opens the keyboard, unless it selected some text.
screen.addEventListener('click', () => {
  if (getSelection().isCollapsed) field.focus();
});
// The on-screen keyboard shrinks the page: keep the typed line in view above it.
(window.visualViewport || window).addEventListener('resize', scrollToEnd);

// On a phone the screen takes the height the notices leave: its last line stays in view.
new ResizeObserver(scrollToEnd).observe(notice);
installSharing(() => transcript, () => session.record);

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

/** Keeps the game as it now stands, or forgets it once it is over; says once if it cannot. */
function keepGame() {
  if (session.stage === Stage.lastPrompt || session.lines.length === 0) keeper.forget();
  else keeper.save(session.record);
  if (keeper.failed && !toldUnkept) {
    toldUnkept = true;
    say('keeping', 'This browser does not let the page keep your game: it plays on, but a reload loses it.');
  }
}


/** The game read the kept or shared line before this: takes what it wrote, hands it the next. */
function replayNext() {
  const step = replay.step(session, unshown, game);
  unshown = '';
  if (step === 'same') endReplay();
  else if (step === 'other') startAnother();  // not the game that was kept: play() says so
}

/** Shows the replayed game as if it had been played here, and goes on with it. */
function endReplay() {
  const {text, answer: last, how, startedAt} = replay;
  replay = null;
  transcript += text;
  display.show(text.slice(display.startOfLast(text)));
  scrollToEnd();
  for (const line of session.lines) editor.remember(line);
  unannounced = last;
  announce();
  session.stage = followGame(last);
  keepGame();
  window.quellmoor.resumedInMs = performance.now() - startedAt;
  say('game', how === 'link' ? 'This game was opened from a link: play on from here.' : 'Your game was resumed where you left it.',
      button('New game', () => {
        say('game');
        anotherGame();
      }));
  playTypedAhead();
}

/** Plays a game to its end: a new one, or the one `record` (from `how`: 'kept' or 'link') replays. */
async function play(record = null, how = '') {
  session.begin();
  if (record) {
    session.stage = Stage.replaying;
    replay = new Replay(record, how);
  }
  editor.clear();
  window.quellmoor.gamesPlayed++;
  let ended;
  try {
    await game.ccall('quellmoor_play', 'number', [], [], {async: true});
    ended = 'The game is over. Press Enter or New game to play again.';
  } catch (error) {
    ended = `The game stopped: ${error}. Press Enter or New game to start a new one.`;
  }
  const stage = session.stage;
  session.stage = Stage.over;
  unshown += decoder.decode();
  keeper.forget();
  if (replay) {
    // The lines did not give the game they were kept or shared with (spoilt, or another
    // version of the game): it was never shown, and a new one starts.
    unshown = '';
    say('game', replay.how === 'link' ? 'This link\'s game could not be replayed: its words are spoilt, or from another version of Quellmoor. A new game starts.'
                              : 'Your kept game could not be resumed: it did not replay as it was played. A new game starts.');
    replay = null;
    newGame();
    return;
  }
  showGameText();
  announce();
  if (stage === Stage.ending) {
    newGame();
    return;
  }
  tell(ended);
  offerAnother('New game');
}

function newGame() {
  game.discardInput();
  typedAhead.length = 0;
  showPending();
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
  onFlush() {
    if (session.stage !== Stage.replaying) showGameText();
  },
  onInputWanted() {
    if (session.stage === Stage.replaying) {
      replayNext();
      return;
    }
    showGameText();
    const answered = unannounced;
    const menuOpen = !choices.hidden;
    announce();
    // A blank line leaves the game waiting as it was; a word may be answered with nothing
    // (the weapon shops are left in silence), which the live region says in the page's words.
    if (answered !== '' || session.wordRead) session.stage = followGame(answered);
    else session.stage = Stage.waiting;
    if (answered === '' && session.wordRead && menuOpen) sayAloud(['[Menu closed. The game printed nothing.]']);
    keepGame();
    // A line typed while the game was loading, or busy, is played now, as if typed now.
    playTypedAhead();
  },
};

/** Says what kept the game from loading, on the screen and aloud, and offers to try again. */
function failLoad(what) {
  if (session.stage === Stage.failed) return;
  session.stage = Stage.failed;
  loaded();
  tell(`Quellmoor could not be loaded: ${what}. Press Enter or Try again to try again.`);
  offerAnother('Try again');
}

// The game this tab takes up, as [record, how] for play(): the one its link carries, or the
// one kept for it (keep.js); none for a new game.
const takingUp = (async () => {
  const shared = takeSharedGame();
  keeper = await Keeper.open(shared !== null);
  if (shared?.refused) say('game', `This link's game could not be opened: ${shared.refused}. A new game starts.`);
  if (shared?.record) return [shared.record, 'link'];
  if (keeper.found !== 'spoilt') return keeper.found ? [keeper.found, 'kept'] : [];
  keeper.forget();
  say('game', 'Your kept game could not be read, so a new game starts.');
  return [];
})();

function loadGame(again = false) {
  loadModule(gameEvents, again).then(async (module) => {
    game = module;
    gameText = new GameText(game);
    editor.completions = gameText.completions;
    offerWords(gameText.commandWords);
    showButtons(words);
    play(...await takingUp);
  }, (error) => failLoad(error.message));
}

function retryLoad() {
  session.stage = Stage.loading;
  display.clear();
  answer.replaceChildren();
  loadGame(true);
}

// Lines entered and words pressed before this script ran, which index.html kept for it.
for (const line of window.quellmoorEarly?.splice(0) ?? []) typeAhead(line);
window.quellmoorEarly = null;
loadGame();
field.focus();
watchForUpdates();
