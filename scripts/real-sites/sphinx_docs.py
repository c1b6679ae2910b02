"""The HTML documentation of Sphinx as Debian ships it (sphinx-doc), served
as static files under lighttpd.

The program is given the start page: its search box is a form with
neither name nor id that leads to search.html, where the search runs in
the page's own script over searchindex.js and draws its results one by one
on timers. The results are pages of the same host.
"""

import urllib.parse

import common

NAME = "sphinx"
PACKAGES = ["sphinx-doc", "lighttpd", "chromium"]
KIND = "form without name or id, found on the start page (GET to search.html); results drawn by script on its own host"
THEME = "sphinx"
# Many hits, more than ten; a few; two (an API name: its entry and its
# page); none. With the theme in front no word finds a single page here.
WORDS = ["theme", "gettext", "autosectionlabel", "is_parallel_allowed", "zeppelin"]
DOCUMENTS = "/usr/share/doc/sphinx-doc/html"


def version():
    return common.package_version("sphinx-doc")


def setup(folder):
    common.write_file(f"{folder}/empty/.keep", "")


def serve(folder, port):
    body = f'server.document-root = "{DOCUMENTS}"\nindex-file.names = ("index.html")\n'
    return common.Server(NAME, folder, port, body)


def site_url(base):
    return base + "index.html"


# For --self-check (see dokuwiki.py): the form has no name, so the search
# address. A selector that matches ends the wait for the page, and the
# results come one by one: this one matches only once the script has
# written its summary, after the last result.
SELF_CHECK = {
    "url": "search.html?q={query}",
    "form": "",
    "field": "",
    "links": "p.search-summary:not(:empty) + ul.search li > a",
}


def oracle(base, query, chromium_folder):
    """The links of the result list, once the script has said that the
    search finished (or found nothing)."""
    url = base + "search.html?" + urllib.parse.urlencode({"q": query})
    page = common.dump_dom(url, chromium_folder)
    if "Search finished" not in page and "did not match any documents" not in page:
        raise common.CheckError(f"oracle: the search of {url} did not finish in the browser")
    return [
        common.absolute(url, a.href)
        for a in common.anchors(page)
        if a.parent()[0] == "li" and a.inside("ul", "search")
    ]
