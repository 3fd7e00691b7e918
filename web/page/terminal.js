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
// another. Each game is an object of its own (game.js), which takes what the game writes:
// kept as it goes (keep.js) and replayed on the next load, shared as a link (share.js), or
// saved as a file and opened again (files.js).

import {PlayedGame} from './game.js';
import {GameText} from './game_text.js';
import {installGameFiles} from './files.js';
import {everyWord, listKeptGames, offerWords} from './help.js';
import {keeperForThisPage} from './keep.js';
import {LineEditor} from './line_editor.js';
import {loadModule} from './loader.js';
import {button, say} from './notice.js';
import {Screen} from './screen.js';
import {Stage} from './session.js';
import {installSharing, onLinkOpened, takeSharedGame} from './share.js';
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
let current = new PlayedGame();  // the game on the page, which takes what the module writes
current.stage = Stage.loading;
const keeper = keeperForThisPage(say);
const typedAhead = [];     // lines entered before the game was ready for them
let earlier = '';          // the transcript of the games before this one
const editor = new LineEditor(field, hint, screen);
const display = new Screen(output, kScrollback, (lines, at, end) => gameText?.mapAt(lines, at, end) ?? null);

// For tests and the curious: the page's text, its size in characters, what it is doing.
window.quellmoor = {
  firstOutputAt: null,  // performance.now() when the game's first text arrived
  resumedInMs: null,    // how long the last replay of a kept or shared game took
  gamesPlayed: 0,
  get playing() { return current.session.playing; },
  get stage() { return current.stage; },
  get keptAs() { return keeper.key; },  // the storage key of this tab's game (keep.js)
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

/** Puts `text` at the end of the screen. */
function show(text) {
  if (text === '') return;
  display.show(text);
  scrollToEnd();
}

/** Shows what the game wrote since last time. */
function showGameText() {
  loaded();
  show(current.shown());
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
function announce(text = current.unannounced()) {
  const spoken = gameText.spoken(text);
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
  switch (current.stage) {
    case Stage.failed:
      typeAhead(line);
      retryLoad();
      return;
    case Stage.over:
      newGame();
      return;
    case Stage.lastPrompt:
      if (line.trim() === '') {
        endGame(current, newGame);
        return;
      }
      break;
    case Stage.waiting:
      break;
    default:
      typeAhead(line);  // played once the game is ready for it
      return;
  }
  current.stage = Stage.busy;
  for (const topic of ['game', 'link', 'share', 'file']) say(topic);  // said of the game before this line
  current.typed(line);
  show(line + '\n');
  editor.remember(line);
  game.sendInput(line + '\n');
}

/** Plays the first line typed ahead, if the game still waits for one. */
function playTypedAhead() {
  if (typedAhead.length === 0) return;
  setTimeout(() => {
    if (current.stage !== Stage.waiting && current.stage !== Stage.lastPrompt) return;
    const line = typedAhead.shift();
    showPending();
    send(line);
  });
}

/** Ends the game `playing`, as the end of input does, and then does `then`. */
function endGame(playing, then) {
  playing.then = then;
  playing.stage = Stage.ending;
  game.endInput();
}

/** Ends the game now running, if any, and starts another. */
function anotherGame() {
  if (current.stage === Stage.failed) retryLoad();
  else if (current.session.playing) endGame(current, newGame);
  else newGame();
}

/** The notice's New game: over a game in play, once the player says so again; then the field has the focus. */
function askNewGame() {
  const answered = (act) => () => {
    say('game');
    act();
  };
  const yes = button('Yes, a new game', answered(anotherGame));
  if (current.stage !== Stage.waiting) return yes.click();
  say('game', 'Start a new game? The game in play is then deleted.', yes, button('No, play on', answered(() => {})));
  yes.focus();
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
new ResizeObserver(scrollToEnd).observe(document.getElementById('notice'));
installSharing(() => earlier + current.transcript, () => current.record);

/**
 * Shows a line of the page's own (not the game's) at the end of the screen, and adds it to
 * what the live region says.
 */
function tell(line) {
  current.transcript += `\n\n[${line}]`;
  show(`\n\n[${line}]`);
  const item = document.createElement('p');
  item.textContent = `[${line}]`;
  answer.append(item);
}

/** The game `playing` read the kept or shared line before this: hands it the next. */
function replayNext(playing) {
  const step = playing.replayNext(game, (answer) => gameText.asks(answer).over);
  if (step === 'spoilt') endGame(playing, () => replayFailed(playing));
  else if (step !== 'playing') endReplay(playing, step, false);
}

/** Shows the game played back, come out `outcome` (Replay), as if it had been played here; `over`: it ended. */
function endReplay(playing, outcome, over) {
  const {text, answer} = playing.adoptReplay();
  loaded();
  show(text.slice(display.startOfLast(text)));
  for (const line of playing.session.lines) editor.remember(line);
  announce();
  if (!over) playing.stage = followGame(answer);
  current.keep(keeper);
  window.quellmoor.resumedInMs = performance.now() - playing.replay.startedAt;
  say('game', playing.resumedNotice(outcome, over || playing.stage === Stage.lastPrompt), button('New game', askNewGame));
  listKeptGames(keeper, takeUpKept);
  playTypedAhead();
}

/** The game `playing` did not replay as kept or shared: nothing of it is shown. */
function replayFailed(playing) {
  loaded();
  if (playing.replay.how === 'kept') return noGame(PlayedGame.unreplayed);
  say('link', 'This link\'s game could not be replayed: its words are spoilt.');
  clearForAnother();
  keeper.choose(null).then(begin);
}

/** No game plays (`why`): Enter or New game starts one. */
function noGame(why) {
  loaded();
  current.stage = Stage.over;
  say('game', why, button('New game', askNewGame));
  offerAnother('New game');
}

/** Plays a game to its end: a new one, or the one `start` ({record, how: 'kept' or 'link'}) replays. */
async function play(start = null) {
  earlier += current.transcript;
  const playing = current = new PlayedGame(start);
  editor.clear();
  window.quellmoor.gamesPlayed++;
  let ended;
  try {
    await game.ccall('quellmoor_play', 'number', [], [], {async: true});
    ended = 'The game is over. Press Enter or New game to play again.';
  } catch (error) {
    ended = `The game stopped: ${error}. Press Enter or New game to start a new one.`;
  }
  const stage = playing.stage;
  playing.stage = Stage.over;
  playing.written();
  if (stage !== Stage.ending && playing.replay) {
    const outcome = playing.replayEnded();
    if (outcome === 'spoilt') return replayFailed(playing);
    endReplay(playing, outcome, true);
  }
  showGameText();
  announce();
  if (stage === Stage.ending) return playing.then();
  tell(ended);
  offerAnother('New game');
  current.keep(keeper);
}

/** Empties the screen and what was typed ahead for a game to come. */
function clearForAnother() {
  game.discardInput();
  typedAhead.length = 0;
  showPending();
  display.clear();
  if (current.transcript) current.transcript += '\n';
}

/** A new game, over the one this tab had (or in place of one another tab has). */
function newGame() {
  clearForAnother();
  keeper.startOver().then(() => play());
}

/** Plays `start` in place of the game on the page, which stays kept as it was at its last word. */
function switchTo(start) {
  if (current.session.playing) return endGame(current, () => switchTo(start));
  clearForAnother();
  play(start);
}

const takeUpKept = (record) => switchTo({record, how: 'kept'});  // Help's Play
let openedEarly = null;  // how to take up the game opened before the game could play it
let gameUp = false;      // the game plays what is opened at once

/**
 * Plays in this tab the game that `takeUp()` (keep.js) takes up for a link or a file; the
 * game the tab had stays kept. Opened before the game is up (it loads, or failed to), it is
 * played once it is.
 */
async function openGiven(takeUp) {
  if (!gameUp) {
    openedEarly = takeUp;
    return;
  }
  switchTo(await takeUp());
}
/** A link's game `record` (session.js), the player's own once they play a word in it. */
const openGame = (record) => openGiven(() => keeper.open(record));
onLinkOpened(openGame);
// A game file's game (files.js), the player's own from the start.
installGameFiles(() => current.session.lines, (start) => openGiven(() => keeper.openOwn(start)));

const gameEvents = {
  onOutput(bytes) {
    window.quellmoor.firstOutputAt ??= performance.now();
    current.written(bytes);
  },
  onFlush() {
    showGameText();
  },
  onInputWanted() {
    if (current.replay) return replayNext(current);  // the game played back takes what it wrote
    showGameText();
    const answered = current.unannounced();
    const menuOpen = !choices.hidden;
    announce(answered);
    // A blank line leaves the game waiting as it was; a word may be answered with nothing
    // (the weapon shops are left in silence), which the live region says in the page's words.
    current.stage = answered !== '' || current.session.wordRead ? followGame(answered) : Stage.waiting;
    if (answered === '' && current.session.wordRead && menuOpen) sayAloud(['[Menu closed. The game printed nothing.]']);
    current.keep(keeper);
    // A line typed while the game was loading, or busy, is played now, as if typed now.
    playTypedAhead();
  },
};

/** Says what kept the game from loading, on the screen and aloud, and offers to try again. */
function failLoad(what) {
  if (current.stage === Stage.failed) return;
  current.stage = Stage.failed;
  loaded();
  tell(`Quellmoor could not be loaded: ${what}. Press Enter or Try again to try again.`);
  offerAnother('Try again');
}

const takingUp = keeper.choose(takeSharedGame());

/** Plays the game chosen; where it is open in another tab, says so and offers a new one. */
function begin(start) {
  listKeptGames(keeper, takeUpKept);
  if (start?.taken) noGame('Your game in this tab is open in another tab: play it there, or start a new game here.');
  else play(start);
}

function loadGame(again = false) {
  loadModule(gameEvents, again).then(async (module) => {
    game = module;
    gameText = new GameText(game);
    editor.completions = gameText.completions;
    offerWords(gameText.commandWords);
    showButtons(words);
    let start = await takingUp;
    while (openedEarly) {
      const takeUp = openedEarly;
      openedEarly = null;
      start = await takeUp();
    }
    gameUp = true;
    begin(start);
  }, (error) => failLoad(error.message));
}

function retryLoad() {
  current.stage = Stage.loading;
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
