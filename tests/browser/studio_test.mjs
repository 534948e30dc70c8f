// The studio's acceptance test: drives the page in Debian's chromium as a
// maker would, against a real `svggenerator --studio`, and checks the files.
//
//   node studio_test.mjs SVGGENERATOR SOURCE_DIR
//
// With STUDIO_SCREENSHOT=1 it also writes the picture of docs/studio.md, docs/studio.png.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { launchChromium, startStudio, splitCommand, sleep } from './studio_support.mjs';

const [binary, source] = process.argv.slice(2).map((a) => path.resolve(a));
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'studio-test-'));
const projectFile = path.join(tmp, 'box.json');
const project = JSON.parse(fs.readFileSync(path.join(source, 'examples/midi_controller.json'), 'utf8'));
// Keys the page does not know must come back from a save untouched.
project.Notes = { maker: 'me', revision: [1, 2] };
project.box_Main.pot1.tolerance_note = 'loose';
fs.writeFileSync(projectFile, JSON.stringify(project, null, 2));

let failures = 0;
function check(condition, what) {
  if (!condition) failures += 1;
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
}

// The builtin converter keeps the export quick (Inkscape takes seconds a panel).
const studio = await startStudio(binary, ['--studio', '-j', projectFile, '-o', path.join(tmp, 'out'), '-m', '3', '-b', '50',
  '--vectorizer', 'builtin']);
const browser = await launchChromium(tmp);
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(8000);
  page.on('pageerror', (error) => { failures += 1; console.log(`FAIL page error: ${error.message}`); });
  await page.goto(studio.url);
  await page.waitForSelector('[data-panel="box_Main"] svg');
  await page.waitForSelector('[data-component="box_Main/pot1"]');

  const drawn = () => page.waitForFunction(() => window.studio.stats.drawnVersion >= window.studio.stats.version);
  // The circles of a panel's picture as the program drew them, in its px.
  const circles = (section) => page.$$eval(`[data-panel="${section}"] svg circle`,
    (list) => list.map((c) => [Number(c.getAttribute('cx')), Number(c.getAttribute('cy')), Number(c.getAttribute('r'))]));
  const circleAt = (list, cx, cy) => list.some(([x, y]) => Math.abs(x - cx) < 0.02 && Math.abs(y - cy) < 0.02);
  const PX = 37.795;
  const saved = () => JSON.parse(fs.readFileSync(projectFile, 'utf8'));
  const pressed = async (keys) => { for (const k of keys) await page.keyboard.press(k); await drawn(); };

  // Drag pot1 10 mm to the right: the picture shows it there.
  const before = await circles('box_Main');
  check(circleAt(before, 3 * PX, 3 * PX), 'pot1 drawn at 3 cm before the drag');
  const handle = await page.$('[data-component="box_Main/pot1"]');
  const start = await handle.boundingBox();
  // Screen px per mm, measured from the picture's own size on screen.
  const pxPerMm = await page.$eval('[data-panel="box_Main"] svg',
    (svg) => svg.getBoundingClientRect().width / svg.width.baseVal.value * 3.7795);
  const x0 = start.x + start.width / 2;
  const y0 = start.y + start.height / 2;
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  for (let i = 1; i <= 5; i += 1) await page.mouse.move(x0 + (i * 10 * pxPerMm) / 5, y0 + 0.2);
  await page.mouse.up();
  await drawn();
  const dragged = await circles('box_Main');
  check(circleAt(dragged, 4 * PX, 3 * PX) && !circleAt(dragged, 3 * PX, 3 * PX), 'after the drag pot1 is drawn 10 mm further right');
  check(circleAt(dragged, 6 * PX, 3 * PX), 'pot2 has not moved');
  check(await page.textContent('#dirty') === 'Unsaved changes', 'the page shows unsaved changes');

  // Save with Ctrl+S: location_x grew by 1.0 cm; unknown keys kept.
  await page.keyboard.press('Control+s');
  await page.waitForFunction(() => document.querySelector('#dirty').textContent === 'Saved');
  let file = saved();
  check(Math.abs(file.box_Main.pot1.location_x - 4.0) < 1e-9, `saved location_x is 4.0 (was 3): ${file.box_Main.pot1.location_x}`);
  check(JSON.stringify(file.Notes) === JSON.stringify(project.Notes) && file.box_Main.pot1.tolerance_note === 'loose'
    && file.box_Right === null, 'keys the page does not know survive the save');

  // Undo the drag.
  await pressed(['Control+z']);
  const undone = await circles('box_Main');
  check(circleAt(undone, 3 * PX, 3 * PX) && !circleAt(undone, 4 * PX, 3 * PX), 'Ctrl+Z puts pot1 back at 3 cm');
  await pressed(['Control+Shift+z']);
  check(circleAt(await circles('box_Main'), 4 * PX, 3 * PX), 'Ctrl+Shift+Z moves it again');
  await pressed(['Control+z']);

  // Nudge with the keyboard: two steps right and one up, 0.5 mm each.
  await page.click('[data-component="box_Main/pot1"]');
  await pressed(['ArrowRight', 'ArrowRight', 'ArrowUp']);
  check(circleAt(await circles('box_Main'), 3.1 * PX, 2.95 * PX), 'arrow keys nudge pot1 by the 0.5 mm grid');
  check(await page.inputValue('#inspector input[name="location_x"]') === '3.1', 'the inspector shows the nudged location_x');

  // Two components overlap: the warning is listed, and a click on it selects.
  await page.click('[data-component="box_Main/pot2"]');
  await page.fill('#inspector input[name="location_x"]', '3.5');
  await page.press('#inspector input[name="location_x"]', 'Enter');
  await drawn();
  const warning = page.locator('#warnings li', { hasText: 'overlap' }).first();
  await warning.waitFor({ timeout: 5000 });
  const target = await warning.getAttribute('data-target');
  check(target === 'box_Main/pot1' || target === 'box_Main/pot2', `the overlap is listed for ${target}`);
  await page.click('[data-component="box_Main/fader1"]');
  await warning.click();
  check(await page.getAttribute(`[data-component="${target}"]`, 'class') === 'mark selected', 'clicking the warning selects its component');

  // Add a part from the library.
  const circlesBefore = (await circles('box_Main')).length;
  await page.fill('#part-search', 'midi');
  await page.click('[data-add-part="din5-midi"]');
  await drawn();
  const added = await page.$$eval('[data-component^="box_Main/din5"]', (list) => list.map((m) => m.dataset.component));
  check(added.length === 1, `the library part is added as ${added[0]}`);
  check((await circles('box_Main')).length > circlesBefore, 'its cut-outs are drawn');

  // The inspector renames a component, adds a section and sets the box's width.
  await page.click('[data-component="box_Main/fader1"]');
  await page.fill('#inspector input[name="component-key"]', 'fader_volume');
  await page.press('#inspector input[name="component-key"]', 'Enter');
  await page.selectOption('select[name="section-kind"]', '_Bottom');
  await page.click('#add-section');
  await page.fill('input[name="box-width"]', '21');
  await page.press('input[name="box-width"]', 'Enter');
  await drawn();
  check(await page.$('[data-component="box_Main/fader_volume"]') && !(await page.$('[data-component="box_Main/fader1"]')),
    'a renamed component keeps its handle under the new key');
  check(await page.getAttribute('[data-panel="box_Bottom"] svg', 'width') === '793.69'
    && await page.getAttribute('[data-panel="box_Main"] svg', 'width') === '793.69', 'a new _Bottom panel, and both 21 cm wide');

  // A setting changed on the page reaches the drawing and the export.
  await page.check('[data-setting="recess"]');
  await drawn();
  check((await page.$$eval('[data-panel="box_Main"] svg line', (l) => l.length)) > 0, 'the recess setting hatches the panel');

  // Save, export, and run the command line the page shows: the same files.
  await page.click('#save');
  await page.waitForFunction(() => document.querySelector('#dirty').textContent === 'Saved');
  file = saved();
  check(file.box_Main[added[0].split('/')[1]].part === 'din5-midi', 'the added part is saved');
  check(JSON.stringify(file.box_Main.fader_volume) === JSON.stringify(project.box_Main.fader1) && !file.box_Main.fader1
    && JSON.stringify(file.box_Bottom) === '{}' && file.Generic.width === 21, 'the rename, the section and the width are saved');
  await page.click('#export');
  await page.waitForSelector('#export-result:not([hidden])', { timeout: 30000 });
  const command = await page.textContent('#export-command');
  const exported = path.join(tmp, 'out', 'box');
  const words = splitCommand(command);
  const at = words.indexOf('-o') >= 0 ? words.indexOf('-o') : words.indexOf('--output-directory');
  check(at > 0 && path.resolve(tmp, words[at + 1]) === path.join(tmp, 'out'), `the command writes to the output folder: ${command}`);
  words[at + 1] = path.join(tmp, 'cli');
  const run = spawnSync(binary, words.slice(1), { cwd: tmp, encoding: 'utf8', timeout: 60000 });
  check(run.status === 0, `the command line runs: ${run.stderr.trim().split('\n').pop()}`);
  const names = fs.readdirSync(exported).sort();
  const cliNames = fs.readdirSync(path.join(tmp, 'cli', 'box')).sort();
  check(names.length > 0 && JSON.stringify(names) === JSON.stringify(cliNames), `the same files: ${names.join(' ')}`);
  const differing = names.filter((n) => cliNames.includes(n)
    && !fs.readFileSync(path.join(exported, n)).equals(fs.readFileSync(path.join(tmp, 'cli', 'box', n))));
  check(differing.length === 0, `every exported file equals the command line's byte for byte${differing.length ? `: not ${differing}` : ''}`);

  // Another program changes the file: the page says so.
  // Written aside and renamed over it, as editors save.
  fs.writeFileSync(`${projectFile}.new`, JSON.stringify({ ...saved(), Notes: 'edited elsewhere' }));
  fs.renameSync(`${projectFile}.new`, projectFile);
  await page.waitForSelector('#conflict:not([hidden])', { timeout: 6000 });
  check((await page.textContent('#conflict-text')).includes('changed by another program'), 'an edit from outside is announced');
  await page.click('#keep');

  if (process.env.STUDIO_SCREENSHOT === '1') {
    await page.uncheck('[data-setting="recess"]');
    await page.check('[data-setting="finger-joints"]');
    await page.click('[data-component="box_Main/pot2"]');
    await page.fill('#inspector input[name="location_x"]', '6');
    await page.press('#inspector input[name="location_x"]', 'Enter');
    await page.click('#zoom-out');
    await page.click('[data-component="box_Main/encoder1"]');
    await drawn();
    await page.$eval('#right', (right) => { right.scrollTop = 0; });
    await sleep(600);
    await page.screenshot({ path: path.join(source, 'docs/studio.png') });
    console.log('wrote docs/studio.png');
  }

  // Leaving with unsaved changes asks first.
  await page.click('[data-component="box_Main/pot3"]');
  await pressed(['ArrowDown']);
  const asked = new Promise((resolve) => {
    page.once('dialog', (dialog) => { resolve(dialog.type()); dialog.accept(); });
    setTimeout(() => resolve('no dialog'), 3000);
  });
  await page.close({ runBeforeUnload: true });
  check(await asked === 'beforeunload', 'leaving with unsaved changes asks first');
} catch (error) {
  failures += 1;
  console.log(`FAIL ${error.stack || error}`);
} finally {
  await browser.close();
  studio.stop();
}
fs.rmSync(tmp, { recursive: true, force: true });
console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
process.exit(failures ? 1 : 0);
