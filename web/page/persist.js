// Whether the browser keeps the page's games for good, said in one line of Help, and asked
// of it (navigator.storage.persist) when the player saves or opens a game file. Unasked, a
// browser may clear a page's storage when it runs short of room; Safari also clears what a
// page's script wrote after seven days without a visit, unless the page was added to the
// home screen. Firefox asks the player (Chromium and Safari decide alone), so the page asks
// only when the player has just shown they care to keep a game, between two words, never
// at a load or in the middle of play.

const line = document.getElementById('storage-kept');
let asked = false;

/** True where the browser is Safari's engine alone, which clears storage after days away, outside the home screen. */
function clearsAfterDaysAway() {
  const agent = navigator.userAgent;
  const webKitAlone = /AppleWebKit/.test(agent) && !/Chrome|Chromium|Android/.test(agent);
  return webKitAlone && !navigator.standalone && !matchMedia('(display-mode: standalone)').matches;
}

/** Whether the browser keeps the page's storage until the player deletes it: null where it does not say. */
async function persisted() {
  try {
    return await navigator.storage?.persisted?.() ?? null;
  } catch {
    return null;
  }
}

/** The line Help says of the browser's keeping: whether it agreed to keep, and where it clears after days away. */
async function keepingLine() {
  const kept = await persisted();
  const toFile = ' Save game to a file keeps one for good.';
  if (clearsAfterDaysAway()) {
    return `This browser ${kept ? 'keeps these games when it runs short of room, but' : 'may clear these games, and'} ` +
           `clears them after seven days without a visit (unless the page is on the home screen).${toFile}`;
  }
  if (kept) return 'This browser has agreed to keep these games until you delete them.';
  const answer = kept === null ? 'does not say whether it keeps these games' : 'has not agreed to keep these games';
  return `This browser ${answer}: it may clear them when it runs short of room.${toFile}`;
}

/** Says in Help whether the browser keeps the page's storage. */
export async function tellKeeping() {
  line.textContent = await keepingLine();
}

/** Asks the browser, once a visit, to keep the page's storage for good; then says what it answered. */
export async function askToKeep() {
  if (asked || !navigator.storage?.persist) return;
  asked = true;
  try {
    await navigator.storage.persist();
  } catch {
    // Not granted, then; the line says so.
  }
  await tellKeeping();
}
