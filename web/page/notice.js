// The page's own notices, above the screen: a line for each topic (the game resumed or not,
// keeping it, sharing it, a new version), which a screen reader reads out as it changes (the
// element is a status region).

const notice = document.getElementById('notice');

/**
 * Says `parts` (text and elements) in place of what was said before of `topic`; no parts:
 * nothing more of it.
 */
export function say(topic, ...parts) {
  let line = notice.querySelector(`[data-topic="${topic}"]`);
  if (!line && parts.length === 0) return;
  if (!line) {
    line = notice.appendChild(document.createElement('div'));
    line.dataset.topic = topic;
  }
  line.replaceChildren(...parts);
  if (parts.length === 0) line.remove();
}

/**
 * After a button of the page's own (a notice's, Save transcript), the focus goes back to the
 * typed line, so that the next word and Enter play rather than press the button again; a tap
 * leaves a phone's keyboard as it was.
 */
export function backToField(event) {
  if (event.pointerType !== 'touch') document.getElementById('command').focus();
}

/** A button for a notice, labelled `label`, that does `act`. */
export function button(label, act) {
  const made = document.createElement('button');
  made.type = 'button';
  made.textContent = label;
  made.addEventListener('click', (event) => {
    act();
    backToField(event);
  });
  return made;
}
