// The page's first script, before page.js has come (on a slow line, the page shows its field
// and buttons for most of a second before then): Enter and the word buttons do not send the
// form anywhere, and the line waits below the screen until terminal.js takes it up and plays
// it. A file of its own, not a script in index.html, so that the page's Content-Security-Policy
// can refuse every inline script.

// Its build, which web/tools/build.sh writes here: loader.js checks that it is the page's.
window.quellmoorEarlyBuild = '@BUILD_ID@';

(() => {
  const early = window.quellmoorEarly = [];
  const keep = (line) => {
    if (window.quellmoorEarly !== early) return false;  // the page's script has taken over
    early.push(line);
    document.getElementById('pending').append(line + '\n');
    return true;
  };
  document.addEventListener('submit', (event) => {
    event.preventDefault();
    const field = document.getElementById('command');
    if (keep(field.value)) field.value = '';
  });
  document.addEventListener('click', (event) => {
    const word = event.target.closest?.('button[data-word]')?.dataset.word;
    if (word !== undefined) keep(word);
  });
})();
