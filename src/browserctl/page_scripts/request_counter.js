// Runs in the page's own script world of the top document, before the
// page's scripts: fetch and XMLHttpRequest live there, so only there can
// their requests be seen. Each request that starts and ends sends an event
// that the application's world counts. A page may replace or fake these;
// that only makes a settle watch wait longer or less, never act on the page.
(function (startEvent, endEvent) {
  'use strict';
  var doc = document;
  var dispatch = EventTarget.prototype.dispatchEvent;
  var EventType = Event;
  function tell(type) {
    try {
      dispatch.call(doc, new EventType(type));
    } catch (e) {
    }
  }
  var nativeFetch = window.fetch;
  if (typeof nativeFetch === 'function') {
    window.fetch = function fetch() {
      tell(startEvent);
      var promise;
      try {
        promise = nativeFetch.apply(this, arguments);
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
    };
  }
  var send = XMLHttpRequest.prototype.send;
  XMLHttpRequest.prototype.send = function send() {
    var request = this;
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
      return send.apply(this, arguments);
    } catch (e) {
      end();
      throw e;
    }
  };
})
