// Moving components: a handle is dragged with the pointer, and the selected
// component is nudged with the arrow keys. Positions land on the snap grid
// (in cm; 0 turns it off).
import { splitId, tidy } from './project.js';

export function snap(value, grid) {
  return grid > 0 ? tidy(Math.round(value / grid) * grid) : tidy(value);
}

// hooks: pxPerCm(sectionKey) client px per cm on screen; start(id) the
// component's location {x, y} in cm (records the undo step); move(id, x, y);
// finish(id); grid() the snap step in cm.
export function enableDrag(root, hooks) {
  let drag = null;
  root.addEventListener('pointerdown', (event) => {
    const mark = event.target.closest('[data-component]');
    if (!mark || event.button !== 0) return;
    event.preventDefault();
    event.stopPropagation();
    const id = mark.dataset.component;
    const from = hooks.start(id);
    if (!from) return;
    drag = { id, mark, pointer: event.pointerId, x0: event.clientX, y0: event.clientY, from,
      scale: hooks.pxPerCm(splitId(id)[0]), last: null };
    mark.setPointerCapture(event.pointerId);
    mark.focus({ preventScroll: true });
  });
  root.addEventListener('pointermove', (event) => {
    if (!drag || event.pointerId !== drag.pointer) return;
    const x = snap(drag.from.x + (event.clientX - drag.x0) / drag.scale, hooks.grid());
    const y = snap(drag.from.y + (event.clientY - drag.y0) / drag.scale, hooks.grid());
    if (drag.last && drag.last.x === x && drag.last.y === y) return;
    drag.last = { x, y };
    hooks.move(drag.id, x, y);
  });
  const end = (event) => {
    if (!drag || event.pointerId !== drag.pointer) return;
    const { id } = drag;
    drag = null;
    hooks.finish(id);
  };
  root.addEventListener('pointerup', end);
  root.addEventListener('pointercancel', end);
}

const ARROWS = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };

// One grid step per key press (0.1 mm with the grid off), ten with Shift.
export function nudgeStep(event, grid) {
  const step = ARROWS[event.key];
  if (!step) return null;
  const size = (grid > 0 ? grid : 0.01) * (event.shiftKey ? 10 : 1);
  return [step[0] * size, step[1] * size];
}
