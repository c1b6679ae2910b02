// The document calls. One function resolves the document, the form and
// the field from the arguments and then does the operation, so every call
// looks its objects up afresh. The answer is JSON text: {"ok": true, ...}
// or {"error": "replaced" | "noform" | "nofield" | "gone" | "selector" |
// "nosearchform" | "toolarge" | "refused"}.
function pageLinks(selector) {
  var LINKS = 'a[href], area[href]';
  var roots;
  if (selector === '') {
    roots = [document];
  } else {
    try {
      roots = all(document, selector);
    } catch (e) {
      if (e instanceof DOMException && e.name === 'SyntaxError')
        return null;
      throw e;
    }
  }
  var links = [];
  function take(element) {
    if (!isLink(element))
      return;
    var link = linkOf(element);
    if (link)
      links.push(link);
  }
  // The selected elements come in document order, so one inside the last
  // element taken has had its links taken with it; the rest are disjoint
  // subtrees, each walked once, and no link comes twice.
  var last = null;
  for (var i = 0; i < roots.length && links.length < args.maxLinks; ++i) {
    var root = roots[i];
    if (last !== null && Node.prototype.contains.call(last, root))
      continue;
    last = root;
    if (root !== document && Element.prototype.matches.call(root, LINKS))
      take(root);
    var inner = all(root, LINKS);
    for (var j = 0; j < inner.length && links.length < args.maxLinks; ++j) {
      if ((j & 1023) === 0)
        checkTime();
      take(inner[j]);
    }
  }
  return links;
}

function resolveForm() {
  if (typeof args.formHandle === 'number') {
    var tagged = byHandle(args.formHandle);
    return tagged && isConnected.call(tagged) ? tagged : 'gone';
  }
  return namedForm(args.form) || 'noform';
}

function resolveField(form) {
  if (typeof args.fieldHandle === 'number') {
    var tagged = byHandle(args.fieldHandle);
    return tagged && isConnected.call(tagged) ? tagged : 'gone';
  }
  return namedField(form, args.field) || 'nofield';
}

function run() {
  if (args.op === 'document') {
    if (typeof window.__vantrelDocumentId !== 'number')
      window.__vantrelDocumentId = args.candidate;
    return { ok: true, document: window.__vantrelDocumentId };
  }
  if (window.__vantrelDocumentId !== args.document)
    return { error: 'replaced' };
  if (args.op === 'text') {
    var body = document.body ? (document.body.innerText || document.body.textContent || '') : '';
    var whole = collapsed(String(document.title || '') + ' ' + String(body));
    return { ok: true, text: whole.slice(0, args.maxChars) };
  }
  if (args.op === 'links') {
    var links = pageLinks(args.selector);
    return links === null ? { error: 'selector' } : { ok: true, links: links };
  }
  if (args.op === 'resultLinks') {
    if (args.selector !== '') {
      var selected = pageLinks(args.selector);
      return selected === null ? { error: 'selector' } : { ok: true, links: selected };
    }
    return { ok: true, links: findResultList().links };
  }
  if (args.op === 'blockCheck') {
    var excluded;
    if (args.selector !== '') {
      try {
        excluded = all(document, args.selector);
      } catch (e) {
        return { error: 'selector' };
      }
    } else {
      excluded = findResultList().blocks;
    }
    return { ok: true, text: outsideText(excluded, args.omit), humanCheck: humanCheck() };
  }
  if (args.op === 'searchForm') {
    var found = searchForm(args.formName, args.inputName);
    if (!found)
      return { error: 'nosearchform' };
    return {
      ok: true,
      form: handleOf(found.form),
      field: handleOf(found.field),
      named: found.named,
      description: describeForm(found.form) + ', ' + describeField(found.field, found.form),
    };
  }
  var form = resolveForm();
  if (typeof form === 'string')
    return { error: form };
  if (args.op === 'form')
    return { ok: true };
  if (args.op === 'submit') {
    // The prototype's submit: a field named "submit" hides form.submit.
    HTMLFormElement.prototype.submit.call(form);
    return { ok: true };
  }
  if (args.op === 'submission')
    return { ok: true, submission: submissionOf(form) };
  var field = resolveField(form);
  if (typeof field === 'string')
    return { error: field };
  if (args.op === 'field')
    return { ok: true };
  if (args.op === 'value') {
    if (!('value' in field))
      return { error: 'refused' };
    field.value = args.value;
    return { ok: true };
  }
  return { error: 'refused' };
}

try {
  return answer(run());
} catch (e) {
  if (e instanceof TooLarge)
    return answer({ error: 'toolarge' });
  return answer({ error: 'refused', message: String(e) });
}
