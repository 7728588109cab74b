// main.js: starts the page: reads the token, draws the panel, keeps it in step with the server's events, and
// wires undo and redo (buttons and Ctrl+Z / Ctrl+Shift+Z), preset download and upload, and the banner shown
// while the connection is down.

import {Api, takeToken} from './api.js';
import {connectEvents} from './events.js';
import {PanelView} from './panel.js';

const api = new Api(takeToken());
const $ = (id) => document.getElementById(id);
const status = $('status');
const banner = $('banner');

// The sequence number of the last change shown. Events and answers are applied only in order; a gap means a
// refetch.
let seq = -1;
let syncing = false;
let queued = [];

function say(text) {
  status.textContent = text;
}

function setDepth(state) {
  $('undo').disabled = !state.undo;
  $('redo').disabled = !state.redo;
  $('undo').title = `Undo (Ctrl+Z): ${state.undo} step${state.undo === 1 ? '' : 's'}`;
  $('redo').title = `Redo (Ctrl+Shift+Z): ${state.redo} step${state.redo === 1 ? '' : 's'}`;
}

const view = new PanelView($('panel'), {
  commit: (name, text) => act(() => api.set(name, text), name),
  click: (name) => act(() => api.click(name), name),
});

// CAUSES names what moved the values of an action other than a set, for the note beside each one.
const CAUSES = {undo: 'undo', redo: 'redo', reset: 'a reset', load: 'the loaded preset'};

function showChange(change) {
  for (const p of change.properties) view.update(p);
  const moved = [...new Set(change.changes.filter((c) => c.before !== c.after).map((c) => c.name))];
  if (change.action === 'set') {
    // The edited property is the first; the others moved with it.
    view.flash(moved.slice(1), moved[0]);
  } else {
    view.flash(moved, change.by || CAUSES[change.action] || change.action);
  }
  setDepth(change);
}

function onChange(change) {
  if (syncing) {
    queued.push(change);
  } else if (change.seq === seq + 1) {
    seq = change.seq;
    showChange(change);
  } else if (change.seq > seq) {
    refetch();
  }
}

async function refetch() {
  if (syncing) return;
  syncing = true;
  queued = [];
  const answer = await api.panel();
  syncing = false;
  if (answer.status !== 200) {
    showDown();
    return;
  }
  document.title = answer.body.title;
  $('title').textContent = answer.body.title;
  view.render(answer.body);
  seq = answer.body.seq;
  setDepth(answer.body);
  const pending = queued;
  queued = [];
  pending.forEach(onChange);
}

function showDown() {
  banner.hidden = false;
}

// act runs one request for a property (or the panel when name is null) and shows its answer: the values that
// moved, or the refusal sentence beside the control that is put back.
async function act(request, name) {
  const answer = await request();
  const body = answer.body;
  if (answer.status === 0) {
    showDown();
    if (name) view.revert(name);
    return body;
  }
  if (answer.status === 200) {
    if (name) view.say(name, body.message || '', body.message ? 'info' : '');
    // The answer is the next change in line unless another client's event came first; events fill any gap.
    if (body.seq === seq + 1 && !syncing) onChange(body);
    else setDepth(body);
    return body;
  }
  if (name) {
    view.revert(name);
    view.say(name, body.message || `refused (${answer.status})`, 'error');
  } else {
    say(body.message || `refused (${answer.status})`);
  }
  return body;
}

async function history(direction) {
  const body = await act(() => (direction === 'undo' ? api.undo() : api.redo()), null);
  if (body && body.result === 'kResultOk') say(direction === 'undo' ? 'Undone.' : 'Redone.');
}

$('undo').addEventListener('click', () => history('undo'));
$('redo').addEventListener('click', () => history('redo'));

document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || event.key.toLowerCase() !== 'z') return;
  // A field with an edit not yet committed keeps the browser's own undo.
  if (event.target.matches && event.target.matches('input[data-dirty]')) return;
  event.preventDefault();
  history(event.shiftKey ? 'redo' : 'undo');
});

$('upload').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  event.target.value = '';
  if (!file) return;
  const answer = await api.uploadPreset(await file.text());
  const body = answer.body;
  if (answer.status === 200) {
    const r = body.report;
    say(`Loaded ${file.name}: ${r.loaded} loaded, ${r.refused} refused, ${r.unknown} unknown, ${r.missing} missing.`);
    if (body.seq === seq + 1) onChange(body);
  } else {
    const place = body.line ? ` (line ${body.line}, column ${body.column})` : body.pointer ? ` (at ${body.pointer})` : '';
    say(`${file.name} was not loaded: ${body.message}${place}.`);
  }
});

connectEvents({
  onHello: () => {
    banner.hidden = true;
    refetch();
  },
  onChange,
  onLost: () => refetch(),
  onDown: showDown,
});
