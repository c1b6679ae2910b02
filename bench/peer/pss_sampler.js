// The memory of a process and all its descendants, read from /proc every
// intervalMs on a worker thread: the peak of the summed PSS (shared pages
// shared out among the processes that map them) and of the summed RSS, the
// most processes and renderers seen. Answers "stop" with its figures.

'use strict';

const fs = require('fs');
const { parentPort, workerData } = require('worker_threads');

const { rootPid, intervalMs } = workerData;
const peak = { peakPssKiB: 0, peakRssKiB: 0, processes: 0, renderers: 0, samples: 0 };

function read(file) {
  try {
    return fs.readFileSync(file, 'latin1');
  } catch {
    return ''; // the process ended meanwhile
  }
}

function parentOf(pid) {
  // The command name may hold spaces and parentheses; the fields after
  // the last ')' are fixed: state, then the parent's pid.
  const stat = read(`/proc/${pid}/stat`);
  const close = stat.lastIndexOf(')');
  if (close < 0) return -1;
  return Number(stat.slice(close + 2).split(' ')[1]);
}

function kib(text, field) {
  const match = new RegExp(`^${field}:\\s+(\\d+) kB`, 'm').exec(text);
  return match ? Number(match[1]) : 0;
}

function sample() {
  const children = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    const pid = Number(name);
    const parent = parentOf(pid);
    if (!children.has(parent)) children.set(parent, []);
    children.get(parent).push(pid);
  }
  const tree = [];
  const pending = [rootPid];
  while (pending.length) {
    const pid = pending.pop();
    tree.push(pid);
    for (const child of children.get(pid) || []) pending.push(child);
  }
  let pss = 0;
  let rss = 0;
  let processes = 0;
  let renderers = 0;
  for (const pid of tree) {
    const rollup = read(`/proc/${pid}/smaps_rollup`);
    if (!rollup) continue;
    ++processes;
    pss += kib(rollup, 'Pss');
    rss += kib(rollup, 'Rss');
    if (read(`/proc/${pid}/cmdline`).includes('--type=renderer')) ++renderers;
  }
  peak.peakPssKiB = Math.max(peak.peakPssKiB, pss);
  peak.peakRssKiB = Math.max(peak.peakRssKiB, rss);
  peak.processes = Math.max(peak.processes, processes);
  peak.renderers = Math.max(peak.renderers, renderers);
  ++peak.samples;
}

sample();
const timer = setInterval(sample, intervalMs);
parentPort.on('message', (message) => {
  if (message !== 'stop') return;
  clearInterval(timer);
  sample();
  parentPort.postMessage(peak);
  parentPort.close();
});
