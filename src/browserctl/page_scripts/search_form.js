// Finding the search form as a person would: the form the site's settings
// name, else the form with the most telling text field. A field tells by,
// in this order: being a search field, sitting in a role=search form or
// landmark, having the name the settings give, having a name search forms
// commonly use. Forms with a password field or a text area are logins and
// comments, never the search. Document order breaks ties.
var COMMON_NAMES = ['q', 'query', 'search', 's', 'keyword', 'keywords', 'key', 'text', 'p', 'wd'];

function namedForm(nameOrId) {
  var form = HTMLCollection.prototype.namedItem.call(formsOf.call(document), nameOrId);
  if (form instanceof HTMLFormElement)
    return form;
  var byId = Document.prototype.getElementById.call(document, nameOrId);
  return byId instanceof HTMLFormElement ? byId : null;
}

// The form's element of that name (the first of several).
function namedField(form, name) {
  var field = HTMLFormControlsCollection.prototype.namedItem.call(elementsOf.call(form), name);
  if (field && !(field instanceof Element) && field.length > 0)
    field = field[0];
  return field instanceof Element ? field : null;
}

function isTextField(element) {
  if (!(element instanceof HTMLInputElement))
    return false;
  var type = inputType.call(element);
  return type === 'text' || type === 'search';
}

function usableField(element) {
  if (!isTextField(element) || element.disabled || element.readOnly)
    return false;
  var box = Element.prototype.getBoundingClientRect.call(element);
  return box.width >= 2 && box.height >= 2 && shown(element);
}

function isLoginOrComment(form) {
  var elements = elementsOf.call(form);
  for (var i = 0; i < elements.length; ++i) {
    var element = elements[i];
    if (element instanceof HTMLTextAreaElement)
      return true;
    if (element instanceof HTMLInputElement && inputType.call(element) === 'password')
      return true;
  }
  return false;
}

// How telling a field is, as a list compared element by element.
function fieldRank(field, inputName) {
  var name = attribute(field, 'name') || '';
  return [
    inputType.call(field) === 'search' ? 1 : 0,
    Element.prototype.closest.call(field, '[role~="search" i], search') ? 1 : 0,
    inputName && name === inputName ? 1 : 0,
    COMMON_NAMES.indexOf(name.toLowerCase()) >= 0 ? 1 : 0,
  ];
}

function better(rank, than) {
  for (var i = 0; i < rank.length; ++i)
    if (rank[i] !== than[i])
      return rank[i] > than[i];
  return false;
}

// The best usable text field of the form, or null.
function bestField(form, inputName) {
  var elements = elementsOf.call(form);
  var best = null;
  var bestRank = null;
  for (var i = 0; i < elements.length; ++i) {
    var element = elements[i];
    if (!usableField(element))
      continue;
    var rank = fieldRank(element, inputName);
    if (best === null || better(rank, bestRank)) {
      best = element;
      bestRank = rank;
    }
  }
  return best === null ? null : { field: best, rank: bestRank };
}

function describeForm(form) {
  var id = attribute(form, 'id');
  if (id)
    return '#' + id;
  var name = attribute(form, 'name');
  if (name)
    return 'form[name="' + name + '"]';
  var action = attribute(form, 'action');
  if (action)
    return 'form[action="' + action + '"]';
  var forms = formsOf.call(document);
  for (var i = 0; i < forms.length; ++i)
    if (forms[i] === form)
      return 'form ' + (i + 1) + ' of ' + forms.length;
  return 'form';
}

function describeField(field, form) {
  var name = attribute(field, 'name');
  if (name)
    return 'field ' + name;
  var id = attribute(field, 'id');
  if (id)
    return 'field #' + id;
  var elements = elementsOf.call(form);
  var count = 0;
  for (var i = 0; i < elements.length; ++i) {
    if (isTextField(elements[i]))
      ++count;
    if (elements[i] === field)
      return 'text field ' + count;
  }
  return 'text field';
}

function searchForm(formName, inputName) {
  var form = formName ? namedForm(formName) : null;
  if (form) {
    // The named form as it always was: its field of that name whatever it
    // looks like; else its best text field.
    var field = inputName ? namedField(form, inputName) : null;
    if (!field) {
      var found = bestField(form, inputName);
      field = found ? found.field : null;
    }
    if (field)
      return { form: form, field: field, named: true };
  }
  var forms = formsOf.call(document);
  var best = null;
  for (var i = 0; i < forms.length; ++i) {
    var candidate = forms[i];
    if (candidate === form || isLoginOrComment(candidate))
      continue;
    var choice = bestField(candidate, inputName);
    if (choice && (best === null || better(choice.rank, best.rank)))
      best = { form: candidate, field: choice.field, rank: choice.rank };
  }
  return best === null ? null : { form: best.form, field: best.field, named: false };
}

// What submitting the form would send: the entries the browser builds
// (without a submit button, as a scripted submit has none).
function submissionOf(form) {
  var method = formMethod.call(form) === 'post' ? 'POST' : 'GET';
  var charset = '';
  var accepted = collapsed(attribute(form, 'accept-charset') || '');
  if (accepted)
    charset = accepted.split(/[\s,]+/)[0];
  if (!charset)
    charset = document.characterSet || 'UTF-8';
  var fields = [];
  var data = new FormData(form);
  for (var entry of FormData.prototype.entries.call(data))
    fields.push([entry[0], typeof entry[1] === 'string' ? entry[1] : (entry[1] && entry[1].name) || '']);
  return {
    method: method,
    action: formAction.call(form),
    enctype: formEnctype.call(form),
    charset: charset,
    fields: fields,
  };
}
