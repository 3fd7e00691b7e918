// The player's settings for the page: the size of its text and its colours. Each is kept in
// the browser's own storage (nothing is sent anywhere) and applied at once; where storage is
// refused, a setting lasts for this page alone.

// Text sizes offered, in percent of the browser's own (every size on the page is in rem).
const kTextSizes = [75, 90, 100, 115, 130, 150, 175, 200];
const kThemes = ['', 'dark', 'light'];  // '': as the system's colour scheme
const kKeys = {textSize: 'quellmoor.text-size', theme: 'quellmoor.theme'};

const root = document.documentElement;

/** The kept value of `key`, or null. */
function kept(key) {
  try {
    return localStorage.getItem(key);
  } catch {
    return null;  // storage refused (a private window, a blocked site)
  }
}

function keep(key, value) {
  try {
    localStorage.setItem(key, value);
  } catch {
    // Refused or full: the setting holds for this page.
  }
}

function applyTextSize(percent) {
  root.style.fontSize = percent === 100 ? '' : `${percent}%`;
}

function applyTheme(theme) {
  if (theme === '') delete root.dataset.theme;
  else root.dataset.theme = theme;
}

/** `control` shows `value` (one of `values`, or `otherwise`) and applies and keeps each change. */
function follow(control, key, values, otherwise, apply) {
  const stored = kept(key);
  const value = values.map(String).includes(stored) ? stored : String(otherwise);
  control.value = value;
  apply(values.find((each) => String(each) === value));
  control.addEventListener('change', () => {
    apply(values.find((each) => String(each) === control.value));
    keep(key, control.value);
  });
}

const textSize = document.getElementById('text-size');
textSize.replaceChildren(...kTextSizes.map((percent) => new Option(`${percent}%`, String(percent))));
follow(textSize, kKeys.textSize, kTextSizes, 100, applyTextSize);
follow(document.getElementById('theme'), kKeys.theme, kThemes, '', applyTheme);
