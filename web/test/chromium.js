// Debian's chromium, driven by Playwright, as the page's tests and its benchmark use it.

'use strict';

const {chromium} = require('playwright-core');

// An iPhone-sized phone: 390 by 844 CSS pixels, touch, a dense screen.
const kPhone = {viewport: {width: 390, height: 844}, isMobile: true, hasTouch: true, deviceScaleFactor: 2};

/** A headless chromium with nothing running beside the page; `extraArgs` are added. */
function launchChromium(extraArgs = []) {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--disable-quic', ...extraArgs],
  });
}

module.exports = {kPhone, launchChromium};
