// Helpers of the document calls. The calls run in the application's own
// script world, whose built-ins and DOM prototypes the page's scripts can
// neither see nor replace. Named properties are another matter: a field
// named "action", "elements" or "submit" hides the form's own property in
// every world, and a form named "forms" hides document.forms. So the calls
// read such properties through the prototypes' getters.
var started = Date.now();

function getter(proto, name) {
  return Object.getOwnPropertyDescriptor(proto, name).get;
}
var formsOf = getter(Document.prototype, 'forms');
var elementsOf = getter(HTMLFormElement.prototype, 'elements');
var formAction = getter(HTMLFormElement.prototype, 'action');
var formMethod = getter(HTMLFormElement.prototype, 'method');
var formEnctype = getter(HTMLFormElement.prototype, 'enctype');
var isConnected = getter(Node.prototype, 'isConnected');
var inputType = getter(HTMLInputElement.prototype, 'type');
var parentOf = getter(Node.prototype, 'parentElement');

function attribute(element, name) {
  return Element.prototype.getAttribute.call(element, name);
}

function all(root, selector) {
  return root === document ? Document.prototype.querySelectorAll.call(document, selector)
                           : Element.prototype.querySelectorAll.call(root, selector);
}

function answer(value) {
  return JSON.stringify(value);
}

function collapsed(text) {
  return typeof text === 'string' ? text.replace(/\s+/g, ' ').trim() : '';
}

function cut(text, max) {
  if (text.length <= max)
    return text;
  // Counted in characters, so a surrogate pair is never split.
  var out = '';
  var count = 0;
  for (var c of text) {
    if (count === max)
      break;
    out += c;
    ++count;
  }
  return out.trimEnd();
}

// A page too large to read within the call's time answers that, rather
// than a part of what it holds.
function TooLarge() {}
function checkTime() {
  if (Date.now() - started > args.budgetMs)
    throw new TooLarge();
}

// Shown at all: laid out, and not hidden by visibility.
function shown(element) {
  if (Element.prototype.getClientRects.call(element).length === 0)
    return false;
  var style = getComputedStyle(element);
  return style.visibility !== 'hidden' && style.visibility !== 'collapse';
}

function linkText(element) {
  var text = collapsed(element.innerText);
  if (!text)
    text = collapsed(element.textContent);
  if (!text)
    text = collapsed(attribute(element, 'alt'));
  if (!text)
    text = collapsed(attribute(element, 'title'));
  if (!text)
    text = collapsed(attribute(element, 'aria-label'));
  return text;
}

function isLink(element) {
  // Only HTML links: an SVG <a> has no address as text.
  return element instanceof HTMLAnchorElement || element instanceof HTMLAreaElement;
}

function linkOf(element) {
  var address = element.href;
  if (typeof address !== 'string' || address.length > args.maxAddress)
    return null;
  return { address: address, text: cut(linkText(element), args.maxText) };
}

// Page objects the calls hand out, found by a number in this world: a
// form or field without id or name has nothing else to be found by. The
// tag is an expando of this world's view of the element, out of the page's
// sight.
function handleOf(element) {
  if (typeof element.__vantrelHandle !== 'number') {
    if (!window.__vantrelHandles)
      window.__vantrelHandles = [];
    element.__vantrelHandle = window.__vantrelHandles.length;
    window.__vantrelHandles.push(element);
  }
  return element.__vantrelHandle;
}

function byHandle(handle) {
  var list = window.__vantrelHandles;
  return list && handle >= 0 && handle < list.length ? list[handle] : null;
}
