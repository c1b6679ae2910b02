// Runs in the application's own script world of every document, before the
// page's scripts. In a frame it reports the frame's load, since the engine
// tells nothing when a frame finishes; the top document is reported by the
// engine's load report instead, which also covers error pages. In the top
// document it counts the requests the page's scripts have pending, from the
// events the request counter of the page's own world sends, so a settle
// watch knows them from the start of the document.
(function (options) {
  'use strict';
  if (window.top !== window) {
    window.addEventListener('load', function () {
      console.info(options.frameTag + location.href);
    }, { once: true });
    return;
  }
  var net = { pending: 0, changed: Date.now(), onchange: null };
  window.__vantrelNet = net;
  function change(delta) {
    net.pending = Math.max(0, net.pending + delta);
    net.changed = Date.now();
    if (net.onchange)
      net.onchange();
  }
  document.addEventListener(options.startEvent, function () { change(1); }, true);
  document.addEventListener(options.endEvent, function () { change(-1); }, true);
})
