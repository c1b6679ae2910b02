"""Xapian Omega: the omega CGI program over an index that its own omindex
builds of the Docutils documentation Debian ships, served under lighttpd
with the documents beside it (/docs/).

The program is given omega's start page: a form named P whose field is
also named P, with radio buttons and hidden fields. The results are drawn
by the server; each shows its document's link twice (title and address),
among the paging buttons and the footer's link to another host.
"""

import urllib.parse

import common

NAME = "omega"
PACKAGES = ["xapian-omega", "docutils-doc", "lighttpd"]
KIND = "named form (P) with its field named P, found on the start page (GET); server-drawn results"
THEME = "docutils"
# More than ten hits; more than ten; two (a page and its text source);
# one; none.
WORDS = ["latex", "stylesheet", "abiword", "mathplayer", "zeppelin"]
DOCUMENTS = "/usr/share/doc/docutils-doc"


def version():
    return common.package_version("xapian-omega")


def setup(folder):
    stamp = f"omega {version()} docutils-doc {common.package_version('docutils-doc')} layout 1"
    if common.is_ready(folder, stamp):
        return
    common.log("omega: indexing the Docutils documentation")
    common.begin_setup(folder)
    common.write_file(
        f"{folder}/omega.conf",
        f"database_dir {folder}/db\n"
        "template_dir /usr/share/xapian-omega/templates\n"
        f"log_dir {folder}/log\n",
    )
    common.write_file(f"{folder}/log/.keep", "")
    common.write_file(f"{folder}/db/.keep", "")
    common.write_file(f"{folder}/empty/.keep", "")
    common.run_quietly(["omindex", "--db", f"{folder}/db/default", "--url", "/docs/", DOCUMENTS])
    common.finish_setup(folder, stamp)


def serve(folder, port):
    body = (
        f'server.document-root = "{folder}/empty"\n'
        'server.modules = ("mod_access", "mod_alias", "mod_cgi", "mod_setenv")\n'
        "alias.url = (\n"
        f'  "/docs/" => "{DOCUMENTS}/",\n'
        '  "/images/xapian-omega/" => "/usr/share/images/xapian-omega/",\n'
        '  "/omega" => "/usr/lib/cgi-bin/omega/omega",\n'
        ")\n"
        '$HTTP["url"] =~ "^/omega" { cgi.assign = ("" => "") }\n'
        f'setenv.add-environment = ("OMEGA_CONFIG_FILE" => "{folder}/omega.conf")\n'
    )
    return common.Server(NAME, folder, port, body)


def site_url(base):
    return base + "omega"


# For --self-check (see dokuwiki.py).
SELF_CHECK = {"url": "omega", "form": "P", "field": "P", "links": "td > b > a"}


def oracle(base, query, chromium_folder):
    """The title link of every result: the <a> in the <b> that heads the
    result's cell (the address link below it is the same document)."""
    url = base + "omega?" + urllib.parse.urlencode({"P": query, "DEFAULTOP": "and", "DB": "default"})
    final, page = common.fetch(url)
    if "<form name=P" not in page:
        raise common.CheckError(f"oracle: {url} is not an omega result page")
    return [
        common.absolute(final, a.href)
        for a in common.anchors(page)
        if a.parent()[0] == "b" and a.parent(2)[0] == "td"
    ]
