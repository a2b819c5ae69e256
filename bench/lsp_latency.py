#!/usr/bin/env python3
"""Time from a change of an open catalogue to its diagnostics, through `pipedex lsp`.

    bench/lsp_latency.py PIPEDEX CATALOGUE [ROUNDS]

Opens CATALOGUE in the server, then ROUNDS times sends the whole text again
with one SKEY renamed (a full-sync didChange, as editors send it) and times
from its sending to the publishDiagnostics that answers it. Prints the median and the worst.
"""
import json
import subprocess
import sys
import time


def framed(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def send(proc, message):
    proc.stdin.write(message if isinstance(message, bytes) else framed(message))
    proc.stdin.flush()


def receive(proc):
    length = 0
    while True:
        line = proc.stdout.readline()
        if line in (b"\r\n", b""):
            break
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    return json.loads(proc.stdout.read(length))


def diagnostics(proc):
    while True:
        message = receive(proc)
        if message.get("method") == "textDocument/publishDiagnostics":
            return message["params"]["diagnostics"]


def main():
    pipedex, catalogue = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    text = open(catalogue, encoding="utf-8").read()
    uri = "file://" + catalogue
    proc = subprocess.Popen([pipedex, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    send(proc, {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})
    receive(proc)
    send(proc, {"jsonrpc": "2.0", "method": "textDocument/didOpen",
                "params": {"textDocument": {"uri": uri, "languageId": "xml", "version": 1, "text": text}}})
    diagnostics(proc)
    times = []
    for version in range(2, rounds + 2):
        changed = text.replace(">ELBW<", ">EL%02d<" % version, 1)
        message = framed({"jsonrpc": "2.0", "method": "textDocument/didChange",
                          "params": {"textDocument": {"uri": uri, "version": version},
                                     "contentChanges": [{"text": changed}]}})
        start = time.perf_counter()  # from the moment the editor sends the change
        send(proc, message)
        found = diagnostics(proc)
        times.append(time.perf_counter() - start)
    send(proc, {"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
    receive(proc)
    send(proc, {"jsonrpc": "2.0", "method": "exit"})
    proc.wait(timeout=30)
    times.sort()
    print("%s: %.1f MB, %d diagnostics, didChange to publishDiagnostics median %.0f ms, worst %.0f ms over %d changes"
          % (catalogue, len(text.encode()) / 1e6, len(found), 1000 * times[len(times) // 2], 1000 * times[-1], rounds))


if __name__ == "__main__":
    main()
