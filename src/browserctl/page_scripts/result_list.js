// The page's main result list, found by its structure: sibling blocks of
// the same shape (same tag, same path down to their first link) under one
// parent, each leading with a link, outside the page's header, navigation,
// footer, side bars and forms. The largest such group wins; a block whose
// link stands alone counts half against one with text beside it (a list of
// related searches against the results), and document order breaks ties.
// The first link of a block is its result: a "cached" or "similar" link
// after it is not another one.
var OUTSIDE_TAGS = { NAV: 1, ASIDE: 1, MENU: 1, SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, TEMPLATE: 1, SELECT: 1, DIALOG: 1 };
var OUTSIDE_ROLES = /(^|\s)(banner|navigation|contentinfo|complementary|search|menu|menubar|tablist|dialog)(\s|$)/i;
var OUTSIDE_WORDS = /^(header|site-header|page-header|masthead|footer|site-footer|page-footer|nav|navbar|navigation|menu|sidebar|side-bar|breadcrumb|breadcrumbs|pagination|pager|toc)$/i;
var LIST_TAGS = { OL: 1, UL: 1, DL: 1, TABLE: 1, TBODY: 1 };
// A block may lead with numbering ("12.") or a bullet before its link.
var MAX_LEAD_TEXT = 4;
// Text beside the link that makes a block a result with a snippet.
var SNIPPET_TEXT = 20;

function findResultList() {
  var body = document.body;
  if (!body)
    return { blocks: [], links: [] };
  var outside = new Map();
  var pageLinks = all(body, 'a[href], area[href]');
  var linkCount = pageLinks.length;

  // A header or footer of an article or section is part of it; only the
  // page's own are outside.
  function pageLevel(element) {
    return !Element.prototype.closest.call(parentOf.call(element) || body, 'article, section, main, aside, nav');
  }
  function outsideByItself(element) {
    var tag = element.tagName;
    if (OUTSIDE_TAGS[tag])
      return true;
    if ((tag === 'HEADER' || tag === 'FOOTER') && pageLevel(element))
      return true;
    // A form around the whole page (as some frameworks make) is no search
    // or login form.
    if (tag === 'FORM' && all(element, 'a[href], area[href]').length * 2 < linkCount)
      return true;
    if (OUTSIDE_ROLES.test(attribute(element, 'role') || ''))
      return true;
    var id = attribute(element, 'id');
    if (id && OUTSIDE_WORDS.test(id))
      return true;
    var classes = element.classList;
    for (var i = 0; i < classes.length; ++i)
      if (OUTSIDE_WORDS.test(classes[i]))
        return true;
    return false;
  }
  // Whether the element or one of its ancestors is outside the content.
  function isOutside(element) {
    var chain = [];
    var verdict = false;
    for (var at = element; at && at !== body; at = parentOf.call(at)) {
      if (outside.has(at)) {
        verdict = outside.get(at);
        break;
      }
      chain.push(at);
      if (outsideByItself(at)) {
        verdict = true;
        break;
      }
    }
    for (var i = 0; i < chain.length; ++i)
      outside.set(chain[i], verdict);
    return verdict;
  }

  function usable(link) {
    var address = link.href;
    if (typeof address !== 'string' || !/^https?:/i.test(address) || address.length > args.maxAddress)
      return false;
    // A place in this page is no result.
    var here = location.href.split('#')[0];
    if (address.split('#')[0] === here && address.indexOf('#') >= 0)
      return false;
    // Page numbers and arrows are no results either.
    var text = linkText(link);
    return text.length >= 2 && !/^[\d\s.,:;|<>«»‹›←→\-]+$/.test(text);
  }

  // Links in document order: the first link to reach an element is the
  // one the element leads with, if little text comes before it there.
  // Hidden links, places in the page and page numbers are passed over.
  var firstLink = new Map();
  var groups = new Map();
  var order = 0;
  for (var i = 0; i < pageLinks.length; ++i) {
    if ((i & 255) === 0)
      checkTime();
    var link = pageLinks[i];
    if (!isLink(link) || !usable(link) || Element.prototype.getClientRects.call(link).length === 0)
      continue;
    var lead = 0;
    var path = link.tagName;
    var child = link;
    for (var block = parentOf.call(link); block && block !== body; block = parentOf.call(block)) {
      if (firstLink.has(block))
        break;
      firstLink.set(block, link);
      // Text of the block before the link: in the siblings before the path
      // down to it.
      for (var before = child.previousSibling; before && lead <= MAX_LEAD_TEXT; before = before.previousSibling) {
        // A table row may lead with cells of its own (a score, a date, a
        // check box) before the cell that holds its result.
        if ((before.nodeName === 'TD' || before.nodeName === 'TH') && all(before, 'a[href], area[href]').length === 0)
          continue;
        lead += collapsed(before.textContent).length;
      }
      var parent = parentOf.call(block);
      if (lead <= MAX_LEAD_TEXT && parent && !isOutside(block)) {
        var shape = block.tagName + '>' + path;
        var byShape = groups.get(parent);
        if (!byShape) {
          byShape = new Map();
          groups.set(parent, byShape);
        }
        var group = byShape.get(shape);
        if (!group) {
          group = { parent: parent, blocks: [], links: [], weight: 0, order: order++ };
          byShape.set(shape, group);
        }
        group.blocks.push(block);
        group.links.push(link);
      }
      path = block.tagName + '>' + path;
      child = block;
    }
  }

  var best = null;
  groups.forEach(function (byShape) {
    byShape.forEach(function (group) {
      checkTime();
      if (group.blocks.length < 2 && !LIST_TAGS[group.parent.tagName])
        return;
      for (var j = 0; j < group.blocks.length; ++j) {
        var text = collapsed(group.blocks[j].textContent).length;
        var own = collapsed(group.links[j].textContent).length;
        group.weight += text - own >= SNIPPET_TEXT ? 2 : 1;
      }
      if (best === null || group.weight > best.weight || (group.weight === best.weight && group.order < best.order))
        best = group;
    });
  });
  if (best === null)
    return { blocks: [], links: [] };
  var links = [];
  for (var k = 0; k < best.links.length && links.length < args.maxLinks; ++k) {
    var found = linkOf(best.links[k]);
    if (found)
      links.push(found);
  }
  return { blocks: best.blocks, links: links };
}
