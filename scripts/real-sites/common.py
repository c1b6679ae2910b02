"""What the real-site check shares between its applications: Debian
packages, servers on loopback, fetching pages, reading their links, and the
data folder of a batch run.

Standard library only. Every server listens on 127.0.0.1 on a free high
port and runs in a process group of its own, so that stopping it also ends
the workers it spawned (php-cgi, CGI programs).
"""

import html.parser
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

# The browser that reads pages whose results are drawn by script: Debian's
# Chromium, with the flags of the peer benchmark.
CHROMIUM = "/usr/bin/chromium"
CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
]


class CheckError(Exception):
    """A step of the set-up or of a server that failed; its text says which."""


def log(text):
    print(f"real-sites: {text}", flush=True)


# --- Debian packages -------------------------------------------------------


def installed(package):
    result = subprocess.run(
        ["dpkg-query", "-W", "-f=${Status}", package], capture_output=True, text=True
    )
    return result.returncode == 0 and "install ok installed" in result.stdout


def package_version(package):
    result = subprocess.run(
        ["dpkg-query", "-W", "-f=${Version}", package], capture_output=True, text=True
    )
    return result.stdout.strip() if result.returncode == 0 else "?"


def ensure_packages(packages):
    """Installs the packages that are missing, as scripts/bootstrap does."""
    missing = [p for p in dict.fromkeys(packages) if not installed(p)]
    if not missing:
        return
    log("installing " + " ".join(missing))
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(
        sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing,
        check=True,
        env=env,
    )


# --- set-up that survives between runs ----------------------------------


def is_ready(folder, stamp):
    """Whether folder holds a finished set-up made with this stamp (the
    package versions and the script's own layout). A half-made folder, or one
    made for other versions, is made again."""
    try:
        with open(os.path.join(folder, "ready"), encoding="utf-8") as f:
            return f.read() == stamp
    except OSError:
        return False


def begin_setup(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def finish_setup(folder, stamp):
    with open(os.path.join(folder, "ready"), "w", encoding="utf-8") as f:
        f.write(stamp)


def write_file(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def run_quietly(command, **kwargs):
    """Runs a set-up command; its output is shown only when it fails."""
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        raise CheckError(
            f"{' '.join(command)} failed ({result.returncode}):\n{result.stdout}{result.stderr}"
        )
    return result.stdout


# The texts both wikis hold: the licences every Debian system ships.
LICENCES = {
    "Apache-2.0": "Apache License version 2",
    "Artistic": "Artistic License",
    "BSD": "BSD License",
    "CC0-1.0": "Creative Commons Zero",
    "GFDL-1.2": "GNU Free Documentation License 1-2",
    "GFDL-1.3": "GNU Free Documentation License 1-3",
    "GPL-1": "GNU General Public License 1",
    "GPL-2": "GNU General Public License 2",
    "GPL-3": "GNU General Public License 3",
    "LGPL-2": "GNU Library General Public License 2",
    "LGPL-2.1": "GNU Lesser General Public License 2-1",
    "LGPL-3": "GNU Lesser General Public License 3",
    "MPL-1.1": "Mozilla Public License 1-1",
    "MPL-2.0": "Mozilla Public License 2",
}
LICENCE_FOLDER = "/usr/share/common-licenses"


# --- servers ----------------------------------------------------------------


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


MIME_TYPES = """mimetype.assign = (
  ".html" => "text/html; charset=utf-8", ".htm" => "text/html; charset=utf-8",
  ".txt" => "text/plain; charset=utf-8", ".css" => "text/css",
  ".js" => "text/javascript", ".json" => "application/json",
  ".png" => "image/png", ".gif" => "image/gif", ".jpg" => "image/jpeg",
  ".svg" => "image/svg+xml", ".ico" => "image/vnd.microsoft.icon",
  ".woff" => "font/woff", ".woff2" => "font/woff2",
  "" => "application/octet-stream",
)
"""


class Server:
    """One lighttpd of our own: its configuration is written into folder, it
    listens on 127.0.0.1:port and is stopped with its whole process group."""

    def __init__(self, name, folder, port, body):
        self.name = name
        self.port = port
        self.base = f"http://127.0.0.1:{port}/"
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.config = os.path.join(folder, "lighttpd.conf")
        self.error_log = os.path.join(folder, "lighttpd-error.log")
        write_file(
            self.config,
            f'server.bind = "127.0.0.1"\n'
            f"server.port = {port}\n"
            f'server.errorlog = "{self.error_log}"\n'
            f'server.tag = "lighttpd"\n'
            + MIME_TYPES
            + body,
        )
        self.process = None

    def start(self):
        run_quietly(["lighttpd", "-tt", "-f", self.config])
        self.process = subprocess.Popen(
            ["lighttpd", "-D", "-f", self.config],
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.STDOUT,
            start_new_session=True,
        )
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise CheckError(f"{self.name}: lighttpd ended at start; see {self.error_log}")
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return
            except OSError:
                time.sleep(0.1)
        raise CheckError(f"{self.name}: lighttpd did not listen on port {self.port}")

    def stop(self):
        if self.process is None or self.process.poll() is not None:
            return
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        except ProcessLookupError:
            pass


def fastcgi_php(folder, environment):
    """The lighttpd lines that run .php files through php-cgi workers with
    the given environment."""
    env = ", ".join(f'"{k}" => "{v}"' for k, v in {"PHP_FCGI_CHILDREN": "4", **environment}.items())
    return (
        'fastcgi.server = (".php" => ((\n'
        '  "bin-path" => "/usr/bin/php-cgi",\n'
        f'  "socket" => "{folder}/php.sock",\n'
        '  "max-procs" => 1,\n'
        f"  \"bin-environment\" => ({env}),\n"
        ")))\n"
    )


# --- pages ------------------------------------------------------------------


def fetch(url, timeout=60):
    """The page at url as text, with its final address after redirects."""
    request = urllib.request.Request(url, headers={"User-Agent": "real-sites-oracle"})
    try:
        with urllib.request.urlopen(request, timeout=timeout) as reply:
            charset = reply.headers.get_content_charset() or "utf-8"
            return reply.geturl(), reply.read().decode(charset, "replace")
    except urllib.error.HTTPError as e:
        raise CheckError(f"oracle: {url} answered HTTP {e.code}") from None


def wait_for(url, timeout=60):
    deadline = time.monotonic() + timeout
    while True:
        try:
            return fetch(url, timeout=10)
        except (OSError, CheckError):
            if time.monotonic() > deadline:
                raise CheckError(f"{url} did not answer in {timeout} s") from None
            time.sleep(0.2)


def dump_dom(url, profile_parent, timeout=120):
    """The document of url after its scripts have run: headless Chromium
    with virtual time, so timers that draw results one by one have fired."""
    profile = tempfile.mkdtemp(prefix="chromium-", dir=profile_parent)
    try:
        result = subprocess.run(
            [CHROMIUM]
            + CHROMIUM_FLAGS
            + [f"--user-data-dir={profile}", "--virtual-time-budget=30000", "--dump-dom", url],
            capture_output=True,
            text=True,
            timeout=timeout,
            stdin=subprocess.DEVNULL,
        )
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if result.returncode != 0 or not result.stdout.strip():
        raise CheckError(f"oracle: chromium could not read {url}: {result.stderr[-500:]}")
    return result.stdout


class Anchor:
    def __init__(self, href, attrs, ancestors):
        self.href = href
        self.attrs = attrs
        # (tag, set of classes, attributes) from the parent outwards.
        self.ancestors = ancestors

    def parent(self, depth=1):
        return self.ancestors[depth - 1] if len(self.ancestors) >= depth else ("", set(), {})

    def inside(self, tag, cls=None):
        return any(t == tag and (cls is None or cls in c) for t, c, _ in self.ancestors)


VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}


class _AnchorParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.anchors = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "a" and attrs.get("href") is not None:
            self.anchors.append(Anchor(attrs["href"], attrs, list(reversed(self.stack))))
        if tag not in VOID:
            self.stack.append((tag, set((attrs.get("class") or "").split()), attrs))

    def handle_startendtag(self, tag, attrs):
        if tag == "a":
            self.handle_starttag(tag, attrs)
            self.handle_endtag(tag)

    def handle_endtag(self, tag):
        # Pages close what they opened loosely (an open <p> before </td>):
        # an end tag closes everything opened since its own start tag.
        for i in range(len(self.stack) - 1, -1, -1):
            if self.stack[i][0] == tag:
                del self.stack[i:]
                return


def anchors(page):
    """Every <a href> of an HTML text with the elements around it."""
    parser = _AnchorParser()
    parser.feed(page)
    parser.close()
    return parser.anchors


def normalise(address):
    """An absolute address in the form a browser keeps it: scheme and host in
    lower case, no default port, and the characters a browser escapes
    escaped, so that the same link read by the program and by the oracle
    compares equal. The fragment stays: a result may be a place in a page."""
    parts = urllib.parse.urlsplit(address)
    host = (parts.hostname or "").lower()
    if parts.port and not (parts.scheme == "http" and parts.port == 80):
        host += f":{parts.port}"
    # Only what a browser never escapes stays as it is; a ' or { may come
    # escaped from one side and bare from the other.
    safe = "/%:@!$&()*+,;=-._~[]?"
    path = urllib.parse.quote(parts.path or "/", safe=safe)
    query = urllib.parse.quote(parts.query, safe=safe)
    fragment = urllib.parse.quote(parts.fragment, safe=safe + "#")
    return urllib.parse.urlunsplit((parts.scheme.lower(), host, path, query, fragment))


def absolute(page_address, href):
    return normalise(urllib.parse.urljoin(page_address, href))


# --- the program's data folder ---------------------------------------------


def make_data_folder(repository, folder, site_name, site_url, form="", field="", links=None):
    """A fresh data folder from the repository's data set whose free site
    site_name has the given address; the form and field names stay empty
    and no ResultLinks selector is set unless given."""
    shutil.rmtree(folder, ignore_errors=True)
    run_quietly([os.path.join(repository, "scripts", "seed-portable"), os.path.join(repository, "data"), folder])
    with open(os.path.join(folder, "0Base.INI"), "w", encoding="utf-8", newline="") as f:
        f.write("[Begin]\r\nLanguage=USA\r\n")
    language = os.path.join(folder, "USA")
    section = f"\r\n[{site_name}]\r\nURL={site_url}\r\nFormName={form}\r\nInputName={field}\r\n"
    if links is not None:
        section += f"ResultLinks={links}\r\n"
    with open(os.path.join(language, "Base.INI"), "a", encoding="utf-8", newline="") as f:
        f.write(section)
    with open(os.path.join(language, "FreeSerchSite.txt"), "a", encoding="utf-8", newline="") as f:
        f.write(f"{site_name}\r\n")
