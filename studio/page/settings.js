// The run's settings, built from the program's own option list. A setting
// left empty takes the program's default; values live in the project under
// "Studio", keyed by the long option name.
const text = (v) => (v === undefined || v === null ? '' : String(v));

export class SettingsForm {
  // onChange(name, value|undefined)
  constructor(root, onChange) {
    this.root = root;
    this.onChange = onChange;
    this.options = [];
  }

  build(options) {
    this.options = options;
    this.root.replaceChildren();
    const h = document.createElement('h2');
    h.textContent = 'Settings';
    this.root.append(h);
    for (const option of options) {
      const label = document.createElement('label');
      label.title = option.description || '';
      const input = document.createElement('input');
      input.name = option.name;
      input.dataset.setting = option.name;
      if (option.type === 'bool') {
        input.type = 'checkbox';
        input.addEventListener('change', () => this.onChange(option.name, input.checked));
        label.className = 'check';
        label.append(input, ` ${option.name}`);
      } else {
        input.type = option.type === 'number' ? 'number' : 'text';
        if (option.type === 'number') input.step = 'any';
        input.placeholder = text(option.default);
        input.addEventListener('change', () => {
          const raw = input.value.trim();
          if (raw === '') return this.onChange(option.name, undefined);
          if (option.type !== 'number') return this.onChange(option.name, raw);
          const n = Number(raw);
          if (Number.isFinite(n)) this.onChange(option.name, n);
        });
        label.append(`${option.name}`, input);
      }
      this.root.append(label);
    }
  }

  fill(studio) {
    const values = studio && typeof studio === 'object' ? studio : {};
    for (const option of this.options) {
      const input = this.root.querySelector(`[data-setting="${CSS.escape(option.name)}"]`);
      if (!input || input === document.activeElement) continue;
      const value = option.name in values ? values[option.name] : undefined;
      if (option.type === 'bool') input.checked = value === undefined ? Boolean(option.default) : Boolean(value);
      else input.value = text(value);
    }
  }
}
