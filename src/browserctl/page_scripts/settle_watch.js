// Watches the top document until it has stayed quiet for args.quietMs (no
// change of its content, no request of its scripts and no resource its
// scripts inserted pending) or args.selector matches, then reports once
// with a tagged console message. Runs in the application's world when a
// watch is armed; nothing of it runs before. Requests and resources that
// have been pending for args.staleMs with nothing else happening no longer
// count, so a page that polls for ever settles too.
(function (args) {
  'use strict';
  if (window.__vantrelSettle)
    window.__vantrelSettle.stop();
  var net = window.__vantrelNet || { pending: 0, changed: 0, onchange: null };
  var TRACKED = 'img, script[src], link[href], iframe';
  var stopped = false;
  var observer = null;
  var timer = 0;
  var contentChanged = Date.now();
  var resources = 0;
  var resourcesChanged = 0;
  var watch = {};
  window.__vantrelSettle = watch;

  watch.stop = function () {
    stopped = true;
    if (observer)
      observer.disconnect();
    clearTimeout(timer);
    if (net.onchange === check)
      net.onchange = null;
    if (window.__vantrelSettle === watch)
      window.__vantrelSettle = null;
  };

  function report() {
    if (stopped)
      return;
    watch.stop();
    console.info(args.tag + args.token + ':' + location.href);
  }

  function matches() {
    if (!args.selector)
      return false;
    try {
      return Document.prototype.querySelector.call(document, args.selector) !== null;
    } catch (e) {
      return false;  // an invalid selector never matches
    }
  }

  // A resource an inserted element still loads: its load or error event
  // ends it. Lazy images load only when seen; they are not waited for.
  function pendingResource(element) {
    if (element instanceof HTMLImageElement)
      return !element.complete && Element.prototype.getAttribute.call(element, 'loading') !== 'lazy';
    if (element instanceof HTMLScriptElement)
      return !element.type || /(java|ecma)script|module/i.test(element.type);
    if (element instanceof HTMLLinkElement)
      return /(^|\s)stylesheet(\s|$)/i.test(element.rel) && element.sheet === null;
    return element instanceof HTMLIFrameElement;
  }

  function track(element) {
    if (element.__vantrelTracked || !pendingResource(element))
      return;
    element.__vantrelTracked = true;
    ++resources;
    resourcesChanged = Date.now();
    var done = function () {
      element.removeEventListener('load', done);
      element.removeEventListener('error', done);
      --resources;
      resourcesChanged = Date.now();
      check();
    };
    element.addEventListener('load', done);
    element.addEventListener('error', done);
  }

  function added(records) {
    for (var i = 0; i < records.length; ++i) {
      var nodes = records[i].addedNodes;
      for (var j = 0; j < nodes.length; ++j) {
        var node = nodes[j];
        if (!(node instanceof Element))
          continue;
        if (Element.prototype.matches.call(node, TRACKED))
          track(node);
        var inner = Element.prototype.querySelectorAll.call(node, TRACKED);
        for (var k = 0; k < inner.length; ++k)
          track(inner[k]);
      }
    }
    contentChanged = Date.now();
    check();
  }

  // Reports when the page is done by this test; true when the watch has
  // ended, by this report or before.
  function endedBy(done) {
    if (!stopped && done())
      report();
    return stopped;
  }

  function check() {
    if (endedBy(matches))
      return;
    var now = Date.now();
    var waits = [];
    if (net.pending > 0 && now - net.changed < args.staleMs)
      waits.push(net.changed + args.staleMs);
    if (resources > 0 && now - resourcesChanged < args.staleMs)
      waits.push(resourcesChanged + args.staleMs);
    var due;
    if (waits.length > 0) {
      // Something is on its way: look again when it would count as stale
      // (its end looks again earlier).
      due = Math.min.apply(Math, waits);
    } else {
      var quietSince = Math.max(contentChanged, net.changed, resourcesChanged);
      if (now - quietSince >= args.quietMs) {
        report();
        return;
      }
      due = quietSince + args.quietMs;
    }
    clearTimeout(timer);
    timer = setTimeout(check, Math.max(0, due - now) + 5);
  }

  // A page with nothing that runs (no script, no handler attribute, no
  // frame or plug-in) cannot change after its load: it has settled. Most
  // static result pages are such, and need not wait out the quiet time.
  function inert() {
    if (net.pending > 0 ||
        Document.prototype.querySelector.call(document, 'script, iframe, frame, object, embed') !== null)
      return false;
    var all = Document.prototype.getElementsByTagName.call(document, '*');
    if (all.length > 5000)
      return false;  // not worth the look: wait as for any other page
    for (var i = 0; i < all.length; ++i) {
      var names = Element.prototype.getAttributeNames.call(all[i]);
      for (var j = 0; j < names.length; ++j) {
        if (names[j].length > 2 && names[j].slice(0, 2).toLowerCase() === 'on')
          return false;
      }
    }
    return true;
  }

  function start() {
    if (endedBy(inert))
      return;
    observer = new MutationObserver(added);
    observer.observe(document, { childList: true, subtree: true, characterData: true });
    net.onchange = check;
    contentChanged = Date.now();
    check();
  }

  if (document.readyState === 'complete')
    start();
  else
    window.addEventListener('load', start, { once: true });
  return true;
})
