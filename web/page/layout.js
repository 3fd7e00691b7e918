// Keeps the console's last line in view when the console changes size: the help panel
// opened or closed, a menu's buttons shown, the window resized, a phone turned or its
// keyboard brought up. A player who has scrolled back is left where they are.

const screen = document.getElementById('screen');
let atEnd = true;

screen.addEventListener('scroll', () => {
  atEnd = screen.scrollTop + screen.clientHeight >= screen.scrollHeight - 2;
}, {passive: true});

new ResizeObserver(() => {
  if (atEnd) screen.scrollTop = screen.scrollHeight;
}).observe(screen);
