// Drives the page in headless Chromium (playwright-core, scripts/fetch-playwright).
// Usage: node page-test.js PAGE WORK CHROMIUM, WORK holding cases/ and
// native/ (NAME.gpi, NAME.out, NAME.rc per case) from page-test.sh.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {chromium} = require('playwright-core');

const [page, work, executable] = process.argv.slice(2);
let failures = 0;
const fail = (text) => { console.log('FAIL: ' + text); ++failures; };

// Every file under a case folder, with its path from the working folder.
function filesOf(folder, prefix) {
  const out = [];
  for (const entry of fs.readdirSync(folder, {withFileTypes: true})) {
    const full = path.join(folder, entry.name);
    const rel = prefix + '/' + entry.name;
    if (entry.isDirectory()) out.push(...filesOf(full, rel));
    else out.push({path: rel, data: fs.readFileSync(full).toString('base64')});
  }
  return out;
}

// Bytes 16 to 19 of the header record hold the time of the run.
function sameGpi(a, b) {
  return a.length === b.length && a.length > 20 && a.subarray(0, 16).equals(b.subarray(0, 16)) &&
         a.subarray(20).equals(b.subarray(20));
}

// The native run printed paths of its own working folder; the page's is
// /work. The frames of an error report are named by each build in its own
// way (the browser's has none): they are left out, as in the comparison of
// the Windows build.
function comparable(log) {
  const out = [];
  let skip = false, report = false;
  for (const line of log.split('\n')) {
    if (skip) {
      if (line === '') { skip = false; out.push('(frames)', line); }
      continue;
    }
    out.push(line);
    if (report && line === '') skip = true;
    report = /^(E[A-Za-z]+|Exception|std::[a-z_]+): /.test(line);
  }
  return out.join('\n');
}
const nativeLog = (name) => comparable(
  fs.readFileSync(path.join(work, 'native', name + '.out'), 'utf8').split(path.join(work, 'native')).join('/work'));

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-page-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: executable,
    headless: true,
    acceptDownloads: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage'],
  });
  try {
    const tab = context.pages()[0] || await context.newPage();
    const requests = [];
    context.on('request', (request) => {
      if (!/^(file|data|blob):/.test(request.url())) requests.push(request.url());
    });
    const errors = [];
    tab.on('pageerror', (error) => errors.push(String(error)));
    await tab.goto('file://' + page);
    await tab.waitForFunction(() => window.kestro && typeof window.kestro.convert === 'function');
    // The licences of what the page carries compiled in: the package's copyright file, as it is.
    const licences = await tab.evaluate(() => (document.getElementById('licences') || {}).textContent || '');
    const copyright = fs.readFileSync(path.join(__dirname, '../../package/copyright'), 'utf8');
    if (!licences.includes(copyright)) fail('the page does not show package/copyright under "Licences"');

    // ---- every case through window.kestro.convert ----------------------
    const cases = fs.readdirSync(path.join(work, 'cases')).sort();
    for (const name of cases) {
      const files = filesOf(path.join(work, 'cases', name), name);
      const started = Date.now();
      const result = await tab.evaluate(async ({files, name}) => {
        const decoded = files.map((f) => ({path: f.path, data: Uint8Array.from(atob(f.data), (c) => c.charCodeAt(0))}));
        const r = await window.kestro.convert({files: decoded, source: name, destination: name + '.gpi'});
        let binary = '';
        if (r.output) for (let i = 0; i < r.output.length; i += 0x8000)
          binary += String.fromCharCode.apply(null, r.output.subarray(i, i + 0x8000));
        return {exitCode: r.exitCode, output: r.output ? btoa(binary) : null, log: r.log};
      }, {files, name});
      const seconds = ((Date.now() - started) / 1000).toFixed(1);
      const exitCode = Number(fs.readFileSync(path.join(work, 'native', name + '.rc'), 'utf8'));
      const nativeGpi = path.join(work, 'native', name + '.gpi');
      let ok = true;
      if (result.exitCode !== exitCode) { fail(`${name}: exit code ${result.exitCode} in the page, ${exitCode} native`); ok = false; }
      if (exitCode === 0) {
        if (!result.output) { fail(`${name}: the page gave no file`); ok = false; }
        else if (!sameGpi(Buffer.from(result.output, 'base64'), fs.readFileSync(nativeGpi))) {
          fail(`${name}: the page wrote other bytes`); ok = false;
        }
      } else if (result.output !== null) { fail(`${name}: a failed run gave a file`); ok = false; }
      if (comparable(result.log) !== nativeLog(name)) {
        fail(`${name}: the page printed other lines:\n--- native\n${nativeLog(name)}--- page\n${comparable(result.log)}`);
        ok = false;
      }
      console.log(`case ${name}: exit ${result.exitCode}, ${ok ? 'same' : 'DIFFERENT'} (${seconds} s)`);
    }

    // ---- the real folder input, the button and the download -------------
    await tab.reload();
    // KML and KMZ files count as the program counts them: loose ones are groups.
    await tab.setInputFiles('#folder', path.join(work, 'cases', 'kmz'));
    await tab.waitForFunction(() => !document.getElementById('convert').disabled);
    const kmzGroups = await tab.$$eval('#groups li', (items) => items.map((item) => item.textContent).sort().join(' | '));
    if (kmzGroups !== 'Prague.kml (a group of its own) | Trip: 0 categories and 1 KML/KMZ file with categories of their own')
      fail('folder input of kmz: the page lists ' + JSON.stringify(kmzGroups));
    await tab.reload();
    await tab.setInputFiles('#folder', path.join(work, 'cases', 'examples'));
    await tab.waitForFunction(() => !document.getElementById('convert').disabled);
    const chosen = await tab.textContent('#chosen');
    if (!/^"examples": 14 files, 4 groups, with kestro.ini/.test(chosen)) fail('folder input: the page says ' + JSON.stringify(chosen));
    if (await tab.inputValue('#maxregion') !== '4' || await tab.inputValue('#codepage') !== '1250')
      fail('the settings of examples/kestro.ini are not shown');
    await tab.fill('#maxregion', '3');
    await tab.click('#convert');
    await tab.waitForSelector('#download:not([hidden])', {timeout: 120000});
    const [download] = await Promise.all([tab.waitForEvent('download'), tab.click('#download')]);
    if (download.suggestedFilename() !== 'examples.gpi') fail('download named ' + download.suggestedFilename());
    const saved = path.join(work, 'downloaded.gpi');
    await download.saveAs(saved);
    if (!sameGpi(fs.readFileSync(saved), fs.readFileSync(path.join(work, 'native-settings', 'examples.gpi'))))
      fail('the downloaded file is not the native program\'s bytes with maxregion=3');
    await tab.waitForSelector('#report:not([hidden])', {timeout: 120000});
    const reportPage = await tab.evaluate(async () => (await fetch(document.getElementById('report').href)).text());
    if (!/^<!DOCTYPE html>/i.test(reportPage) || !reportPage.includes('examples.gpi'))
      fail('the report link holds no report of examples.gpi: ' + reportPage.slice(0, 200));
    const status = await tab.textContent('#status');
    if (!/^Done in /.test(status)) fail('status after the run: ' + status);
    console.log('folder input: ' + chosen.trim() + ' / ' + status + ' / downloaded ' + download.suggestedFilename());

    if (errors.length) fail('script errors: ' + errors.join('; '));
    if (requests.length) fail('the page asked the network for ' + requests.join(', '));
  } finally {
    await context.close();
  }
  if (failures) { console.log(failures + ' failure(s)'); process.exit(1); }
  console.log('all cases the same');
})().catch((error) => { console.log('FAIL: ' + (error.stack || error)); process.exit(1); });
