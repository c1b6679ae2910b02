// Runs in the page's own script world of the top document, before the
// page's scripts: fetch and XMLHttpRequest live there, so only there can
// their requests be seen. Each request that starts and ends sends an event
// that the application's world counts. The functions are wrapped in
// proxies, which look like the browser's own to a page that checks. A page
// may replace or fake these; that only makes a settle watch wait longer or
// less, never act on the page.
(function (startEvent, endEvent) {
  'use strict';
  var doc = document;
  var dispatch = EventTarget.prototype.dispatchEvent;
  var apply = Reflect.apply;
  var EventType = Event;
  function tell(type) {
    try {
      dispatch.call(doc, new EventType(type));
    } catch (e) {
    }
  }
  if (typeof window.fetch === 'function') {
    window.fetch = new Proxy(window.fetch, {
      apply: function (target, self, args) {
        tell(startEvent);
        var promise;
        try {
          promise = apply(target, self, args);
        } catch (e) {
          tell(endEvent);
          throw e;
        }
        var ended = false;
        var end = function () {
          if (!ended) {
            ended = true;
            tell(endEvent);
          }
        };
        promise.then(end, end);
        return promise;
      },
    });
  }
  var prototype = XMLHttpRequest.prototype;
  prototype.send = new Proxy(prototype.send, {
    apply: function (target, request, args) {
      var ended = false;
      var end = function () {
        if (!ended) {
          ended = true;
          request.removeEventListener('loadend', end);
          tell(endEvent);
        }
      };
      tell(startEvent);
      request.addEventListener('loadend', end);
      try {
        return apply(target, request, args);
      } catch (e) {
        end();
        throw e;
      }
    },
  });
})
