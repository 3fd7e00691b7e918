// The module's side of the game's console, linked in front of the compiled game.
//
// Input: the page hands over bytes with Module.sendInput (a line each time the player
// presses Enter); the game takes them with quellmoorTakeInput, waiting while there are
// none. Module.endInput closes the input (the game then sees its end, as from a finished
// pipe); Module.discardInput forgets what is left, before a new game.
//
// Output: every byte the game writes goes to Module.onOutput(Uint8Array) as it is written
// (a view of the game's memory, good during the call: copy what is to be kept);
// Module.onFlush() is called whenever the game flushes its console, which it does before
// every wait for input. Module.onInputWanted(), if set, is called each time the game has
// to wait for input; input it hands over there and then is taken at once, with no wait (the
// page replays a kept game so, a line at a time, without suspending the game for each).

var quellmoorInput = {chunks: [], waiting: 0, closed: false, wake: null};
var quellmoorEncoder = new TextEncoder();  // one for all: making one costs more than a line

function quellmoorWake() {
  var wake = quellmoorInput.wake;
  quellmoorInput.wake = null;
  if (wake) wake();
}

Module['sendInput'] = function(data) {
  var bytes = typeof data === 'string' ? quellmoorEncoder.encode(data) : data;
  if (bytes.length === 0) return;
  quellmoorInput.chunks.push(bytes);
  quellmoorInput.waiting += bytes.length;
  quellmoorWake();
};

Module['endInput'] = function() {
  quellmoorInput.closed = true;
  quellmoorWake();
};

Module['discardInput'] = function() {
  quellmoorInput.chunks = [];
  quellmoorInput.waiting = 0;
  quellmoorInput.closed = false;
};

function quellmoorInputWaiting() {
  return quellmoorInput.waiting;
}

// True when the game has nothing to read and the input is still open.
function quellmoorInputEmpty() {
  return quellmoorInput.waiting === 0 && !quellmoorInput.closed;
}

// What is waiting, up to `capacity` bytes, once the page has been told the game wants more;
// -1 if nothing is, and the game must wait (quellmoorTakeInput).
function quellmoorTakeReady(buffer, capacity) {
  if (quellmoorInputEmpty() && Module['onInputWanted']) Module['onInputWanted']();
  return quellmoorInputEmpty() ? -1 : quellmoorTake(buffer, capacity);
}

// Waits for input (the page has been told that the game wants some), then takes it.
async function quellmoorTakeInput(buffer, capacity) {
  while (quellmoorInputEmpty()) {
    await new Promise(function(resolve) {
      quellmoorInput.wake = resolve;
    });
  }
  return quellmoorTake(buffer, capacity);
}

function quellmoorTake(buffer, capacity) {
  var taken = 0;
  while (taken < capacity && quellmoorInput.chunks.length > 0) {
    var chunk = quellmoorInput.chunks[0];
    var count = Math.min(chunk.length, capacity - taken);
    HEAPU8.set(chunk.subarray(0, count), buffer + taken);
    taken += count;
    if (count === chunk.length) {
      quellmoorInput.chunks.shift();
    } else {
      quellmoorInput.chunks[0] = chunk.subarray(count);
    }
  }
  quellmoorInput.waiting -= taken;
  return taken;
}

function quellmoorShow(text, size) {
  if (Module['onOutput']) Module['onOutput'](HEAPU8.subarray(text, text + size));
}

function quellmoorFlushed() {
  if (Module['onFlush']) Module['onFlush']();
}
