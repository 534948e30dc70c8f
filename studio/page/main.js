// The studio page: holds the project being edited, sends it to the program
// for every picture, and wires the views and the editing together.
import * as api from './api.js';
import { History } from './history.js';
import { PanelView } from './panels.js';
import { enableDrag, nudgeStep, snap } from './drag.js';
import { Inspector } from './inspector.js';
import { SettingsForm } from './settings.js';
import { showWarnings } from './warnings.js';
import { showSheets } from './sheets.js';
import { BoxView } from './view3d.js';
import { PX_PER_CM } from './svgframe.js';
import {
  addComponent, addSection, findComponent, removeComponent, renameComponent, sectionKeys, splitId,
} from './project.js';

const $ = (selector) => document.querySelector(selector);

const state = {
  project: null,
  etag: null,
  file: '',
  savedText: '',
  selected: null,
  gridMm: 0.5,
  parts: {},
  lastPanels: {},
  ignoredEtag: null,
  saving: false,
  dragging: false,
  saves: 0, // a poll that overlapped a save may carry the etag from before it
};
const history = new History();

// For the browser test and the benchmark: which edit is drawn, and how long
// each drag step took from the pointer's move to its picture on screen.
const stats = { version: 0, drawnVersion: 0, renders: 0, stepTimes: [], requestTimes: [] };
window.studio = { state, stats };
const stepStarted = new Map();

const panels = new PanelView($('#panels'), () => state.parts);
const inspector = new Inspector($('#inspector'), inspectorActions());
const settings = new SettingsForm($('#settings'), (name, value) => edit(() => {
  if (!state.project.Studio || typeof state.project.Studio !== 'object') state.project.Studio = {};
  if (value === undefined) delete state.project.Studio[name];
  else state.project.Studio[name] = value;
}));
const box3d = new BoxView($('#view3d'));

function status(text, kind = 'info') {
  const bar = $('#status');
  bar.textContent = text;
  bar.dataset.kind = kind;
}

// ---- rendering: one request in flight; when it returns, the latest project goes next.
let inFlight = false;
let dirty = false;

function changed() {
  stats.version += 1;
  dirty = true;
  refresh();
  renderNext();
}

async function renderNext() {
  if (inFlight || !dirty) return;
  dirty = false;
  inFlight = true;
  const version = stats.version;
  try {
    const sent = performance.now();
    const result = await api.render(state.project);
    stats.requestTimes.push(performance.now() - sent);
    show(result, version);
    $('#render-error').hidden = true;
  } catch (error) {
    $('#render-error').hidden = false;
    $('#render-error').textContent = `The program could not draw this: ${error.message}`;
    stats.drawnVersion = version;
  } finally {
    inFlight = false;
    renderNext();
  }
}

let box3dTimer = null;

function show(result, version) {
  stats.renders += 1;
  state.lastPanels = result.panels || {};
  panels.setPictures(state.lastPanels);
  panels.placeMarks(state.project, state.selected);
  showWarnings($('#warnings'), result.warnings || [], select);
  $('#tab-sheets').textContent = result.sheets && result.sheets.length ? `Sheets (${result.sheets.length})` : 'Sheets';
  // The 3D box and the sheets follow too, a moment after the panels while a
  // drag goes on, so that each step's picture comes first.
  clearTimeout(box3dTimer);
  box3dTimer = setTimeout(() => {
    box3d.update(boxSize(), state.lastPanels);
    showSheets($('#sheets'), result.sheets);
  }, dirty || state.dragging ? 150 : 0);
  requestAnimationFrame(() => setTimeout(() => {
    const now = performance.now();
    for (const [v, t] of stepStarted) {
      if (v > version) continue;
      stats.stepTimes.push(now - t);
      stepStarted.delete(v);
    }
    stats.drawnVersion = Math.max(stats.drawnVersion, version);
  }, 0));
}

function setting(name, fallback) {
  const studio = state.project.Studio || {};
  return name in studio ? studio[name] : fallback;
}

function boxSize() {
  const g = state.project.Generic || {};
  return { w: Number(g.width) * 10, h: Number(g.height) * 10, t: Number(setting('material-thickness', 3)),
    bh: Number(setting('box-height-3d', 50)), outer: Boolean(setting('outer-sizing', false)) };
}

// ---- editing
function edit(change) {
  history.record(state.project);
  change();
  history.dropIfSame(state.project);
  changed();
}

function refresh() {
  const text = JSON.stringify(state.project);
  const unsaved = text !== state.savedText;
  $('#dirty').textContent = unsaved ? 'Unsaved changes' : 'Saved';
  $('#dirty').dataset.unsaved = String(unsaved);
  document.title = `${unsaved ? '● ' : ''}${state.file} — svggenerator studio`;
  if (state.selected && !findComponent(state.project, state.selected)) state.selected = null;
  panels.placeMarks(state.project, state.selected);
  inspector.show(state.project, state.selected);
  settings.fill(state.project.Studio);
  $('#undo').disabled = !history.undos.length;
  $('#redo').disabled = !history.redos.length;
}

function select(id) {
  state.selected = id && findComponent(state.project, id) ? id : null;
  refresh();
  const mark = state.selected && panels.markOf(state.selected);
  if (mark) {
    mark.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    mark.focus({ preventScroll: true });
  }
}

// Where a new component goes: the middle of its panel, on the grid.
function centreOf(sectionKey) {
  const f = panels.figures.get(sectionKey);
  const grid = state.gridMm / 10;
  if (f && f.svg) {
    const box = f.svg.viewBox.baseVal;
    const width = box && box.width ? box.width : f.svg.width.baseVal.value;
    const height = box && box.height ? box.height : f.svg.height.baseVal.value;
    return { location_x: snap((width / 2 - f.origin.x) / PX_PER_CM, grid),
      location_y: snap((height / 2 - f.origin.y) / PX_PER_CM, grid) };
  }
  const g = state.project.Generic || {};
  return { location_x: snap((g.width || 10) / 2, grid), location_y: snap((g.height || 10) / 2, grid) };
}

function inspectorActions() {
  return {
    select,
    setKey: (id, key, value) => edit(() => {
      const c = findComponent(state.project, id);
      if (!c) return;
      if (value === undefined) delete c[key];
      else c[key] = value;
    }),
    rename: (id, key) => {
      let renamed = null;
      edit(() => { renamed = renameComponent(state.project, id, key); });
      if (renamed) select(renamed);
      else status(`Cannot rename to "${key}": the name is empty or taken.`, 'error');
    },
    duplicate: (id) => {
      const c = findComponent(state.project, id);
      let copy = null;
      edit(() => {
        copy = addComponent(state.project, splitId(id)[0], splitId(id)[1],
          { ...structuredClone(c), location_x: snap(Number(c.location_x) + 1, 0.0001) });
      });
      select(copy);
    },
    remove: (id) => {
      edit(() => removeComponent(state.project, id));
      select(null);
    },
    addBlank: (sectionKey) => {
      let id = null;
      edit(() => { id = addComponent(state.project, sectionKey, 'component', centreOf(sectionKey)); });
      select(id);
    },
    addPart: (sectionKey, part) => {
      let id = null;
      const base = part.replace(/[^A-Za-z0-9]+/g, '_');
      edit(() => { id = addComponent(state.project, sectionKey, base, { ...centreOf(sectionKey), part }); });
      select(id);
    },
    setBox: (key, value) => edit(() => {
      if (!state.project.Generic || typeof state.project.Generic !== 'object') state.project.Generic = {};
      if (value === undefined) delete state.project.Generic[key];
      else state.project.Generic[key] = value;
    }),
    addSection: (kind) => {
      const first = sectionKeys(state.project)[0];
      const prefix = first ? first.slice(0, first.indexOf('_')) : 'box';
      edit(() => addSection(state.project, prefix, kind));
    },
    removeSection: (key) => edit(() => { delete state.project[key]; }),
  };
}

// ---- dragging and nudging
enableDrag($('#panels'), {
  pxPerCm: (sectionKey) => panels.unitScale(sectionKey) * PX_PER_CM,
  grid: () => state.gridMm / 10,
  start: (id) => {
    const c = findComponent(state.project, id);
    if (!c) return null;
    history.record(state.project);
    select(id);
    state.dragging = true;
    return { x: Number(c.location_x), y: Number(c.location_y) };
  },
  move: (id, x, y) => {
    const c = findComponent(state.project, id);
    c.location_x = x;
    c.location_y = y;
    stepStarted.set(stats.version + 1, performance.now());
    changed();
  },
  finish: () => {
    state.dragging = false;
    history.dropIfSame(state.project);
    refresh();
  },
});

function nudge(event) {
  const step = nudgeStep(event, state.gridMm / 10);
  const c = step && findComponent(state.project, state.selected);
  if (!c) return false;
  const grid = state.gridMm / 10;
  edit(() => {
    c.location_x = snap(Number(c.location_x) + step[0], grid || 0.0001);
    c.location_y = snap(Number(c.location_y) + step[1], grid || 0.0001);
  });
  return true;
}

// ---- undo, redo
function undo() {
  const before = history.undo(state.project);
  if (before) {
    state.project = before;
    changed();
  }
}

function redo() {
  const after = history.redo(state.project);
  if (after) {
    state.project = after;
    changed();
  }
}

// ---- saving, and edits from outside
async function save(etag = state.etag) {
  state.saving = true;
  state.saves += 1;
  const text = JSON.stringify(state.project);
  try {
    const result = await api.saveProject(state.project, etag);
    state.etag = result.etag;
    state.savedText = text;
    $('#conflict').hidden = true;
    status(`Saved ${state.file}.`);
  } catch (error) {
    if (error.status === 409) {
      showConflict('saved', error.body.etag);
    } else {
      status(`Not saved: ${error.message}`, 'error');
    }
  } finally {
    state.saving = false;
    refresh();
  }
}

function showConflict(when, diskEtag) {
  const bar = $('#conflict');
  bar.hidden = false;
  bar.dataset.etag = diskEtag || '';
  $('#conflict-text').textContent = when === 'saved'
    ? `${state.file} was changed by another program since it was loaded: not saved.`
    : `${state.file} was changed by another program — reload?`;
}

async function load() {
  const loaded = await api.getProject();
  state.project = loaded.project;
  state.etag = loaded.etag;
  state.file = loaded.file || 'project';
  state.savedText = JSON.stringify(state.project);
  state.ignoredEtag = null;
  $('#file').textContent = state.file;
  $('#conflict').hidden = true;
  history.clear();
  changed();
}

async function poll() {
  if (state.saving || !state.etag) return;
  const saves = state.saves;
  const loaded = state.etag;
  try {
    const { etag } = await api.getStatus();
    if (state.saving || saves !== state.saves || loaded !== state.etag) return;
    if (etag !== state.etag && etag !== state.ignoredEtag) showConflict('outside', etag);
  } catch {
    // The studio may be restarting; the next poll tries again.
  }
}

async function exportFiles() {
  status('Exporting…');
  try {
    const result = await api.exportRun(state.project);
    $('#export-result').hidden = false;
    $('#export-command').textContent = result.command;
    $('#export-files').textContent = (result.files || []).join('\n');
    status(`Exported ${(result.files || []).length} files.`);
  } catch (error) {
    status(`Export failed: ${error.message}`, 'error');
  }
}

// ---- the page's controls
function typing(event) {
  return event.target.closest && event.target.closest('input, textarea, select');
}

document.addEventListener('keydown', (event) => {
  const ctrl = event.ctrlKey || event.metaKey;
  if (ctrl && event.key.toLowerCase() === 's') {
    event.preventDefault();
    save();
  } else if (ctrl && !typing(event) && (event.key.toLowerCase() === 'z' || event.key.toLowerCase() === 'y')) {
    event.preventDefault();
    if (event.shiftKey || event.key.toLowerCase() === 'y') redo();
    else undo();
  } else if (!ctrl && !typing(event) && nudge(event)) {
    event.preventDefault();
  } else if (event.key === 'Escape' && !typing(event)) {
    select(null);
  }
});

window.addEventListener('beforeunload', (event) => {
  if (state.project && JSON.stringify(state.project) !== state.savedText) {
    event.preventDefault();
    event.returnValue = '';
  }
});

$('#save').addEventListener('click', () => save());
$('#undo').addEventListener('click', undo);
$('#redo').addEventListener('click', redo);
$('#export').addEventListener('click', exportFiles);
$('#reload').addEventListener('click', () => load().catch((e) => status(`Reload failed: ${e.message}`, 'error')));
$('#overwrite').addEventListener('click', () => save($('#conflict').dataset.etag));
$('#keep').addEventListener('click', () => {
  state.ignoredEtag = $('#conflict').dataset.etag;
  $('#conflict').hidden = true;
});
$('#grid').addEventListener('change', () => { state.gridMm = Number($('#grid').value); });
$('#zoom-in').addEventListener('click', () => { panels.setZoom(panels.zoom * 1.25); refresh(); });
$('#zoom-out').addEventListener('click', () => { panels.setZoom(panels.zoom / 1.25); refresh(); });
$('#zoom-reset').addEventListener('click', () => { panels.setZoom(1); refresh(); });
panels.enableZoomAndPan($('#panel-scroller'), refresh);
$('#panel-scroller').addEventListener('click', (event) => {
  if (!event.target.closest('[data-component]') && !event.target.closest('svg.ruler')) select(null);
});
for (const tab of document.querySelectorAll('[data-tab]')) {
  tab.addEventListener('click', () => {
    for (const t of document.querySelectorAll('[data-tab]')) t.classList.toggle('active', t === tab);
    $('#panel-scroller').hidden = tab.dataset.tab !== 'panels';
    $('#sheets').hidden = tab.dataset.tab !== 'sheets';
    refresh();
  });
}

function normaliseParts(parts) {
  if (Array.isArray(parts)) return Object.fromEntries(parts.map((p) => [p.name, p]));
  if (parts && parts.parts && typeof parts.parts === 'object') return normaliseParts(parts.parts);
  return parts || {};
}

async function start() {
  try {
    const [options, parts] = await Promise.all([api.getOptions(), api.getParts()]);
    state.parts = normaliseParts(parts);
    inspector.setParts(state.parts);
    settings.build(options);
    await load();
    box3d.start();
    setInterval(poll, 2000);
    status('Ready.');
  } catch (error) {
    status(`The studio could not start: ${error.message}`, 'error');
  }
}

start();
