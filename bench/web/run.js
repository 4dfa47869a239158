// bench/web/run.sh's two sides, alternately: node run.js PAGE WORK KESTRO RUNS CHROMIUM
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const {chromium} = require('playwright-core');

const [page, work, kestro, runsText, executable] = process.argv.slice(2);
const runs = Number(runsText);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function filesOf(folder, prefix) {
  const out = [];
  for (const entry of fs.readdirSync(folder, {withFileTypes: true})) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) out.push(...filesOf(full, prefix + '/' + entry.name));
    else out.push({path: prefix + '/' + entry.name, data: fs.readFileSync(full).toString('base64')});
  }
  return out;
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-bench-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: executable, headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
  });
  const tab = context.pages()[0] || await context.newPage();
  await tab.goto('file://' + page);
  await tab.waitForFunction(() => window.kestro && typeof window.kestro.convert === 'function');
  // The files go into the page once; each run converts them from there.
  await tab.evaluate((files) => {
    window.benchFiles = files.map((f) => ({path: f.path, data: Uint8Array.from(atob(f.data), (c) => c.charCodeAt(0))}));
  }, filesOf(path.join(work, 'source'), 'source'));
  const native = [], inPage = [];
  let pageBytes = null;
  for (let run = 0; run < runs; ++run) {
    const started = process.hrtime.bigint();
    execFileSync(kestro, ['source', 'bench.gpi'], {cwd: work, stdio: 'ignore'});
    native.push(Number(process.hrtime.bigint() - started) / 1e9);
    const result = await tab.evaluate(async (last) => {
      const t = performance.now();
      const r = await window.kestro.convert({files: window.benchFiles, source: 'source', destination: 'bench.gpi'});
      const seconds = (performance.now() - t) / 1000;
      let binary = '';
      if (last && r.output) for (let i = 0; i < r.output.length; i += 0x8000)
        binary += String.fromCharCode.apply(null, r.output.subarray(i, i + 0x8000));
      return {seconds, exitCode: r.exitCode, output: last && r.output ? btoa(binary) : null};
    }, run === runs - 1);
    if (result.exitCode !== 0) throw new Error('the page failed: exit code ' + result.exitCode);
    inPage.push(result.seconds);
    pageBytes = result;
  }
  await context.close();
  const nativeFile = fs.readFileSync(path.join(work, 'bench.gpi'));
  // Bytes 16 to 19 hold the time of the run.
  const pageFile = Buffer.from(pageBytes.output || '', 'base64');
  const same = nativeFile.length === pageFile.length && nativeFile.subarray(0, 16).equals(pageFile.subarray(0, 16)) &&
               nativeFile.subarray(20).equals(pageFile.subarray(20));
  const n = median(native), p = median(inPage);
  console.log(`native kestro: ${native.map((s) => s.toFixed(2)).join(' ')} s, median ${n.toFixed(2)} s`);
  console.log(`page in Chromium: ${inPage.map((s) => s.toFixed(2)).join(' ')} s, median ${p.toFixed(2)} s`);
  console.log(`ratio page/native: ${(p / n).toFixed(2)}; files ${same ? 'the same bytes' : 'DIFFERENT'} (${nativeFile.length} bytes)`);
  if (!same) process.exit(1);
})().catch((error) => { console.error(error.stack || error); process.exit(1); });
