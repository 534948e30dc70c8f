// The panel view: each panel's picture is the program's own SVG, inserted as
// it came into an element with data-panel; the page only lays its marks over
// it (component handles, mm rulers) and scales the wrapper for zoom.
import { PX_PER_CM, panelOrigin } from './svgframe.js';
import { byteOrder, componentsOf } from './project.js';

// Faces first (the main one leading), then the ends, then the sides.
function kindRank(key) {
  const marks = ['_Main', '_Top', '_Bottom', '_Back', '_Front'];
  const found = marks.findIndex((m) => key.includes(m));
  return found < 0 ? marks.length : found < 3 && found > 0 ? 1 : found;
}

const RULER = 18; // px, the rulers' breadth

export class PanelView {
  constructor(root, partsByName) {
    this.root = root;
    this.zoom = 0.75;
    this.partsByName = partsByName;
    this.figures = new Map(); // section key -> {figure, picture, marks, rulerX, rulerY, svgText}
  }

  // Shows the rendered pictures; a picture whose text did not change is left alone.
  setPictures(pictures) {
    const keys = Object.keys(pictures).sort((a, b) => kindRank(a) - kindRank(b) || byteOrder(a, b));
    for (const [key, f] of this.figures) {
      if (!(key in pictures)) {
        f.figure.remove();
        this.figures.delete(key);
      }
    }
    keys.forEach((key, index) => {
      let f = this.figures.get(key);
      if (!f) f = this.createFigure(key);
      if (this.root.children[index] !== f.figure) this.root.insertBefore(f.figure, this.root.children[index] || null);
      if (f.svgText !== pictures[key]) {
        f.picture.innerHTML = pictures[key];
        f.svgText = pictures[key];
        f.svg = f.picture.querySelector('svg');
        f.origin = panelOrigin(f.picture);
        this.sizeFigure(f);
      }
    });
  }

  createFigure(key) {
    const figure = document.createElement('figure');
    figure.className = 'panel';
    figure.innerHTML = `<figcaption></figcaption><div class="panel-grid"><div class="corner"></div>
      <svg class="ruler ruler-x"></svg><svg class="ruler ruler-y"></svg>
      <div class="stage"><div class="picture"></div><div class="marks"></div></div></div>`;
    figure.querySelector('figcaption').textContent = key;
    const f = {
      key, figure,
      picture: figure.querySelector('.picture'),
      marks: figure.querySelector('.marks'),
      stage: figure.querySelector('.stage'),
      rulerX: figure.querySelector('.ruler-x'),
      rulerY: figure.querySelector('.ruler-y'),
      svgText: null,
    };
    f.picture.dataset.panel = key;
    this.figures.set(key, f);
    return f;
  }

  setZoom(zoom) {
    this.zoom = Math.min(8, Math.max(0.2, zoom));
    for (const f of this.figures.values()) this.sizeFigure(f);
  }

  // The picture keeps its own size; the zoom scales the wrapper around it.
  sizeFigure(f) {
    if (!f.svg) return;
    const width = f.svg.width.baseVal.value;
    const height = f.svg.height.baseVal.value;
    f.picture.style.transform = `scale(${this.zoom})`;
    f.stage.style.width = `${width * this.zoom}px`;
    f.stage.style.height = `${height * this.zoom}px`;
    this.drawRulers(f, width * this.zoom, height * this.zoom);
  }

  // Client px per SVG user unit, from the picture as the browser lays it out.
  unitScale(sectionKey) {
    const f = this.figures.get(sectionKey);
    return f && f.svg ? f.svg.getScreenCTM().a : 1;
  }

  // Places one handle per component over its centre, sized to its largest cut-out.
  placeMarks(project, selectedId) {
    for (const f of this.figures.values()) {
      if (!f.svg) continue;
      const ctm = f.svg.getScreenCTM();
      const stage = f.stage.getBoundingClientRect();
      const wanted = new Set();
      for (const [key, c] of componentsOf(project[f.key])) {
        if (!c || typeof c !== 'object') continue;
        const id = `${f.key}/${key}`;
        wanted.add(id);
        let mark = f.marks.querySelector(`[data-component="${CSS.escape(id)}"]`);
        if (!mark) {
          mark = document.createElement('div');
          mark.className = 'mark';
          mark.dataset.component = id;
          mark.tabIndex = -1;
          f.marks.appendChild(mark);
        }
        const x = f.origin.x + Number(c.location_x) * PX_PER_CM;
        const y = f.origin.y + Number(c.location_y) * PX_PER_CM;
        const size = Math.max(14, this.extentCm(c) * PX_PER_CM * ctm.a);
        mark.style.left = `${ctm.a * x + ctm.e - stage.left}px`;
        mark.style.top = `${ctm.d * y + ctm.f - stage.top}px`;
        mark.style.width = mark.style.height = `${size}px`;
        mark.title = id;
        mark.classList.toggle('selected', id === selectedId);
      }
      for (const mark of [...f.marks.children]) if (!wanted.has(mark.dataset.component)) mark.remove();
    }
  }

  extentCm(c) {
    const part = this.partsByName()[c.part] || {};
    const mm = (v) => (typeof v === 'number' ? v / 10 : 0);
    const pick = (k) => (typeof c[k] === 'number' ? c[k] : mm(part[k]));
    return Math.max(pick('drill_diameter'), pick('visible_diameter'), pick('drill_width'), pick('drill_height'),
      pick('visible_width'), pick('visible_height'), 0.4);
  }

  markOf(id) {
    return this.root.querySelector(`[data-component="${CSS.escape(id)}"]`);
  }

  // mm rulers from the panel's own corner (a finger joint reaches before it).
  drawRulers(f, width, height) {
    const pxPerMm = (PX_PER_CM / 10) * this.zoom;
    const label = [10, 20, 50, 100, 200, 500].find((s) => s * pxPerMm >= 40) || 1000;
    const minor = [1, 2, 5, 10, 20, 50].find((s) => s * pxPerMm >= 5) || 100;
    const ticks = (length, originPx, horizontal) => {
      let out = '';
      const first = Math.ceil(-originPx / pxPerMm / minor) * minor;
      for (let mm = first; (mm * pxPerMm) + originPx <= length; mm += minor) {
        const at = (originPx + mm * pxPerMm).toFixed(1);
        const long = mm % label === 0;
        const tick = long ? RULER : mm % (minor * 5) === 0 ? RULER / 2 : RULER / 4;
        out += horizontal ? `<line x1="${at}" x2="${at}" y1="${RULER}" y2="${RULER - tick}"/>`
          : `<line y1="${at}" y2="${at}" x1="${RULER}" x2="${RULER - tick}"/>`;
        if (long) {
          out += horizontal ? `<text x="${Number(at) + 2}" y="9">${mm}</text>`
            : `<text x="2" y="${Number(at) - 2}">${mm}</text>`;
        }
      }
      return out;
    };
    const originX = f.origin.x * this.zoom * f.origin.cssPerUnit;
    const originY = f.origin.y * this.zoom * f.origin.cssPerUnit;
    f.rulerX.setAttribute('width', width);
    f.rulerX.setAttribute('height', RULER);
    f.rulerX.innerHTML = ticks(width, originX, true);
    f.rulerY.setAttribute('width', RULER);
    f.rulerY.setAttribute('height', height);
    f.rulerY.innerHTML = ticks(height, originY, false);
  }

  // Wheel zooms about the pointer; dragging the background pans.
  enableZoomAndPan(scroller, onZoom) {
    scroller.addEventListener('wheel', (event) => {
      event.preventDefault();
      const before = this.zoom;
      this.setZoom(before * (event.deltaY < 0 ? 1.15 : 1 / 1.15));
      const box = scroller.getBoundingClientRect();
      const mx = event.clientX - box.left;
      const my = event.clientY - box.top;
      const ratio = this.zoom / before;
      scroller.scrollLeft = (scroller.scrollLeft + mx) * ratio - mx;
      scroller.scrollTop = (scroller.scrollTop + my) * ratio - my;
      onZoom();
    }, { passive: false });
    let pan = null;
    scroller.addEventListener('pointerdown', (event) => {
      if (event.target.closest('[data-component]') || event.button !== 0 && event.button !== 1) return;
      pan = { x: event.clientX, y: event.clientY, left: scroller.scrollLeft, top: scroller.scrollTop };
      scroller.setPointerCapture(event.pointerId);
      scroller.classList.add('panning');
    });
    scroller.addEventListener('pointermove', (event) => {
      if (!pan) return;
      scroller.scrollLeft = pan.left - (event.clientX - pan.x);
      scroller.scrollTop = pan.top - (event.clientY - pan.y);
    });
    const stop = () => {
      pan = null;
      scroller.classList.remove('panning');
    };
    scroller.addEventListener('pointerup', stop);
    scroller.addEventListener('pointercancel', stop);
  }
}

