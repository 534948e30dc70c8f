// Starting the studio and Debian's chromium for the browser test and the page benchmark.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const sleep = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });

// Starts `svggenerator --studio …` and waits for its address line.
export function startStudio(binary, args) {
  const child = spawn(binary, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => { child.kill(); reject(new Error(`no Studio: line within 20 s:\n${output}`)); }, 20000);
    const read = (chunk) => {
      output += chunk;
      const m = /Studio: (http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9A-Za-z_-]+)/.exec(output);
      if (!m) return;
      clearTimeout(timer);
      resolve({ url: m[1], child, stop: () => child.kill('SIGINT') });
    };
    child.stdout.on('data', read);
    child.stderr.on('data', (chunk) => { output += chunk; });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`studio ended with ${code}:\n${output}`)); });
  });
}

// Debian's chromium, headless, with a fresh profile; without the switches
// against background networking it waits on this closed network.
export function launchChromium(tmp) {
  return chromium.launchPersistentContext(fs.mkdtempSync(path.join(tmp, 'profile-')), {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1400, height: 860 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--enable-unsafe-swiftshader'],
  });
}

// Splits a shell command line as a POSIX shell would, for quotes and backslashes.
export function splitCommand(line) {
  const words = [];
  let word = null;
  let quote = null;
  for (let i = 0; i < line.length; i += 1) {
    const c = line[i];
    if (quote === "'") {
      if (c === "'") quote = null; else word += c;
    } else if (quote === '"') {
      if (c === '"') quote = null;
      else if (c === '\\' && '"\\$`'.includes(line[i + 1])) word += line[++i];
      else word += c;
    } else if (c === "'" || c === '"') {
      quote = c;
      word = word ?? '';
    } else if (c === '\\') {
      word = (word ?? '') + line[++i];
    } else if (/\s/.test(c)) {
      if (word !== null) words.push(word);
      word = null;
    } else {
      word = (word ?? '') + c;
    }
  }
  if (word !== null) words.push(word);
  return words;
}
