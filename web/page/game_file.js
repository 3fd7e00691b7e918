// A game as a file the player keeps: plain text, the lines the game read, each followed by
// "\n", exactly as it read them (blank lines too: they change nothing, but keep the file
// exact). The same bytes piped into the console program (`quellmoor < FILE`) play the same
// game to the same point, and opened on the page in any version they play there as far as
// its rules take them. No header, no check: a line more would be a word the game reads.
//
// A file opened is read as the game would read it, or refused with the reason why. Kind to
// what editors write: Windows' line ends (CR LF), a byte-order mark, no line end after the
// last line, tabs (the game takes them as spaces between words).

// Bounds of a file opened. A game of 150,000 words is some 1 MB; a player's game is a few
// thousand. A line is at most what a terminal lets one type (its line buffer holds 4,096
// bytes), which is far more than any line of words.
export const kLargestFile = 1024 * 1024;
const kLongestLine = 4096;
// Control characters no text a player wrote holds, but a tab (whitespace to the game).
// A carriage return is one too, but where it ends a line.
const kControl = /[\0-\x08\x0b-\x1f\x7f]/;

/** Of `lines`, those that hold a word (a blank line is read, but plays nothing). */
export function wordsIn(lines) {
  return lines.filter((line) => line.trim() !== '').length;
}

/** The file of a game that read `lines`, named as a player would know it, saved on `date`. */
export function gameFile(lines, date = new Date()) {
  const day = [date.getFullYear(), date.getMonth() + 1, date.getDate()].map((n) => String(n).padStart(2, '0'));
  const words = wordsIn(lines);
  const name = `quellmoor-${day.join('-')}-${words}-word${words === 1 ? '' : 's'}.txt`;
  return new File(lines.map((line) => line + '\n'), name, {type: 'text/plain'});
}

/** The lines of the text `text`: split at each line end, the last line's end optional. */
function linesOf(text) {
  const lines = text.split('\n');
  if (lines.at(-1) === '') lines.pop();
  return lines.map((line) => line.endsWith('\r') ? line.slice(0, -1) : line);
}

/** The line at `at` (from 0), as a player counts lines. */
const lineNumber = (at) => `line ${(at + 1).toLocaleString('en')}`;

/**
 * The game in the file of bytes `bytes` (an ArrayBuffer or a typed array): {lines}, the
 * lines the game is to read, or {refused: why}, why it is no game, as the end of a sentence.
 */
export function readGameFile(bytes) {
  if (bytes.byteLength === 0) return {refused: 'it is empty'};
  if (bytes.byteLength > kLargestFile) return {refused: 'it is larger than 1 MB, more than any game holds'};
  let text;
  try {
    text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch {
    return {refused: 'it is not plain text (UTF-8)'};
  }
  const lines = linesOf(text);
  const control = lines.findIndex((line) => kControl.test(line));
  if (control >= 0) return {refused: `its ${lineNumber(control)} holds a control character, which typed words never hold`};
  const long = lines.findIndex((line) => line.length > kLongestLine);
  if (long >= 0) return {refused: `its ${lineNumber(long)} is longer than ${kLongestLine.toLocaleString('en')} characters`};
  return {lines};
}
