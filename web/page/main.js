// The page's scripts, in the order they take up the page: its settings first, so the text
// size and colours are right before anything is drawn; then the help, the layout, the
// console that plays the game, and last what an address without https lacks.
// web/tools/build.sh bundles them into one minified page.js.
import './settings.js';
import './help.js';
import './layout.js';
import './terminal.js';
import './address.js';
