// The program's design warnings, listed live; a click selects the component.
export function showWarnings(root, warnings, select) {
  root.replaceChildren();
  const h = document.createElement('h2');
  h.textContent = warnings.length ? `Warnings (${warnings.length})` : 'Warnings: none';
  root.append(h);
  const list = document.createElement('ul');
  for (const w of warnings) {
    const item = document.createElement('li');
    item.className = 'warning';
    const where = [w.section, w.component].filter(Boolean).join(' / ');
    item.textContent = where ? `${where}: ${w.text}` : w.text;
    if (w.section && w.component) {
      item.dataset.target = `${w.section}/${w.component}`;
      item.addEventListener('click', () => select(item.dataset.target));
    }
    list.append(item);
  }
  root.append(list);
}
