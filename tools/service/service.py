#!/usr/bin/env python3
"""Stand-in for the navigation maker's web service (standard library only).

HTTPS on 127.0.0.1 with a certificate from a stand-in authority. Answers in
the service's KEY=value&... form, records every request it receives, and can
be told per path to fail.

    service.py --state DIR [--data DIR] [--users FILE] [--latest-version V]
               [--release-url URL] [--log-upload-valid TEXT] [--maintenance]
               [--host H] [--port N]

The program's engine sends an https URL to port 443 whatever port the URL
names, so the service listens on 443. When 127.0.0.1:443 is taken (another
test run), it takes 443 on another loopback address 127.0.x.y instead.

State folder (created; the caller owns it):
    host, port      the listening address, written once the service is ready
    cert.pem key.pem
    records/NNNNNN.json   method, path, query, headers, body file, uploads
    records/NNNNNN.body   the exact body bytes
    records/NNNNNN-<filename>  each uploaded file part
    records/NNNNNN-<filename>.zip.list  entries of an uploaded archive as
                    Python's zip reader sees them (or "BAD <reason>")
    faults.json     optional, read at every request: {"/path": "mode", ...}

Users (authentication): seeded at start from --users (default
DATA/users.json), a list of {"nickname", "password", "deviceno", "status"};
status "active" (default), "suspended" or "withdrawn". Answers: RET=0
success, RET=6 wrong password, RET=9 unknown user, RET=7 known nickname of
another device, RET=10 suspended, RET=11 withdrawn, RET=5 maintenance.

Configuration at run time (POST, form fields; each answers OK):
    /_control/user         nickname=..&password=..[&deviceno=..][&status=..]
                           adds or replaces a user (remove=1 deletes it)
    /_control/release      version=..&url=..   the latest release offered
    /_control/logupload    valid=..            the VALID of the permission
    /_control/maintenance  on=1|0              every /pcapp/ call answers RET=5
    /_control/fault        path=..&mode=..     (mode empty: clear that path)
    /_control/reset        clears every fault

Fault modes (faults.json or /_control/fault); "once:MODE" happens at the
next request of the path only and then clears:
    http:N          answer HTTP status N with an empty body
    ret:N           answer RET=N (a service error)
    body:TEXT       answer TEXT as it is
    malformed       answer a text that is not of the KEY=value form
    stall:S         say nothing for S seconds, then close
    truncate        promise 100 bytes more than sent, then close
    nolength        answer without Content-Length and close after the body
    drip:N          no Content-Length; send N bytes, one every 100 ms
    close           close the connection without an answer
    cutupload:N     read N bytes of the request body, then close the
                    connection without an answer (nothing recorded): the
                    client is cut off in the middle of its upload
"""
import argparse
import errno
import random
import json
import os
import re
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
import zipfile
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

RECORD_LOCK = threading.Lock()


def load_json(path, default):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return default


def decode_form(body):
    """Form fields with their values percent-decoded as UTF-8 (the program
    encodes every value byte by byte from UTF-8)."""
    fields = {}
    for part in body.split(b"&"):
        if not part:
            continue
        key, _, value = part.partition(b"=")
        fields[key.decode("latin-1")] = urllib.parse.unquote_to_bytes(value).decode("utf-8", "replace")
    return fields


def parse_multipart(body, boundary):
    """Parts of a multipart body: (headers text, data bytes)."""
    parts = []
    dash = b"--" + boundary
    for chunk in body.split(dash)[1:]:
        if chunk.startswith(b"--"):
            break
        chunk = chunk[2:] if chunk.startswith(b"\r\n") else chunk
        head, _, data = chunk.partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        parts.append((head.decode("latin-1"), data))
    return parts


def check_archive(path):
    """Opens an uploaded archive with Python's zip reader, as the service
    would unpack it, and leaves PATH.list: one "name<TAB>size<TAB>method"
    line per entry, or "BAD <reason>"."""
    try:
        with zipfile.ZipFile(path) as z:
            bad = z.testzip()
            if bad is not None:
                raise ValueError("bad entry " + bad)
            text = "".join("%s\t%d\t%d\r\n" % (i.filename, i.file_size, i.compress_type) for i in z.infolist())
    except Exception as e:  # any damage is reported, never fatal
        text = "BAD %s\r\n" % e
    with open(path + ".list", "w", encoding="utf-8", newline="") as f:
        f.write(text)


# Authentication answers (RET values whose message codes name the case).
AUTH_OK = 0
AUTH_MAINTENANCE = 5
AUTH_WRONG_PASSWORD = 6
AUTH_OTHER_DEVICE = 7
AUTH_UNKNOWN_USER = 9
AUTH_SUSPENDED = 10
AUTH_WITHDRAWN = 11


class Service:
    def __init__(self, state, data, users_file=None, release=None, valid=None, maintenance=False):
        self.state = state
        self.data = data
        self.records = os.path.join(state, "records")
        os.makedirs(self.records, exist_ok=True)
        self.counter = 0
        self.faults = {}
        self.fired = set()  # once-faults of faults.json already spent
        self.lock = threading.Lock()
        seed = load_json(users_file or os.path.join(data, "users.json"), [])
        self.users = {u.get("nickname", ""): dict(u) for u in seed}
        self.release = dict(load_json(os.path.join(data, "release.json"), {}))
        self.release.update({k: v for k, v in (release or {}).items() if v is not None})
        settings = load_json(os.path.join(data, "settings.json"), {})
        self.valid = valid if valid is not None else settings.get("log_upload_valid", "TRUE")
        self.maintenance = maintenance

    def fault_for(self, path):
        with self.lock:
            mode = self.faults.get(path)
            if mode is not None:
                if mode.startswith("once:"):
                    del self.faults[path]
                    return mode[5:]
                return mode
            mode = load_json(os.path.join(self.state, "faults.json"), {}).get(path)
            if mode is None or not mode.startswith("once:"):
                return mode
            if (path, mode) in self.fired:
                return None
            self.fired.add((path, mode))
            return mode[5:]

    def authenticate(self, form):
        with self.lock:
            user = self.users.get(form.get("nick"))
        if user is None:
            return AUTH_UNKNOWN_USER
        if user.get("password") != form.get("pass"):
            return AUTH_WRONG_PASSWORD
        if user.get("deviceno") and user.get("deviceno") != form.get("deviceno"):
            return AUTH_OTHER_DEVICE
        status = user.get("status", "active")
        if status == "suspended":
            return AUTH_SUSPENDED
        if status == "withdrawn":
            return AUTH_WITHDRAWN
        return AUTH_OK

    def record(self, handler, body, uploads):
        with RECORD_LOCK:
            self.counter += 1
            n = self.counter
        stem = os.path.join(self.records, "%06d" % n)
        with open(stem + ".body", "wb") as f:
            f.write(body)
        saved = []
        for name, filename, data in uploads:
            safe = re.sub(r"[^A-Za-z0-9._-]", "_", filename) or "upload"
            path = "%s-%s" % (stem, safe)
            with open(path, "wb") as f:
                f.write(data)
            saved.append({"name": name, "filename": filename, "file": os.path.basename(path), "size": len(data)})
            if filename.lower().endswith(".zip"):
                check_archive(path)
        url = urllib.parse.urlsplit(handler.path)
        entry = {
            "seq": n,
            "method": handler.command,
            "path": url.path,
            "query": url.query,
            "headers": [[k, v] for k, v in handler.headers.items()],
            "body": os.path.basename(stem + ".body"),
            "body_size": len(body),
            "uploads": saved,
        }
        tmp = stem + ".json.tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(entry, f, ensure_ascii=False, indent=1)
        os.replace(tmp, stem + ".json")

    # --- the service's own answers ---------------------------------------------
    def answer(self, path, query, form, uploads):
        if self.maintenance and path.startswith("/pcapp/"):
            return "RET=%d" % AUTH_MAINTENANCE
        if path.startswith("/pcapp/DeviceNoUserAuthentication"):
            return "RET=%d" % self.authenticate(form)
        if path.startswith("/pcapp/GetLatestPcapl"):
            with self.lock:
                release = dict(self.release)
            return "RET=0&VER=%s&URL=%s" % (release.get("version", "1.0.0.0"), release.get("url", ""))
        if path.startswith("/pcapp/LogUploadCheck"):
            return "RET=0&VALID=%s" % self.valid
        if path.startswith("/pcapp/LogUpload"):
            return "RET=0" if uploads else "RET=4"
        if path.startswith("/navigation/"):
            q = urllib.parse.parse_qs(query, keep_blank_values=True)
            items = "".join("<li>%s=%s</li>" % (k, v[0]) for k, v in sorted(q.items()))
            return "<html><head><meta charset=\"utf-8\"></head><body><ul>%s</ul></body></html>" % items
        payload = os.path.join(self.data, "payloads", path.lstrip("/"))
        if os.path.isfile(payload):
            with open(payload, "rb") as f:
                return f.read()
        return "RET=0"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out as two writes; with Nagle's algorithm the body
    # would wait for the client's delayed acknowledgement (40 ms) on every
    # kept-alive connection, which no real web server does.
    disable_nagle_algorithm = True
    server_version = "QuillmarchStandIn/1.0"

    def setup(self):
        # Every connection is counted before its handshake, so a test can
        # tell "the program came and went away" from "nothing came".
        with RECORD_LOCK, open(os.path.join(self.server.service.state, "connections"), "a") as f:
            f.write("%s\n" % self.client_address[0])
        self.request = self.server.tls.wrap_socket(self.request, server_side=True)
        super().setup()

    def log_message(self, fmt, *args):
        sys.stderr.write("service: " + (fmt % args) + "\n")

    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def do_HEAD(self):
        self.handle_any()

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    self.rfile.readline()
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        length = int(self.headers.get("Content-Length", "0") or 0)
        return self.rfile.read(length) if length else b""

    def handle_any(self):
        svc = self.server.service
        url = urllib.parse.urlsplit(self.path)
        fault = None if url.path.startswith("/_control/") else svc.fault_for(url.path)
        if fault and fault.startswith("cutupload"):
            return self.cut_upload(int(fault.partition(":")[2] or 0))
        body = self.read_body()
        if url.path.startswith("/_control/"):
            return self.control(url.path, decode_form(body))
        form = {}
        uploads = []
        ctype = self.headers.get("Content-Type", "")
        m = re.search(r'boundary="?([^";]+)"?', ctype)
        if ctype.startswith("multipart/form-data") and m:
            for head, data in parse_multipart(body, m.group(1).encode()):
                name = re.search(r'name="([^"]*)"', head)
                filename = re.search(r'filename="([^"]*)"', head)
                if filename:
                    uploads.append((name.group(1) if name else "", filename.group(1), data))
                elif name:
                    form[name.group(1)] = data.decode("utf-8", "replace")
        else:
            form = decode_form(body)
        svc.record(self, body, uploads)
        if fault:
            return self.fail(fault)
        text = svc.answer(url.path, url.query, form, uploads)
        ctype_out = "text/html; charset=utf-8" if url.path.startswith("/navigation/") else "text/plain"
        self.send_text(200, text if isinstance(text, bytes) else text.encode("utf-8"), ctype_out)

    def send_text(self, status, data, ctype="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def cut_upload(self, count):
        length = int(self.headers.get("Content-Length", "0") or 0)
        self.rfile.read(min(count, length))
        self.close_connection = True
        # Unread bytes make the close a reset, which the client sees at once.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))

    def fail(self, fault):
        mode, _, arg = fault.partition(":")
        if mode == "http":
            return self.send_text(int(arg), b"")
        if mode == "ret":
            return self.send_text(200, ("RET=%s" % arg).encode())
        if mode == "body":
            return self.send_text(200, arg.encode("utf-8"))
        if mode == "malformed":
            return self.send_text(200, b"<html>Service Temporarily Unavailable</html>")
        if mode == "stall":
            time.sleep(float(arg or 30))
            self.close_connection = True
            return
        if mode == "close":
            self.close_connection = True
            return
        self.close_connection = True
        if mode == "truncate":
            data = b"RET=0&VALID=TRUE"
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(data) + 100))
            self.end_headers()
            self.wfile.write(data)
            self.wfile.flush()
            return
        if mode in ("nolength", "drip"):
            data = b"RET=0&VALID=TRUE" if mode == "nolength" else b"x" * int(arg or 50)
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Connection", "close")
            self.end_headers()
            if mode == "nolength":
                self.wfile.write(data)
            else:
                for i in range(len(data)):
                    self.wfile.write(data[i:i + 1])
                    self.wfile.flush()
                    time.sleep(0.1)
            return
        self.send_text(500, ("unknown fault mode " + fault).encode())

    def control(self, path, form):
        svc = self.server.service
        with svc.lock:
            if path == "/_control/fault":
                if form.get("mode"):
                    svc.faults[form.get("path", "")] = form["mode"]
                else:
                    svc.faults.pop(form.get("path", ""), None)
            elif path == "/_control/reset":
                svc.faults.clear()
                svc.fired.clear()
            elif path == "/_control/user":
                nick = form.get("nickname", "")
                if form.get("remove"):
                    svc.users.pop(nick, None)
                else:
                    svc.users[nick] = {"nickname": nick, "password": form.get("password", ""),
                                       "deviceno": form.get("deviceno", ""),
                                       "status": form.get("status", "active")}
            elif path == "/_control/release":
                svc.release.update({k: form[k] for k in ("version", "url") if k in form})
            elif path == "/_control/logupload":
                svc.valid = form.get("valid", "")
            elif path == "/_control/maintenance":
                svc.maintenance = form.get("on", "0") not in ("", "0")
            else:
                return self.send_text(404, b"unknown control")
        self.send_text(200, b"OK")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


# --- certificates ------------------------------------------------------------
# The service's certificate comes from a stand-in authority made once per
# state folder (or --authority folder); the test PC trusts that authority
# (tools/trustca), so the program checks the service as it would check the
# real one. The variants serve certificates nobody should trust.
VARIANTS = ("selfsigned", "expired", "othername", "untrusted")
AUTHORITY_LOCK = threading.Lock()


def openssl(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


def write_text(path, text):
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


def make_authority(folder, name):
    """FOLDER/ca.pem and ca.key: an authority, made when it is not there yet
    (under a file lock, since several services may share the folder)."""
    import fcntl
    os.makedirs(folder, exist_ok=True)
    cert, key = os.path.join(folder, "ca.pem"), os.path.join(folder, "ca.key")
    with AUTHORITY_LOCK, open(os.path.join(folder, "ca.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(cert):
            conf = os.path.join(folder, "ca.conf")
            write_text(conf, "[req]\ndistinguished_name=dn\nx509_extensions=v3\n[dn]\n[v3]\n"
                             "basicConstraints=critical,CA:true\nkeyUsage=critical,keyCertSign,cRLSign\n"
                             "subjectKeyIdentifier=hash\n")
            openssl("req", "-x509", "-config", conf, "-newkey", "rsa:2048", "-nodes", "-days", "3650",
                    "-sha256", "-subj", "/O=Quillmarch stand-ins/CN=" + name, "-keyout", key,
                    "-out", cert + ".tmp")
            os.replace(cert + ".tmp", cert)
    return cert, key


def issue_certificate(folder, authority, names, start=None, end=None):
    """FOLDER/cert.pem (the chain: server, then authority) and key.pem for
    NAMES (host names, and addresses both as DNS names and as IP addresses:
    some clients match only DNS names). authority None: self-signed.
    start/end ("YYYYMMDDHHMMSSZ") set the validity; default now to +30 days."""
    key = os.path.join(folder, "key.pem")
    csr = os.path.join(folder, "server.csr")
    cert = os.path.join(folder, "server.pem")
    alt = []
    for n in names:
        alt.append("DNS:" + n)
        if re.fullmatch(r"[0-9.]+", n):
            alt.append("IP:" + n)
    ext = os.path.join(folder, "server.ext")
    write_text(ext, "basicConstraints=CA:false\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                    "extendedKeyUsage=serverAuth\nsubjectAltName=%s\n" % ",".join(alt))
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + names[0],
            "-keyout", key, "-out", csr)
    if authority is None:
        openssl("x509", "-req", "-in", csr, "-signkey", key, "-days", "30", "-sha256",
                "-extfile", ext, "-out", cert)
        chain = [cert]
    else:
        ca_cert, ca_key = authority
        conf = os.path.join(folder, "issue.conf")
        db = os.path.join(folder, "issued")
        os.makedirs(db, exist_ok=True)
        write_text(os.path.join(db, "index.txt"), "")
        write_text(conf, "[ca]\ndefault_ca=standin\n[standin]\ndatabase=%s/index.txt\n"
                         "new_certs_dir=%s\nrand_serial=yes\ndefault_md=sha256\npolicy=any\n"
                         "unique_subject=no\ndefault_days=30\n[any]\ncommonName=supplied\n" % (db, db))
        dates = ["-startdate", start, "-enddate", end] if start else []
        openssl("ca", "-batch", "-notext", "-config", conf, "-cert", ca_cert, "-keyfile", ca_key,
                "-extfile", ext, "-in", csr, "-out", cert, *dates)
        chain = [cert, ca_cert]
    full = os.path.join(folder, "cert.pem")
    with open(full, "w", encoding="ascii") as out:
        for part in chain:
            with open(part, encoding="ascii") as f:
                out.write(f.read())
    return full, key


def certificate_for(variant, folder, authority, host):
    """The certificate a listener of VARIANT on HOST serves."""
    if variant == "selfsigned":
        return issue_certificate(folder, None, [host])
    if variant == "expired":
        return issue_certificate(folder, authority, [host, "localhost"], "20200101000000Z", "20200201000000Z")
    if variant == "othername":
        return issue_certificate(folder, authority, ["other.example.com"])
    if variant == "untrusted":
        return issue_certificate(folder, make_authority(os.path.join(folder, "authority"),
                                                        "Quillmarch untrusted stand-in authority"), [host])
    return issue_certificate(folder, authority, [host, "localhost", socket.gethostname()])


def bind(host, port):
    """A server on HOST:PORT; when PORT is taken there, the same port on
    another loopback address 127.0.x.y."""
    hosts = [host] + ["127.0.%d.%d" % (random.randint(1, 254), random.randint(1, 254)) for _ in range(20)]
    for h in hosts:
        try:
            return Server((h, port), Handler)
        except OSError as e:
            if e.errno != errno.EADDRINUSE:
                raise
    sys.exit("service: no free loopback address for port %d" % port)


def announce(folder, server):
    """FOLDER/host and FOLDER/port (the port file last: it says "ready")."""
    host, port = server.server_address[:2]
    with open(os.path.join(folder, "host"), "w") as f:
        f.write("%s\n" % host)
    tmp = os.path.join(folder, "port.tmp")
    with open(tmp, "w") as f:
        f.write("%d\n" % port)
    os.replace(tmp, os.path.join(folder, "port"))
    sys.stderr.write("service: listening on https://%s:%d (%s)\n" % (host, port, folder))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--state", required=True)
    ap.add_argument("--data", default=os.path.join(here, "data"))
    ap.add_argument("--host", default="127.0.0.1")
    ap.add_argument("--port", type=int, default=443)
    ap.add_argument("--authority", help="folder of the stand-in authority (default: the state folder)")
    ap.add_argument("--variants", default="",
                    help="comma-separated listeners with certificates nobody should trust: "
                         + ", ".join(VARIANTS))
    ap.add_argument("--users", help="the user database to start from (JSON list)")
    ap.add_argument("--latest-version")
    ap.add_argument("--release-url")
    ap.add_argument("--log-upload-valid")
    ap.add_argument("--maintenance", action="store_true")
    args = ap.parse_args()
    variants = [v for v in args.variants.split(",") if v]
    for v in variants:
        if v not in VARIANTS:
            sys.exit("service: unknown certificate variant %s (%s)" % (v, ", ".join(VARIANTS)))
    os.makedirs(args.state, exist_ok=True)
    authority = make_authority(args.authority or args.state, "Quillmarch stand-in authority")
    # Each listener has its own state folder (records, faults); the variants
    # live in STATE/variants/NAME.
    listeners = [("good", args.state)] + [(v, os.path.join(args.state, "variants", v)) for v in variants]
    servers = []
    for variant, folder in listeners:
        os.makedirs(folder, exist_ok=True)
        server = bind(args.host, args.port)
        cert, key = certificate_for(variant, folder, authority, server.server_address[0])
        server.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        server.tls.load_cert_chain(cert, key)
        server.service = Service(folder, args.data, args.users,
                                 {"version": args.latest_version, "url": args.release_url},
                                 args.log_upload_valid, args.maintenance)
        servers.append((folder, server))
    for folder, server in servers[1:]:
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
        announce(folder, server)
    # The main listener last: its port file tells that every listener is ready.
    announce(*servers[0])
    try:
        servers[0][1].serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
