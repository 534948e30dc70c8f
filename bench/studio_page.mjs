// How quickly the studio page follows a drag: each step is the time from the
// pointer's move to the new picture on screen (request, response, drawing),
// as the page measures it, in headless chromium; and of that the render
// request, from its sending to its answer read.
//
//   node bench/studio_page.mjs build/svggenerator [STEPS]
//
// Needs tests/browser's packages (npm ci there).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium, startStudio } from '../tests/browser/studio_support.mjs';

const [binary, stepsText] = process.argv.slice(2);
const steps = Number(stepsText || 60);
const source = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'studio-bench-'));
const projectFile = path.join(tmp, 'box.json');
fs.copyFileSync(path.join(source, 'examples/midi_controller.json'), projectFile);

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};

const studio = await startStudio(binary, ['--studio', '-j', projectFile, '-o', path.join(tmp, 'out'), '-m', '3', '-b', '50']);
const browser = await launchChromium(tmp);
try {
  const page = await browser.newPage();
  await page.goto(studio.url);
  await page.waitForSelector('[data-component="box_Main/pot1"]');
  const drawn = () => page.waitForFunction(() => window.studio.stats.drawnVersion >= window.studio.stats.version,
    null, { polling: 'raf' });
  await drawn();

  const box = await (await page.$('[data-component="box_Main/pot1"]')).boundingBox();
  const pxPerMm = await page.$eval('[data-panel="box_Main"] svg',
    (svg) => svg.getBoundingClientRect().width / svg.width.baseVal.value * 3.7795);
  const x0 = box.x + box.width / 2;
  const y0 = box.y + box.height / 2;
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  await page.evaluate(() => { window.studio.stats.stepTimes = []; window.studio.stats.requestTimes = []; });
  for (let i = 1; i <= steps; i += 1) {
    // One grid step (0.5 mm) at a time, there and back, so each move is a new position.
    const mm = 0.5 * (i <= steps / 2 ? i : steps - i);
    await page.mouse.move(x0 + mm * pxPerMm, y0);
    await drawn();
  }
  await page.mouse.up();
  const times = await page.evaluate(() => window.studio.stats.stepTimes);
  const requests = await page.evaluate(() => window.studio.stats.requestTimes);

  console.log(`drag steps: ${times.length}, median ${median(times).toFixed(1)} ms, max ${Math.max(...times).toFixed(1)} ms`);
  console.log(`  of which the render request, as the page saw it: median ${median(requests).toFixed(1)} ms`);
} finally {
  await browser.close();
  studio.stop();
  fs.rmSync(tmp, { recursive: true, force: true });
}
