#!/usr/bin/python3
"""The web page's speed beside the native program's, in one run.

usage: bench/web/run.py NATIVE_WEB_BENCH BENCH_PAGE_FOLDER [N [REPETITIONS]]
  e.g. bench/web/run.py build/bench/web/web_figures build-web/bench 410 5
Runs the native web_figures, then the same source compiled to WebAssembly in
headless Chromium, and prints both medians and their ratios (targets: a
generation within 3 x, a load within 4 x).
"""
import functools
import http.server
import json
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver

native_bench, page, n, reps = (sys.argv[1:] + [None, None, "410", "5"][len(sys.argv) - 3:])[:4]
with tempfile.TemporaryDirectory() as folder:
    native = json.loads(subprocess.run([native_bench, n, reps, folder], check=True, capture_output=True, text=True).stdout)


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=page))
threading.Thread(target=server.serve_forever, daemon=True).start()
options = webdriver.ChromeOptions()
for a in ("--headless=new", "--no-sandbox", "--force-device-scale-factor=1"):
    options.add_argument(a)
driver = webdriver.Chrome(options=options)
driver.set_script_timeout(3600)  # the page is busy for the whole run
try:
    driver.get("http://127.0.0.1:%d/?n=%s&reps=%s" % (server.server_address[1], n, reps))
    for _ in range(3600):
        line, out = driver.execute_script("return [window.benchResult || null, document.getElementById('out').textContent]")
        if line:
            break
        if "Aborted" in out or "web_figures:" in out:
            sys.exit("bench/web/run.py: the page failed: " + out)
        time.sleep(0.5)
    else:
        sys.exit("bench/web/run.py: the page gave no result in 30 minutes")
    web = json.loads(line)
finally:
    driver.quit()
    server.shutdown()

print("N = %s, medians of %s runs" % (n, reps))
print("%-28s %10s %10s %7s %7s" % ("", "native ms", "web ms", "ratio", "target"))
for key, name, target in (("generation_ms", "one generation, one thread", 3), ("load_ms", "load from the file system", 4),
                          ("parse_ms", "the same text from memory", None)):
    ratio = web[key] / native[key]
    print("%-28s %10.1f %10.1f %7.2f %7s" % (name, native[key], web[key], ratio, "<= %d" % target if target else ""))
if native["apex_sum"] != web["apex_sum"]:
    sys.exit("bench/web/run.py: the page's generations differ from the native ones")
