"""DokuWiki: a PHP wiki on plain files, under lighttpd and php-cgi.

Its pages are the licences of the machine, committed with DokuWiki's own
dwpage.php and indexed with its own indexer.php. The program is given the
start page: its search form has an id but no name, its results are drawn by
the server and link to pages of the wiki's own host, beside links to the
search tools (namespace, time, sort) and a namespace link in every result.
"""

import os
import urllib.parse

import common

NAME = "dokuwiki"
PACKAGES = ["dokuwiki", "php-cli", "php-cgi", "lighttpd"]
KIND = "form with an id and no name, found on the start page (GET); server-drawn results on its own host"
THEME = "license"
# Twelve hits (more than the ten kept), eight, three, two, one, none.
WORDS = ["warranty", "patent", "copyleft", "Mozilla", "Artistic", "zeppelin"]
INSTALL = "/usr/share/dokuwiki"


def version():
    return common.package_version("dokuwiki")


def _php(folder):
    # DokuWiki reads its configuration folder from DOKU_CONF when it is
    # defined before Debian's preload.php looks for one.
    return ["php", "-d", f"auto_prepend_file={folder}/prepend.php"]


def setup(folder):
    stamp = f"dokuwiki {version()} layout 1"
    if common.is_ready(folder, stamp):
        return
    common.log("dokuwiki: setting up the wiki")
    common.begin_setup(folder)
    data = os.path.join(folder, "data")
    for sub in ["pages", "attic", "meta", "media", "media_attic", "media_meta", "cache", "index", "locks", "tmp", "log"]:
        os.makedirs(os.path.join(data, sub))
    common.write_file(f"{folder}/prepend.php", f"<?php\ndefine('DOKU_CONF', '{folder}/conf/');\n")
    common.write_file(f"{folder}/php/dokuwiki.ini", f"auto_prepend_file={folder}/prepend.php\n")
    common.write_file(
        f"{folder}/conf/local.php",
        "<?php\n"
        "$conf['title'] = 'Licence wiki';\n"
        f"$conf['savedir'] = '{data}';\n"
        "$conf['useacl'] = 0;\n"
        "$conf['userewrite'] = 0;\n",
    )
    pages = os.path.join(folder, "import")
    os.makedirs(pages)
    for file, title in common.LICENCES.items():
        text = open(os.path.join(common.LICENCE_FOLDER, file), encoding="utf-8").read()
        source = os.path.join(pages, file)
        common.write_file(source, f"====== {title} ======\n\n{text}")
        page = "licenses:" + file.lower().replace(".", "-")
        common.run_quietly(_php(folder) + [f"{INSTALL}/bin/dwpage.php", "commit", "-m", "Imported", source, page])
    common.run_quietly(_php(folder) + [f"{INSTALL}/bin/indexer.php", "--quiet"])
    common.finish_setup(folder, stamp)


def serve(folder, port):
    body = (
        f'server.document-root = "{INSTALL}"\n'
        'server.modules = ("mod_access", "mod_fastcgi")\n'
        'index-file.names = ("doku.php")\n'
        '$HTTP["url"] =~ "^/(bin|data|inc|conf|vendor)/|/\\.ht" { url.access-deny = ("") }\n'
        + common.fastcgi_php(folder, {"PHP_INI_SCAN_DIR": f":{folder}/php"})
    )
    return common.Server(NAME, folder, port, body)


def site_url(base):
    return base + "doku.php"


# For --self-check: the site as the program was configured before it could
# find forms and result lists itself. The run's links then must equal the
# oracle's, which proves the oracle and the comparison.
SELF_CHECK = {"url": "doku.php", "form": "dw__search", "field": "q", "links": "div.search_fullpage_result dt > a.wikilink1"}


def oracle(base, query, chromium_folder):
    """The full-text results: the page link that leads each result (the
    namespace link beside it and the search tools are not results)."""
    url = base + "doku.php?" + urllib.parse.urlencode({"do": "search", "q": query})
    final, page = common.fetch(url)
    if "search-results-form" not in page:
        raise common.CheckError(f"oracle: {url} is not a DokuWiki result page")
    return [
        common.absolute(final, a.href)
        for a in common.anchors(page)
        if a.parent()[0] == "dt" and a.inside("div", "search_fullpage_result") and "data-wiki-id" in a.attrs
    ]
