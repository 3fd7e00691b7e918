// Loading the game: its program quellmoor.js (which the page loads, and this loads again after
// a failure) and its compiled code quellmoor.wasm, checked to be of the same build as each
// other and as the page (index.html and page.js). Whatever fails is said in words a player
// can act on.

import {sameBuild} from './updates.js';

// The build's name, which web/tools/build.sh writes here, into index.html and into quellmoor.js.
const kBuild = '@BUILD_ID@';
const kMixedBuilds = 'its files are from two versions of the game (it was updated while they loaded)';

let mixed = false;  // the last load found files of two builds

function mixedBuilds() {
  mixed = true;
  return new Error(kMixedBuilds);
}

/**
 * The build page.css and early.js name, where they arrived: a host that kept an old copy of
 * either (a compressed one not uploaded again) is found out, as for the other files.
 */
function buildsOfStyleAndFirstScript() {
  const style = getComputedStyle(document.documentElement).getPropertyValue('--build').trim().replace(/^"|"$/g, '');
  return [style, window.quellmoorEarlyBuild].filter(Boolean);
}

/**
 * True if index.html, page.css, early.js, page.js and quellmoor.js are of one build (or the
 * page is not built: its sources).
 */
function pageOfOneBuild() {
  if (!/^[0-9a-f]{16}$/.test(kBuild)) return true;
  return document.documentElement.dataset.build === kBuild && createQuellmoor.build === kBuild &&
         buildsOfStyleAndFirstScript().every((build) => build === kBuild);
}

// A load that found two builds loads the page once more, at once: a server updated between
// two requests serves one build the next time. Found again, it is said.
const kReloaded = `quellmoor ${location.pathname} reloaded for two builds`;

/** True, the first time in a row: the page is loaded again, of one build (a tab's storage remembers). */
function reloadForOneBuild() {
  try {
    if (sessionStorage.getItem(kReloaded) !== null) return false;
    sessionStorage.setItem(kReloaded, '');
  } catch {
    return false;  // storage refused: said at once, and Try again reloads
  }
  location.reload();
  return true;
}

function loadedOneBuild() {
  try {
    sessionStorage.removeItem(kReloaded);
  } catch {
    // Nothing was kept.
  }
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
  const same = sameBuild(response.clone());
  const copy = response.clone();
  let made;
  try {
    made = await WebAssembly.instantiateStreaming(response, imports);
  } catch {
    // Served with another type than application/wasm, or not WebAssembly at all.
    try {
      made = await WebAssembly.instantiate(await copy.arrayBuffer(), imports);
    } catch (error) {
      if (!await same) throw mixedBuilds();
      throw new Error(`this browser cannot run quellmoor.wasm (${error.message})`);
    }
  }
  if (!await same) throw mixedBuilds();
  return made;
}

/** Adds quellmoor.js to the page again. */
function fetchScript() {
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = 'quellmoor.js';
    script.onload = resolve;
    script.onerror = () => reject(new Error('its program, quellmoor.js, could not be fetched (is the network down?)'));
    document.body.append(script);
  });
}

/**
 * The game's module, made with the callbacks `events` (web/wasm/module_io.js); `again`: after a failed
 * load, quellmoor.js too is fetched again if it did not arrive. Rejects with an Error whose
 * message says what failed.
 */
export async function loadModule(events, again) {
  if (again && mixed) {
    location.reload();  // the page and its files again, of one build
    return new Promise(() => {});
  }
  if (typeof createQuellmoor !== 'function') {
    if (!again) throw new Error('its program, quellmoor.js, did not arrive');
    await fetchScript();
  }
  try {
    const module = await start(events);
    loadedOneBuild();
    return module;
  } catch (error) {
    if (mixed && !again && reloadForOneBuild()) return new Promise(() => {});
    throw error;
  }
}

function start(events) {
  if (!pageOfOneBuild()) return Promise.reject(mixedBuilds());
  return new Promise((resolve, reject) => {
    createQuellmoor({
      ...events,
      instantiateWasm(imports, receive) {
        instantiate(imports).then(({instance, module}) => receive(instance, module), reject);
        return {};
      },
    }).then(resolve, (error) => reject(new Error(`${error}`)));
  });
}
