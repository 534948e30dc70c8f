// What the page knows of the project format: sections are the top-level keys
// holding an underscore; a section is an object of components, an array
// (components named 0, 1, …) or null. Everything else is kept as it came.
export const KINDS = ['_Main', '_Top', '_Bottom', '_Back', '_Front', '_Side'];

// The component keys of the format, in the inspector's order, with their type.
export const COMPONENT_KEYS = [
  ['location_x', 'number', 'cm'], ['location_y', 'number', 'cm'], ['rotation', 'number', '°'],
  ['call_name', 'string', ''], ['id', 'number', ''], ['part', 'string', ''],
  ['drill_diameter', 'number', 'cm'], ['drill_width', 'number', 'cm'], ['drill_height', 'number', 'cm'],
  ['visible_diameter', 'number', 'cm'], ['visible_width', 'number', 'cm'], ['visible_height', 'number', 'cm'],
];

// Byte order of the keys, as the program walks them (for keys of plain
// ASCII, UTF-16 order is the same).
export const byteOrder = (a, b) => (a < b ? -1 : a > b ? 1 : 0);

export function sectionKeys(project) {
  return Object.keys(project).filter((k) => k.includes('_')).sort(byteOrder);
}

export function componentsOf(section) {
  if (Array.isArray(section)) return section.map((c, i) => [String(i), c]);
  if (section && typeof section === 'object') return Object.keys(section).sort(byteOrder).map((k) => [k, section[k]]);
  return [];
}

export function splitId(id) {
  const at = id.indexOf('/');
  return [id.slice(0, at), id.slice(at + 1)];
}

export function findComponent(project, id) {
  if (!id) return null;
  const [section, key] = splitId(id);
  const s = project[section];
  if (!s || typeof s !== 'object') return null;
  const c = Array.isArray(s) ? s[Number(key)] : s[key];
  return c && typeof c === 'object' ? c : null;
}

function freeKey(section, base) {
  if (!(base in section)) return base;
  for (let n = 2; ; n++) if (!(`${base}${n}` in section)) return `${base}${n}`;
}

// Keys holding pot, fader or button number their label from "id": give one.
function needsId(key) {
  return /pot|fader|button/.test(key);
}

// Adds a component to a section and returns its id. An array section takes
// it at its end; a null section becomes an object.
export function addComponent(project, sectionKey, base, values) {
  let section = project[sectionKey];
  if (section === null || typeof section !== 'object') section = project[sectionKey] = {};
  const component = { ...values };
  if (Array.isArray(section)) {
    section.push(component);
    return `${sectionKey}/${section.length - 1}`;
  }
  const key = freeKey(section, base);
  if (needsId(key) && !('id' in component)) component.id = 0;
  section[key] = component;
  return `${sectionKey}/${key}`;
}

export function removeComponent(project, id) {
  const [sectionKey, key] = splitId(id);
  const section = project[sectionKey];
  if (Array.isArray(section)) section.splice(Number(key), 1);
  else if (section) delete section[key];
}

// Renames within an object section, keeping the members' order in the file.
export function renameComponent(project, id, newKey) {
  const [sectionKey, key] = splitId(id);
  const section = project[sectionKey];
  if (!section || Array.isArray(section) || !newKey || newKey === key || newKey in section) return null;
  const renamed = {};
  for (const k of Object.keys(section)) renamed[k === key ? newKey : k] = section[k];
  project[sectionKey] = renamed;
  return `${sectionKey}/${newKey}`;
}

export function addSection(project, prefix, kind) {
  const base = kind === '_Side' ? `${prefix}_Side` : `${prefix}${kind}`;
  const key = freeKey(project, base);
  project[key] = {};
  return key;
}

// Rounds away the binary noise of the grid arithmetic (0.1 + 0.2) so the
// saved file holds the number the maker sees.
export const tidy = (value) => Number(value.toFixed(6));
