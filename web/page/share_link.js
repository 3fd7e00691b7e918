// A shared game's link, written and read: the lines the game has read, the length and hash
// of the text they must give and the build that played them, in the fragment.
//   PAGE#play=LENGTH.HASH.BUILD/LINE/LINE/...  (each line %-escaped; a blank line is empty;
//                                               links made before builds were named lack .BUILD)
// Nothing here touches the page, so that node can try the reader on any text.

const kLinkStart = '#play=';
// Longer links are refused, made or opened (about 9,000 words): a link is for passing on,
// and messages and address bars cut long ones short; a cut link is a spoilt one.
const kLongestLink = 65536;

/** A link to the game `record` (session.js) on the page `base`; null if it would be too long. */
export function linkTo(base, record) {
  const lines = record.lines.map((line) => '/' + encodeURIComponent(line)).join('');
  const fragment = `${kLinkStart}${record.length}.${record.hash}.${record.build}${lines}`;
  return fragment.length <= kLongestLink ? base + fragment : null;
}

/** The game the fragment `fragment` carries: null if none, else {record} or {refused: why}. */
export function readLink(fragment) {
  if (!fragment.startsWith(kLinkStart)) return null;
  if (fragment.length > kLongestLink) return {refused: 'it is too long'};
  const [check, ...escaped] = fragment.slice(kLinkStart.length).split('/');
  const sum = /^(\d{1,15})\.([0-9a-f]{16})(?:\.([0-9a-f]{0,16}))?$/.exec(check);
  try {
    const lines = escaped.map(decodeURIComponent);
    if (sum && !lines.some((line) => line.includes('\n'))) {
      return {record: {lines, length: Number(sum[1]), hash: sum[2], build: sum[3] ?? ''}};
    }
  } catch {
    // A broken %-escape: spoilt like the rest.
  }
  return {refused: 'its words are spoilt'};
}
