#!/usr/bin/env python3
"""Checks the stand-in web service the way the program's tests rely on it:
the user database and its answers, the configurable release and log-upload
permission, maintenance, and faults that happen once. Starts the service on
a free loopback port (no privilege needed) and stops it afterwards."""
import http.client
import json
import os
import shutil
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))


class ServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.state = tempfile.mkdtemp(prefix="qm-service-selftest.")
        users = os.path.join(cls.state, "seed-users.json")
        with open(users, "w", encoding="utf-8") as f:
            json.dump([{"nickname": "hanako", "password": "pw12", "deviceno": "00000000000000AA"},
                       {"nickname": "jiro", "password": "x", "status": "suspended"},
                       {"nickname": "saburo", "password": "y", "status": "withdrawn"}], f)
        cls.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "service.py"), "--state", cls.state, "--port", "0",
             "--users", users, "--latest-version", "1.0.0.9", "--release-url",
             "https://pcapp.example.com/dl/qm.exe", "--log-upload-valid", "FALSE"],
            stderr=subprocess.DEVNULL)
        port = os.path.join(cls.state, "port")
        for _ in range(300):
            if os.path.exists(port) or cls.proc.poll() is not None:
                break
            time.sleep(0.05)
        with open(port) as f:
            cls.port = int(f.read())
        with open(os.path.join(cls.state, "host")) as f:
            cls.host = f.read().strip()

    @classmethod
    def tearDownClass(cls):
        cls.proc.terminate()
        cls.proc.wait(10)
        shutil.rmtree(cls.state, ignore_errors=True)

    def post(self, path, fields):
        # Verified as the program verifies it: the state folder's authority
        # issued the certificate, for this address.
        tls = ssl.create_default_context(cafile=os.path.join(self.state, "ca.pem"))
        conn = http.client.HTTPSConnection(self.host, self.port, context=tls, timeout=10)
        body = urllib.parse.urlencode(fields)
        conn.request("POST", path, body, {"Content-Type": "application/x-www-form-urlencoded"})
        answer = conn.getresponse()
        text = (answer.status, answer.read().decode("utf-8"))
        conn.close()
        return text

    def auth(self, nick, password, device="00000000000000AA"):
        return self.post("/pcapp/DeviceNoUserAuthenticationAPI",
                         {"nick": nick, "pass": password, "deviceno": device})[1]

    def test_authentication_answers_from_the_seeded_users(self):
        self.assertEqual(self.auth("hanako", "pw12"), "RET=0")
        self.assertEqual(self.auth("hanako", "PW12"), "RET=6")
        self.assertEqual(self.auth("hanako", "pw12", "00000000000000BB"), "RET=7")
        self.assertEqual(self.auth("nobody", "pw12"), "RET=9")
        self.assertEqual(self.auth("jiro", "x"), "RET=10")
        self.assertEqual(self.auth("saburo", "y"), "RET=11")
        self.assertEqual(self.auth("taro", "pass1234"), "RET=9", "the seed file replaces the data folder's users")
        self.post("/_control/user", {"nickname": "taro", "password": "pass1234"})
        self.assertEqual(self.auth("taro", "pass1234", "ANY"), "RET=0", "no device number: any card")
        self.post("/_control/user", {"nickname": "taro", "remove": "1"})
        self.assertEqual(self.auth("taro", "pass1234"), "RET=9")

    def test_maintenance_answers_every_pcapp_call(self):
        self.post("/_control/maintenance", {"on": "1"})
        try:
            self.assertEqual(self.auth("hanako", "pw12"), "RET=5")
            self.assertEqual(self.post("/pcapp/GetLatestPcaplAPI", {})[1], "RET=5")
        finally:
            self.post("/_control/maintenance", {"on": "0"})
        self.assertEqual(self.auth("hanako", "pw12"), "RET=0")

    def test_release_and_permission_are_configurable(self):
        self.assertEqual(self.post("/pcapp/GetLatestPcaplAPI", {})[1],
                         "RET=0&VER=1.0.0.9&URL=https://pcapp.example.com/dl/qm.exe")
        self.assertEqual(self.post("/pcapp/LogUploadCheckAPI", {})[1], "RET=0&VALID=FALSE")
        self.post("/_control/release", {"version": "2.0.0.0"})
        self.post("/_control/logupload", {"valid": "TRUE"})
        self.assertEqual(self.post("/pcapp/GetLatestPcaplTRKMothAPI", {})[1],
                         "RET=0&VER=2.0.0.0&URL=https://pcapp.example.com/dl/qm.exe")
        self.assertEqual(self.post("/pcapp/LogUploadCheckAPI", {})[1], "RET=0&VALID=TRUE")

    def test_variants_serve_certificates_a_client_refuses(self):
        state = tempfile.mkdtemp(prefix="qm-service-variants.")
        proc = subprocess.Popen([sys.executable, os.path.join(HERE, "service.py"), "--state", state,
                                 "--port", "0", "--authority", self.state,
                                 "--variants", "selfsigned,expired,othername,untrusted"],
                                stderr=subprocess.DEVNULL)
        try:
            for _ in range(600):
                if os.path.exists(os.path.join(state, "port")) or proc.poll() is not None:
                    break
                time.sleep(0.05)
            tls = ssl.create_default_context(cafile=os.path.join(self.state, "ca.pem"))
            reasons = {"selfsigned": "self-signed", "expired": "expired", "othername": "mismatch",
                       "untrusted": "self-signed certificate in certificate chain"}
            for variant, reason in reasons.items():
                folder = os.path.join(state, "variants", variant)
                with open(os.path.join(folder, "host")) as f:
                    host = f.read().strip()
                with open(os.path.join(folder, "port")) as f:
                    port = int(f.read())
                conn = http.client.HTTPSConnection(host, port, context=tls, timeout=10)
                with self.assertRaises(ssl.SSLCertVerificationError) as refused:
                    conn.request("GET", "/pcapp/Any")
                conn.close()
                self.assertIn(reason, str(refused.exception), variant)
                self.assertEqual(os.listdir(os.path.join(folder, "records")), [], variant)
            self.assertFalse(os.path.exists(os.path.join(state, "ca.pem")), "the shared authority is used")
        finally:
            proc.terminate()
            proc.wait(10)
            shutil.rmtree(state, ignore_errors=True)

    def test_a_once_fault_happens_once_then_clears(self):
        self.post("/_control/fault", {"path": "/pcapp/LogUploadAPI", "mode": "once:http:503"})
        self.assertEqual(self.post("/pcapp/LogUploadAPI", {})[0], 503)
        self.assertEqual(self.post("/pcapp/LogUploadAPI", {}), (200, "RET=4"))
        # From faults.json too, although the file stays as it is.
        with open(os.path.join(self.state, "faults.json"), "w") as f:
            json.dump({"/pcapp/GetLatestPcaplAPI": "once:ret:12"}, f)
        try:
            self.assertEqual(self.post("/pcapp/GetLatestPcaplAPI", {})[1], "RET=12")
            self.assertTrue(self.post("/pcapp/GetLatestPcaplAPI", {})[1].startswith("RET=0&VER="))
        finally:
            os.remove(os.path.join(self.state, "faults.json"))
        self.assertEqual(self.post("/_control/nothing", {})[0], 404)


if __name__ == "__main__":
    unittest.main(verbosity=1)
