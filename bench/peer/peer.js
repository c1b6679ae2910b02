// The list run of the batch benchmark done by a plain headless Chromium
// driven over its DevTools protocol, for a side-by-side figure: for every
// word, open the site's search page, fill the search form with the theme
// and the word, submit it and wait for the result page. Either one tab
// after another, or K tabs taking the next word as each finishes.
//
//   node peer.js --base http://127.0.0.1:PORT/ --words N [--parallel K]
//                [--chromium /usr/bin/chromium] [--timeout SECONDS]
//
// Prints one line of figures: the wall time from the browser's start to
// its end, the time of the words alone, how many result pages arrived,
// and the peak PSS of the browser's process tree (the browser process and
// every descendant, from /proc/PID/smaps_rollup every 100 ms, summed).
// Only the given base address is contacted.

'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { Worker } = require('worker_threads');
const puppeteer = require('puppeteer-core');

function parseArgs(argv) {
  const options = { base: '', words: 51, parallel: 1, chromium: '/usr/bin/chromium', timeout: 600 };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i];
    const value = argv[i + 1];
    if (value === undefined) throw new Error(`${name} needs a value`);
    if (name === '--base') options.base = value;
    else if (name === '--words') options.words = Number(value);
    else if (name === '--parallel') options.parallel = Number(value);
    else if (name === '--chromium') options.chromium = value;
    else if (name === '--timeout') options.timeout = Number(value);
    else throw new Error(`unknown option ${name}`);
  }
  if (!/^http:\/\/127\.0\.0\.1:\d+\/$/.test(options.base))
    throw new Error('--base must be a loopback address like http://127.0.0.1:PORT/');
  for (const key of ['words', 'parallel', 'timeout'])
    if (!Number.isInteger(options[key]) || options[key] < 1) throw new Error(`--${key} must be a positive whole number`);
  return options;
}

// The sampler runs on its own thread so that reading /proc never holds up
// the protocol traffic of the run it measures.
function startSampler(rootPid) {
  const worker = new Worker(path.join(__dirname, 'pss_sampler.js'), { workerData: { rootPid, intervalMs: 100 } });
  return {
    stop: () =>
      new Promise((resolve, reject) => {
        worker.once('message', resolve);
        worker.once('error', reject);
        worker.postMessage('stop');
      }),
  };
}

async function searchOne(page, searchUrl, query) {
  await page.goto(searchUrl, { waitUntil: 'load' });
  const submitted = page.waitForNavigation({ waitUntil: 'load' });
  // The same late-bound steps the program takes: the form by name, its
  // field by name, the value, submit.
  await page.evaluate((text) => {
    const form = document.forms['cse-search-box'];
    form.elements['q'].value = text;
    form.submit();
  }, query);
  await submitted;
  return (await page.title()) === `Result: ${query}`;
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  const searchUrl = new URL('USA/', options.base).href;
  const words = Array.from({ length: options.words }, (_, i) => `word${i + 1}`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vantrel-peer-'));
  const timer = setTimeout(() => {
    console.error(`peer: gave up after ${options.timeout} s`);
    process.exit(1);
  }, options.timeout * 1000);

  const started = process.hrtime.bigint();
  const browser = await puppeteer.launch({
    executablePath: options.chromium,
    // Exactly these flags, nothing of puppeteer's own set, so the figures
    // are those of the browser as it ships.
    ignoreDefaultArgs: true,
    pipe: true,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      `--user-data-dir=${profile}`,
      'about:blank',
    ],
  });
  const sampler = startSampler(browser.process().pid);
  let done = 0;
  let listMs = 0;
  try {
    const pages = [(await browser.pages())[0] || (await browser.newPage())];
    while (pages.length < options.parallel) pages.push(await browser.newPage());
    const listStarted = process.hrtime.bigint();
    let next = 0;
    await Promise.all(
      pages.map(async (page) => {
        while (next < words.length) {
          const word = words[next++];
          if (await searchOne(page, searchUrl, `Weather ${word}`)) ++done;
          else console.error(`peer: ${word}: not the result page`);
        }
      }),
    );
    listMs = Number(process.hrtime.bigint() - listStarted) / 1e6;
  } finally {
    const peak = await sampler.stop();
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
    clearTimeout(timer);
    const wallMs = Number(process.hrtime.bigint() - started) / 1e6;
    const figures = {
      words: options.words,
      parallel: options.parallel,
      wall_s: +(wallMs / 1000).toFixed(2),
      list_s: +(listMs / 1000).toFixed(2),
      results: done,
      peak_pss_mib: Math.round(peak.peakPssKiB / 1024),
      peak_rss_mib: Math.round(peak.peakRssKiB / 1024),
      processes: peak.processes,
      renderers: peak.renderers,
    };
    console.log(`peer ${JSON.stringify(figures)}`);
  }
  if (done !== options.words) process.exitCode = 2;
}

main().catch((error) => {
  console.error(`peer: ${error.message}`);
  process.exit(1);
});
