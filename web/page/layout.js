// Keeps the console's last line in view when the console changes size: the help panel
// opened or closed, a menu's buttons shown, the window resized, a phone turned or its
// keyboard brought up. A player who has scrolled back is left where they are. Where the
// console fills a short window, a notice above it takes its height from the console's (the
// page's CSS reads --notice-height).

const screen = document.getElementById('screen');
let atEnd = true;

screen.addEventListener('scroll', () => {
  atEnd = screen.scrollTop + screen.clientHeight >= screen.scrollHeight - 2;
}, {passive: true});

new ResizeObserver(() => {
  if (atEnd) screen.scrollTop = screen.scrollHeight;
}).observe(screen);

const notice = document.getElementById('notice');
new ResizeObserver(() => {
  const height = notice.offsetHeight && notice.offsetHeight + parseFloat(getComputedStyle(notice).marginTop);
  document.body.style.setProperty('--notice-height', `${height}px`);
}).observe(notice);
