// Reads the frame of a drawing the program wrote: 37.795 px per cm, and the
// panel's corner where the first group's translate puts it (finger joints
// and a kerf reach past the corner, so the drawing starts before it).
export const PX_PER_CM = 37.795;

export function translateOf(element) {
  const m = /translate\(\s*(-?[\d.]+)[\s,]+(-?[\d.]+)\s*\)/.exec((element && element.getAttribute('transform')) || '');
  return m ? { x: Number(m[1]), y: Number(m[2]) } : { x: 0, y: 0 };
}

// The panel's corner in the SVG's user units, and CSS px per user unit.
export function panelOrigin(picture) {
  const svg = picture.querySelector('svg');
  const origin = translateOf(svg && svg.querySelector(':scope > g'));
  const box = svg && svg.viewBox.baseVal;
  const cssPerUnit = box && box.width ? svg.width.baseVal.value / box.width : 1;
  return { ...origin, cssPerUnit };
}

// The same from the text alone, for drawings that are not in the page.
export function originOfText(svgText) {
  const m = /<g transform="translate\(\s*(-?[\d.]+)[\s,]+(-?[\d.]+)\s*\)">/.exec(svgText.slice(0, 2000));
  const first = svgText.indexOf('<g');
  return m && m.index === first ? { x: Number(m[1]), y: Number(m[2]) } : { x: 0, y: 0 };
}
