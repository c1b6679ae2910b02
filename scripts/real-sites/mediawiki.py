"""MediaWiki on SQLite, under lighttpd and php-cgi.

Installed with its own install.php, its pages (the licences of the
machine) created with its own importTextFiles.php. The program is given the
wiki's search address with {query} in it: no form is filled. The results
are drawn by the server and link to pages of the wiki's own host, among
the links of the skin, the search profile tabs and the paging.
"""

import os
import urllib.parse

import common

NAME = "mediawiki"
PACKAGES = ["mediawiki", "php-sqlite3", "php-cli", "php-cgi", "lighttpd"]
KIND = "search address with {query} (GET); server-drawn results on its own host"
THEME = "license"
# Twelve hits (more than the ten kept), eight, three, two, one, none.
WORDS = ["warranty", "patent", "copyleft", "Mozilla", "Artistic", "zeppelin"]
INSTALL = "/usr/share/mediawiki"


def version():
    return common.package_version("mediawiki")


def setup(folder):
    stamp = f"mediawiki {version()} layout 1"
    if common.is_ready(folder, stamp):
        return
    common.log("mediawiki: installing the wiki")
    common.begin_setup(folder)
    os.makedirs(f"{folder}/db")
    common.run_quietly(
        [
            "php", "maintenance/install.php",
            "--dbtype", "sqlite", "--dbpath", f"{folder}/db", "--dbname", "licences",
            "--server", "http://127.0.0.1", "--scriptpath", "", "--confpath", folder,
            "--skins", "Vector", "--pass", "real-sites-admin-password",
            "Licence wiki", "Admin",
        ],
        cwd=INSTALL,
    )
    # The port changes from run to run: the wiki takes its own address from
    # the request.
    with open(f"{folder}/LocalSettings.php", "a", encoding="utf-8") as f:
        f.write("\n$wgServer = WebRequest::detectServer();\n")
    pages = f"{folder}/import"
    os.makedirs(pages)
    for file, title in common.LICENCES.items():
        text = open(os.path.join(common.LICENCE_FOLDER, file), encoding="utf-8").read()
        common.write_file(os.path.join(pages, title), f"<pre>\n{text}</pre>\n")
    env = dict(os.environ, MW_CONFIG_FILE=f"{folder}/LocalSettings.php")
    files = sorted(os.path.join(pages, name) for name in os.listdir(pages))
    common.run_quietly(["php", "maintenance/importTextFiles.php", "--summary", "Imported"] + files, cwd=INSTALL, env=env)
    common.run_quietly(["php", "maintenance/runJobs.php"], cwd=INSTALL, env=env)
    common.finish_setup(folder, stamp)


def serve(folder, port):
    body = (
        f'server.document-root = "{INSTALL}"\n'
        'server.modules = ("mod_access", "mod_fastcgi")\n'
        'index-file.names = ("index.php")\n'
        '$HTTP["url"] =~ "^/(maintenance|includes|vendor|cache|mw-config|languages|tests)/" '
        '{ url.access-deny = ("") }\n'
        + common.fastcgi_php(folder, {"MW_CONFIG_FILE": f"{folder}/LocalSettings.php"})
    )
    return common.Server(NAME, folder, port, body)


def site_url(base):
    return base + "index.php?title=Special:Search&fulltext=1&search={query}"


# For --self-check (see dokuwiki.py): the search form of the main page, and
# the heading links of the last result list (the full-text matches).
SELF_CHECK = {
    "url": "index.php?title=Main_Page",
    "form": "searchform",
    "field": "search",
    "links": "ul.mw-search-results:last-of-type .mw-search-result-heading > a",
}


def oracle(base, query, chromium_folder):
    """The result headings' links of the full-text matches, in the order
    shown. Where the wiki also lists the pages whose title matches, that
    list comes first under a heading of its own; it is not the answer to a
    full-text search, and its pages are among the text matches anyway."""
    url = base + "index.php?" + urllib.parse.urlencode(
        {"title": "Special:Search", "fulltext": "1", "search": query}
    )
    final, page = common.fetch(url)
    if "mw-search-results" not in page and "mw-search-nonefound" not in page:
        raise common.CheckError(f"oracle: {url} is not a MediaWiki result page")
    if "Page title matches" in page:
        start = page.find("Page text matches")
        page = page[start:] if start >= 0 else ""
    return [
        common.absolute(final, a.href)
        for a in common.anchors(page)
        if a.parent()[0] == "div" and "mw-search-result-heading" in a.parent()[1]
    ]
