// The inspector: the selected component's keys, its part from the library,
// the component and section actions, the box size and the parts search.
import { COMPONENT_KEYS, KINDS, componentsOf, findComponent, sectionKeys, splitId } from './project.js';

const el = (tag, attrs = {}, ...children) => {
  const node = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (k.startsWith('on')) node.addEventListener(k.slice(2), v);
    else if (v !== undefined && v !== null) node.setAttribute(k, v);
  }
  node.append(...children);
  return node;
};

const shown = (value) => (value === undefined || value === null ? '' : String(value));

// Text of an input as a project value: empty removes the key.
function valueOf(input, type) {
  const text = input.value.trim();
  if (text === '') return undefined;
  if (type !== 'number') return input.value;
  const n = Number(text);
  return Number.isFinite(n) ? n : null;
}

// actions: setKey(id, key, value|undefined), rename(id, key), duplicate(id),
// remove(id), addBlank(sectionKey), addPart(sectionKey, part), setBox(key, value),
// addSection(kind), removeSection(key), select(id)
export class Inspector {
  constructor(root, actions) {
    this.root = root;
    this.actions = actions;
    this.signature = null;
    this.parts = {};
  }

  setParts(parts) {
    this.parts = parts;
  }

  show(project, selectedId) {
    const component = findComponent(project, selectedId);
    const signature = JSON.stringify([selectedId, component && Object.keys(component), sectionKeys(project),
      project.Generic && Object.keys(project.Generic)]);
    if (signature !== this.signature) {
      this.signature = signature;
      this.build(project, selectedId, component);
    }
    this.fill(project, component);
  }

  // Refreshes the values in place so a field being typed in keeps its focus.
  fill(project, component) {
    for (const input of this.root.querySelectorAll('[data-key]')) {
      if (input === document.activeElement) continue;
      const source = input.dataset.scope === 'box' ? project.Generic || {} : component || {};
      input.value = shown(source[input.dataset.key]);
    }
  }

  build(project, selectedId, component) {
    const a = this.actions;
    const box = el('section', { class: 'box-size' }, el('h2', {}, 'Box'));
    for (const key of ['width', 'height']) {
      const input = el('input', { type: 'number', step: 'any', 'data-key': key, 'data-scope': 'box', name: `box-${key}` });
      input.addEventListener('change', () => a.setBox(key, valueOf(input, 'number')));
      box.append(el('label', {}, `${key} (cm)`, input));
    }

    const sections = el('section', { class: 'sections' }, el('h2', {}, 'Sections'));
    const list = el('ul');
    for (const key of sectionKeys(project)) {
      list.append(el('li', {}, el('span', {}, `${key} (${componentsOf(project[key]).length})`),
        el('button', { type: 'button', title: `Remove ${key}`, 'data-remove-section': key, onclick: () => a.removeSection(key) }, '×')));
    }
    const kind = el('select', { name: 'section-kind' }, ...KINDS.map((k) => el('option', { value: k }, k === '_Side' ? 'side' : k)));
    sections.append(list, el('div', { class: 'row' }, kind,
      el('button', { type: 'button', id: 'add-section', onclick: () => a.addSection(kind.value) }, 'Add section')));

    const panel = el('section', { class: 'component' }, el('h2', {}, 'Component'));
    const currentSection = selectedId ? splitId(selectedId)[0] : sectionKeys(project)[0];
    if (component) {
      const [, key] = splitId(selectedId);
      const name = el('input', { type: 'text', value: key, name: 'component-key' });
      name.addEventListener('change', () => a.rename(selectedId, name.value.trim()));
      panel.append(el('p', { class: 'where' }, splitId(selectedId)[0]), el('label', {}, 'key', name));
      const partList = el('datalist', { id: 'part-names' }, ...Object.keys(this.parts).map((p) => el('option', { value: p })));
      panel.append(partList);
      for (const [k, type, unit] of COMPONENT_KEYS) {
        const input = el('input', { type: type === 'number' ? 'number' : 'text', step: 'any', 'data-key': k,
          name: k, placeholder: '—', list: k === 'part' ? 'part-names' : undefined });
        input.addEventListener('change', () => {
          const value = valueOf(input, type);
          if (value !== null) a.setKey(selectedId, k, value);
        });
        panel.append(el('label', {}, unit ? `${k} (${unit})` : k, input));
      }
      const known = new Set(COMPONENT_KEYS.map(([k]) => k));
      const others = Object.keys(component).filter((k) => !known.has(k));
      if (others.length) panel.append(el('p', { class: 'others' }, `Other keys, kept as they are: ${others.join(', ')}`));
      panel.append(el('div', { class: 'row' },
        el('button', { type: 'button', id: 'duplicate', onclick: () => a.duplicate(selectedId) }, 'Duplicate'),
        el('button', { type: 'button', id: 'delete', onclick: () => a.remove(selectedId) }, 'Delete')));
    } else {
      panel.append(el('p', { class: 'hint' }, 'Click a component on a panel to edit it.'));
    }
    if (currentSection) {
      panel.append(el('div', { class: 'row' }, el('button', { type: 'button', id: 'add-blank',
        onclick: () => a.addBlank(currentSection) }, `Add blank to ${currentSection}`)));
    }

    this.root.replaceChildren(panel, this.library(currentSection, selectedId && component ? selectedId : null), box, sections);
  }

  // The parts library with search: add a part as a new component, or make
  // it the selected component's part.
  library(sectionKey, selectedId) {
    const a = this.actions;
    const search = el('input', { type: 'search', placeholder: 'Search parts…', id: 'part-search', name: 'part-search' });
    const results = el('ul', { class: 'parts' });
    const show = () => {
      const words = search.value.toLowerCase().split(/\s+/).filter(Boolean);
      results.replaceChildren();
      for (const [name, part] of Object.entries(this.parts)) {
        const text = `${name} ${part.description || ''}`.toLowerCase();
        if (!words.every((w) => text.includes(w))) continue;
        const buttons = [];
        if (sectionKey) buttons.push(el('button', { type: 'button', 'data-add-part': name, onclick: () => a.addPart(sectionKey, name) }, 'Add'));
        if (selectedId) buttons.push(el('button', { type: 'button', 'data-use-part': name, onclick: () => a.setKey(selectedId, 'part', name) }, 'Use'));
        results.append(el('li', { title: part.description || '' }, el('b', {}, name), ' ', el('span', {}, part.description || ''), ...buttons));
      }
    };
    search.addEventListener('input', show);
    show();
    return el('section', { class: 'library' }, el('h2', {}, 'Parts library'), search, results);
  }
}
