// What a block check reads: the visible text of the page outside its
// results (a snippet or a query may say "captcha" without the site asking
// for one), and the human-check widget the page shows, if any.
var SKIPPED_TAGS = { SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, TEMPLATE: 1, IFRAME: 1, OBJECT: 1, SVG: 1 };

function escapeForPattern(text) {
  return text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
}

// The text outside `excluded` (elements whose text is not read), blanks
// collapsed, the `omit` strings taken out, at most args.maxChars.
function outsideText(excluded, omit) {
  var skip = new Set(excluded);
  var parts = [String(document.title || '')];
  var length = parts[0].length;
  // Enough to be left with maxChars after the omitted strings are out.
  var wanted = args.maxChars * 2 + 1024;
  var body = document.body;
  if (body) {
    var walker = document.createTreeWalker(body, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT, {
      acceptNode: function (node) {
        if (node.nodeType === Node.TEXT_NODE)
          return NodeFilter.FILTER_ACCEPT;
        if (skip.has(node) || SKIPPED_TAGS[node.tagName.toUpperCase()])
          return NodeFilter.FILTER_REJECT;
        return getComputedStyle(node).display === 'none' ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_SKIP;
      },
    });
    var visible = new Map();
    var count = 0;
    for (var node = walker.nextNode(); node && length < wanted; node = walker.nextNode()) {
      if ((++count & 255) === 0)
        checkTime();
      var parent = parentOf.call(node);
      if (!visible.has(parent)) {
        var style = getComputedStyle(parent);
        visible.set(parent, style.visibility !== 'hidden' && style.visibility !== 'collapse');
      }
      if (!visible.get(parent))
        continue;
      parts.push(node.data);
      length += node.data.length;
    }
  }
  var text = collapsed(parts.join(' '));
  for (var i = 0; i < omit.length; ++i) {
    var part = collapsed(omit[i]);
    if (part)
      text = text.replace(new RegExp(escapeForPattern(part).replace(/ /g, '\\s*'), 'giu'), ' ');
  }
  return cut(collapsed(text), args.maxChars);
}

function visibleBox(element, minimum) {
  if (!shown(element))
    return false;
  var box = Element.prototype.getBoundingClientRect.call(element);
  return box.width >= minimum && box.height >= minimum;
}

// The human-check widget the page shows: a check's frame or container, or
// a form whose address or fields say captcha or challenge. An invisible
// check (the badge some sites carry on every page) is none.
function humanCheck() {
  var frames = all(document, 'iframe[src]');
  for (var i = 0; i < frames.length; ++i) {
    var source = String(frames[i].src);
    if (/size=invisible/i.test(source) || !visibleBox(frames[i], 10))
      continue;
    if (/recaptcha/i.test(source))
      return 'a reCAPTCHA frame';
    if (/hcaptcha/i.test(source))
      return 'an hCaptcha frame';
    if (/challenges\.cloudflare\.com|turnstile/i.test(source))
      return 'a Turnstile frame';
    if (/captcha|challenge/i.test(source))
      return 'a captcha frame (' + cut(source, 100) + ')';
  }
  var widgets = all(document, '.g-recaptcha, .h-captcha, .cf-turnstile, [data-sitekey], [id*="captcha" i], [class*="captcha" i]');
  for (var j = 0; j < widgets.length; ++j) {
    var widget = widgets[j];
    if (Element.prototype.closest.call(widget, '.grecaptcha-badge') || attribute(widget, 'data-size') === 'invisible')
      continue;
    if (!visibleBox(widget, 10))
      continue;
    var classes = collapsed(attribute(widget, 'class') || '');
    var id = attribute(widget, 'id');
    return 'a captcha widget (' + widget.tagName.toLowerCase() + (id ? '#' + id : '') +
           (classes ? '.' + classes.split(' ').join('.') : '') + ')';
  }
  var forms = formsOf.call(document);
  for (var k = 0; k < forms.length; ++k) {
    var form = forms[k];
    if (!shown(form))
      continue;
    var action = attribute(form, 'action') || '';
    if (/captcha|challenge/i.test(action))
      return 'a form for a human check (action "' + cut(action, 100) + '")';
    var elements = elementsOf.call(form);
    for (var m = 0; m < elements.length; ++m) {
      var name = attribute(elements[m], 'name') || '';
      if (/captcha|challenge/i.test(name) && !Element.prototype.closest.call(elements[m], '.grecaptcha-badge'))
        return 'a form with a human-check field ("' + cut(name, 100) + '")';
    }
  }
  return '';
}
