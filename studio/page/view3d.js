// The assembled box in 3D. Each panel is extruded from the outline and the
// holes of the drawing the program rendered for it (read with three.js's
// SVGLoader); the page computes no panel shape of its own, only where each
// panel sits in the box.
import { originOfText } from './svgframe.js';

const PX_PER_MM = 3.7795;
let THREE = null;
let SVGLoader = null;
let OrbitControls = null;

async function loadThree() {
  if (THREE) return;
  THREE = await import('/vendor/three/build/three.module.js');
  ({ SVGLoader } = await import('/vendor/three/examples/jsm/loaders/SVGLoader.js'));
  ({ OrbitControls } = await import('/vendor/three/examples/jsm/controls/OrbitControls.js'));
}

// Which section takes which place of the box: the first _Main (else _Top)
// is the top, a _Bottom (else another face) the bottom, _Front and _Back the
// ends, the first two sides left and right.
export function assignPlaces(sections) {
  const ordered = [...sections].sort();
  const isFace = (s) => ['_Main', '_Top', '_Bottom'].some((m) => s.includes(m));
  const faces = ordered.filter(isFace);
  const ends = ordered.filter((s) => !isFace(s) && (s.includes('_Back') || s.includes('_Front')));
  const sides = ordered.filter((s) => !faces.includes(s) && !ends.includes(s));
  const places = {};
  const top = faces.find((s) => s.includes('_Main')) || faces.find((s) => s.includes('_Top'));
  if (top) places.top = top;
  const bottom = faces.find((s) => s.includes('_Bottom') && s !== top) || faces.find((s) => s !== top);
  if (bottom) places.bottom = bottom;
  const front = ends.find((s) => s.includes('_Front'));
  const back = ends.find((s) => s.includes('_Back') && s !== front);
  if (front) places.front = front;
  if (back) places.back = back;
  sides.slice(0, 2).forEach((s, i) => { places[i ? 'right' : 'left'] = s; });
  return places;
}

// Per place: [u axis, u sign, u offset, v axis, v sign, v offset, thickness
// axis, from]; axes 0 = x (width), 1 = y (depth, away from the viewer),
// 2 = z (up), in mm from the box's corner.
export function layout(t, bh, w, h, outer) {
  if (!outer) {
    const top = bh + 2 * t;
    return {
      top: [0, 1, t, 1, -1, h + t, 2, bh + t], bottom: [0, 1, t, 1, -1, h + t, 2, 0],
      front: [0, 1, t, 2, -1, top, 1, 0], back: [0, 1, t, 2, -1, top, 1, h + t],
      left: [2, -1, top, 1, 1, 0, 0, 0], right: [2, -1, top, 1, 1, 0, 0, w + t],
    };
  }
  return {
    top: [0, 1, 0, 1, -1, h, 2, bh - t], bottom: [0, 1, 0, 1, -1, h, 2, 0],
    front: [0, 1, t, 2, -1, bh - t, 1, 0], back: [0, 1, t, 2, -1, bh - t, 1, h - t],
    left: [2, -1, bh - t, 1, 1, 0, 0, 0], right: [2, -1, bh - t, 1, 1, 0, 0, w - t],
  };
}

const contains = (outer, inner) => outer !== inner && outer.min.x <= inner.min.x && outer.min.y <= inner.min.y
  && outer.max.x >= inner.max.x && outer.max.y >= inner.max.y;

// The panel's outline (stroke 2) with its cut-outs (unfilled, stroke 1) as
// holes, in mm from the panel's corner. A recess drawn around a cut-out is
// engraved, not cut: the larger of two nested shapes is left out.
function panelShape(svgText) {
  // Labels and hatching lines hold no outline: the loader need not walk them.
  const data = new SVGLoader().parse(svgText.replace(/<text[^>]*>[^<]*<\/text>|<line [^>]*>/g, ''));
  const origin = originOfText(svgText);
  let outline = null;
  const holes = [];
  for (const path of data.paths) {
    const node = path.userData.node;
    const width = node.getAttribute('stroke-width');
    const tag = node.tagName.toLowerCase();
    if (width === '2' && (tag === 'path' || tag === 'rect')) {
      outline = path.toShapes(true)[0] || outline;
    } else if (width === '1' && node.getAttribute('fill') === 'none' && (tag === 'circle' || tag === 'rect')) {
      for (const s of path.toShapes(true)) {
        const points = s.getPoints(24);
        holes.push({ points, box: new THREE.Box2().setFromPoints(points) });
      }
    }
  }
  if (!outline) return null;
  const toMm = (p) => new THREE.Vector2((p.x - origin.x) / PX_PER_MM, (p.y - origin.y) / PX_PER_MM);
  const shape = new THREE.Shape(outline.getPoints(1).map(toMm));
  for (const hole of holes) {
    if (holes.some((other) => contains(hole.box, other.box))) continue;
    shape.holes.push(new THREE.Path(hole.points.map(toMm)));
  }
  return shape;
}

export class BoxView {
  constructor(root) {
    this.root = root;
    this.meshes = new Map(); // section -> {svg, mesh}
    this.pending = null;
    this.ready = null;
  }

  // Without WebGL or three.js the rest of the page works on: the view says why.
  async start() {
    try {
      await loadThree();
      this.build();
    } catch (error) {
      this.renderer = null;
      this.root.textContent = `3D view unavailable: ${error.message}`;
    }
  }

  build() {
    const { clientWidth: w, clientHeight: h } = this.root;
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(0xf4f1ea);
    this.camera = new THREE.PerspectiveCamera(35, w / h, 1, 20000);
    this.camera.up.set(0, 0, 1);
    this.renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
    this.renderer.setSize(w, h);
    this.root.replaceChildren(this.renderer.domElement);
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x806040, 0.9));
    const sun = new THREE.DirectionalLight(0xffffff, 0.6);
    sun.position.set(-1, -2, 3);
    this.scene.add(sun);
    this.group = new THREE.Group();
    this.scene.add(this.group);
    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.addEventListener('change', () => this.draw());
    this.material = new THREE.MeshLambertMaterial({ color: 0xdec496, side: THREE.DoubleSide });
    new ResizeObserver(() => this.resize()).observe(this.root);
    this.framed = false;
    if (this.pending) this.update(...this.pending);
  }

  resize() {
    if (!this.renderer) return;
    const { clientWidth: w, clientHeight: h } = this.root;
    if (!w || !h) return;
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.renderer.setSize(w, h);
    this.draw();
  }

  draw() {
    if (this.renderer) this.renderer.render(this.scene, this.camera);
  }

  // box: {w, h, t, bh, outer} in mm; panels: section -> SVG text.
  update(box, panels) {
    if (!this.renderer) {
      this.pending = [box, panels];
      return;
    }
    const places = assignPlaces(Object.keys(panels));
    const spots = layout(box.t, box.bh, box.w, box.h, box.outer);
    const key = JSON.stringify(box);
    for (const [section, entry] of this.meshes) {
      if (!Object.values(places).includes(section) || entry.box !== key || entry.svg !== panels[section]) {
        this.group.remove(entry.mesh);
        entry.mesh.geometry.dispose();
        this.meshes.delete(section);
      }
    }
    for (const [place, section] of Object.entries(places)) {
      if (this.meshes.has(section)) continue;
      const shape = panelShape(panels[section]);
      if (!shape) continue;
      const geometry = new THREE.ExtrudeBufferGeometry(shape, { depth: box.t, bevelEnabled: false, curveSegments: 24 });
      const [ua, us, uo, va, vs, vo, ta, t0] = spots[place];
      const basis = [new THREE.Vector3(), new THREE.Vector3(), new THREE.Vector3()];
      basis[0].setComponent(ua, us);
      basis[1].setComponent(va, vs);
      basis[2].setComponent(ta, 1);
      const origin = new THREE.Vector3();
      origin.setComponent(ua, uo);
      origin.setComponent(va, vo);
      origin.setComponent(ta, t0);
      const m = new THREE.Matrix4().makeBasis(basis[0], basis[1], basis[2]).setPosition(origin);
      geometry.applyMatrix(m);
      geometry.computeVertexNormals();
      const mesh = new THREE.Mesh(geometry, this.material);
      mesh.add(new THREE.LineSegments(new THREE.EdgesGeometry(geometry, 30), new THREE.LineBasicMaterial({ color: 0x6b5233 })));
      mesh.name = section;
      this.group.add(mesh);
      this.meshes.set(section, { svg: panels[section], box: key, mesh });
    }
    if (!this.framed && this.meshes.size) {
      this.framed = true;
      const size = Math.max(box.w, box.h, box.bh);
      const centre = new THREE.Vector3(box.w / 2, box.h / 2, box.bh / 2);
      this.controls.target.copy(centre);
      this.camera.position.set(centre.x + size * 1.1, centre.y - size * 1.8, centre.z + size * 1.3);
      this.controls.update();
    }
    this.root.dataset.panels = String(this.meshes.size);
    this.draw();
  }
}
