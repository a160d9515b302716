#!/usr/bin/env python3
"""Loopback sinks for the messaging tests: an SMTP server and an HTTP SMS gateway.

sink.py smtp|http MODE PORTFILE LOGFILE
Listens on 127.0.0.1 only, writes its port to PORTFILE, appends one JSON line per message
received to LOGFILE, and serves until killed.
SMTP modes: accept, refuse (550 for recipients containing "refuse"), reject (554 after DATA),
drop (closes after MAIL FROM), silent (no answer to MAIL FROM), mute (never greets).
HTTP modes: accept (200 "OK 1"), error (500 "ERR 17 bad key"), silent (never answers).
"""
import json
import socket
import socketserver
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, HTTPServer

kind, mode, portfile, logfile = sys.argv[1:5]
lock = threading.Lock()


def record(entry):
    with lock, open(logfile, "a", encoding="utf-8") as f:
        f.write(json.dumps(entry) + "\n")


class Smtp(socketserver.StreamRequestHandler):
    def send(self, line):
        self.wfile.write((line + "\r\n").encode())
        self.wfile.flush()

    def handle(self):
        if mode == "mute":
            time.sleep(30)
            return
        self.send("220 sink ESMTP")
        mail = {"from": "", "rcpt": [], "data": "", "auth": ""}
        while True:
            raw = self.rfile.readline()
            if not raw:
                return
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            verb = line[:4].upper()
            if verb in ("EHLO", "HELO"):
                self.send("250-sink")
                self.send("250 AUTH PLAIN")
            elif verb == "AUTH":
                if len(line.split()) < 3:
                    self.send("334 ")
                    self.rfile.readline()
                self.send("235 ok")
            elif verb == "MAIL":
                if mode == "drop":
                    return
                if mode == "silent":
                    time.sleep(30)
                    return
                mail["from"] = line[10:].strip()
                self.send("250 ok")
            elif verb == "RCPT":
                address = line[8:].strip()
                if mode == "refuse" and "refuse" in address:
                    self.send("550 5.1.1 " + address + ": no such user")
                else:
                    mail["rcpt"].append(address)
                    self.send("250 ok")
            elif verb == "DATA":
                self.send("354 go on")
                body = []
                while True:
                    part = self.rfile.readline().decode("utf-8", "replace")
                    if part in (".\r\n", ""):
                        break
                    body.append(part)
                mail["data"] = "".join(body)
                if mode == "reject":
                    self.send("554 5.7.1 message rejected as spam")
                else:
                    record(mail)
                    self.send("250 queued")
                mail = {"from": "", "rcpt": [], "data": "", "auth": ""}
            elif verb == "QUIT":
                self.send("221 bye")
                return
            else:
                self.send("250 ok")


class Http(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length", 0))
        form = urllib.parse.parse_qs(self.rfile.read(length).decode(), keep_blank_values=True)
        if mode == "silent":
            time.sleep(30)
            return
        record({k: v[0] for k, v in form.items()})
        status, text = (200, "OK 1") if mode == "accept" else (500, "ERR 17 bad key")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(text)))
        self.end_headers()
        self.wfile.write(text.encode())


class ThreadedTcp(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


class ThreadedHttp(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True


server = ThreadedTcp(("127.0.0.1", 0), Smtp) if kind == "smtp" else ThreadedHttp(("127.0.0.1", 0), Http)
with open(portfile + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
import os
os.replace(portfile + ".tmp", portfile)
server.serve_forever()
