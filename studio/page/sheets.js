// The sheet layout, as the program draws it with a sheet size set.
let shown = null;

export function showSheets(root, sheets) {
  if (!sheets || !sheets.length) {
    root.innerHTML = '<p class="hint">Set a sheet size (for example 600x400) in the settings to see the panels laid out on sheets.</p>';
    root.dataset.count = '0';
    shown = null;
    return;
  }
  const text = sheets.join('\n');
  if (shown === text) return;
  shown = text;
  root.dataset.count = String(sheets.length);
  root.replaceChildren();
  sheets.forEach((svg, index) => {
    const figure = document.createElement('figure');
    figure.className = 'sheet';
    figure.innerHTML = `<figcaption>sheet ${index + 1}</figcaption><div class="sheet-picture"></div>`;
    figure.querySelector('.sheet-picture').innerHTML = svg;
    root.append(figure);
  });
}
