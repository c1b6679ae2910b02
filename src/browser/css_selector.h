#pragma once
// Whether a site's ResultLinks= selector can be a CSS selector at all. The
// page would refuse a wrong one with every result page, after the run had
// spent its time: the run checks it before it starts instead. A syntax
// check, not a match: what the selector picks is the page's business.

#include <string>
#include <string_view>

namespace runs {

// Empty when the text is a valid selector list; otherwise why not
// ("unbalanced bracket", "unknown pseudo-class :hovr", ...). Knows type,
// universal, id, class and attribute selectors (with their operators and
// the i/s flags), pseudo-classes with and without arguments (:not, :is,
// :where, :has and -webkit-any take selector lists, :nth-* An+B [of S]),
// pseudo-elements, the four combinators and comma lists.
std::string selectorProblem(std::string_view selector);

} // namespace runs
