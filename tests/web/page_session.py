"""The web page's test session: a local server for the built site, one
headless Chromium, and the helpers the cases drive the page with.
"""
import base64
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

SKIP = 77
SITE, TWIN = (sys.argv[1:3] + [None, None])[:2]
BAR = 20                   # the menu bar's rows above the client area
WIDTH, HEIGHT = 574, 412   # the designed client area
ORIGIN = (272, 191)        # grid cell (0, 0) at the start size
# Centres of the panel controls a script clicks, from the window's layout.
CONTROLS = {"Command1": (32, 152), "Command2": (32, 216), "Command3": (32, 152), "Command4": (32, 216),
            "Command5": (32, 224), "Command6": (32, 288), "Command7": (248, 88), "Command8": (248, 144)}
# Keys, strokes, menus and panels; the same in both windows.
SCRIPT = ("press 3 3;drag 10 8;drag 20 12;drag 25 25;release;key Enter;key X;key X;key Z;key Z;"
          "menu autogon;press 5 20;drag 12 22;drag 20 5;release;key E;key E;key Q;"
          "menu drawboutput;menu styleone;press 1 1;drag 28 9;release;key +;key -;key Enter;"
          "menu savebrain;key c;key a;key t;click Command1;"
          "menu choosecolor;click Command8;click Command5;press 2 2;drag 9 9;release;key Enter")
# Items the page reaches by keys once a click has opened a menu on the bar; the desktop chooses them directly.
BY_KEYS = {"drawboutput": ("options", "Right Right Down Left Down Right Down Up Down Enter"),
           "styleone": ("playoptions", "Left Down Right Down Down Right Enter")}

try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys
except ImportError:
    webdriver = None


def unavailable():
    if not SITE or not os.path.isfile(os.path.join(SITE, "cerebrix.wasm")):
        return "the web page is not built (./build.sh web)"
    if webdriver is None or not shutil.which("chromedriver"):
        return "Chromium's driver or Selenium is missing"
    return None


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    parts = data.split(b"\n", 3)
    w, h = map(int, parts[1].split())
    return w, h, parts[3]


class PageSession(unittest.TestCase):
    """One Chromium and one server for every case of a subclass; the page's
    helpers: open it, wait frames, read pixels and stored files, act."""
    @classmethod
    def setUpClass(cls):
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass
        handler = functools.partial(Quiet, directory=SITE)
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.url = "http://127.0.0.1:%d/" % cls.server.server_address[1]
        options = webdriver.ChromeOptions()
        for a in ("--headless=new", "--no-sandbox", "--force-device-scale-factor=1", "--window-size=900,1000"):
            options.add_argument(a)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        cls.driver = webdriver.Chrome(options=options)
        cls.work = tempfile.mkdtemp(prefix="cerebrix-web-")

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        shutil.rmtree(cls.work, ignore_errors=True)

    # --- The page. ---
    def open(self):
        d = self.driver
        d.get(self.url)
        for _ in range(100):
            if d.execute_script("return !!(window.Module && Module._started && window.cerebrixPage)"):
                break
            time.sleep(0.05)
        self.canvas = d.find_element("id", "window")
        self.frames(3)

    def frames(self, n=2):
        self.driver.execute_async_script(
            "const done = arguments[0]; let n = %d;"
            "const f = () => (--n > 0 ? requestAnimationFrame(f) : done()); requestAnimationFrame(f);" % (n + 1))

    def client_pixels(self, k=1):
        """The client area as RGB bytes, read off the canvas exactly (k x k device pixels each)."""
        b64 = self.driver.execute_script(
            "const c = document.getElementById('window');"
            "const d = c.getContext('2d').getImageData(0, %d, %d, %d).data; let s = '';"
            "for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);"
            "return btoa(s);" % (BAR * k, WIDTH * k, HEIGHT * k))
        return base64.b64decode(b64)

    def stored(self, name):
        b64 = self.driver.execute_script(
            "const p = '/brains/' + arguments[0]; if (!FS.analyzePath(p).exists) return null;"
            "const d = FS.readFile(p); let s = ''; for (const x of d) s += String.fromCharCode(x); return btoa(s);", name)
        return None if b64 is None else base64.b64decode(b64)

    def errors(self):
        return [l for l in self.driver.get_log("browser") if l["level"] == "SEVERE"]

    def act(self):
        return ActionChains(self.driver, duration=0)

    def at(self, chain, x, y):  # a designed canvas point
        return chain.move_to_element_with_offset(self.canvas, x - WIDTH // 2, y - (HEIGHT + BAR) // 2)

    def run_script(self, script):
        held = False
        for step in script.split(";"):
            t = step.split()
            if t[0] == "menu":
                top, keys = BY_KEYS.get(t[1], (t[1], ""))
                point = self.driver.execute_script("return Module.ccall('cx_menu_point', 'number', ['string'], [arguments[0]])", top)
                self.assertGreaterEqual(point, 0, t[1])
                self.at(self.act(), point >> 16, point & 0xFFFF).click().perform()
                for k in keys.split():
                    self.act().send_keys(getattr(Keys, {"Left": "LEFT", "Right": "RIGHT", "Up": "UP", "Down": "DOWN",
                                                        "Enter": "ENTER"}[k])).perform()
            elif t[0] == "click":
                x, y = CONTROLS[t[1]]
                self.at(self.act(), x, y + BAR).click().perform()
            elif t[0] == "key":
                key = {"Enter": Keys.ENTER, "+": "=", "Tab": Keys.TAB, "Space": Keys.SPACE}.get(t[1], t[1].lower())
                self.act().send_keys(key).perform()
            else:
                x, y = ORIGIN[0] + int(t[1]) if len(t) == 3 else 500, ORIGIN[1] + int(t[2]) + BAR if len(t) == 3 else 300
                chain = self.at(self.act(), x, y) if t[0] != "release" else self.act()
                if t[0] == "press":
                    chain.click_and_hold()
                    held = True
                elif t[0] == "release":
                    chain.release()
                    held = False
                chain.perform()
            self.frames(2)
        self.assertFalse(held)

    def twin(self, name, script=None, dropped=None):
        folder = os.path.join(self.work, name)
        argv = [TWIN, folder, script or ""] + ([dropped] if dropped else [])
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        subprocess.run(argv, check=True, env=env, timeout=120)
        return folder

    def drop(self, *files):  # (name, bytes) pairs, dropped at once
        self.driver.execute_script(
            "const t = new DataTransfer();"
            "for (const [name, b64] of arguments[0])"
            "  t.items.add(new File([Uint8Array.from(atob(b64), c => c.charCodeAt(0))], name));"
            "document.getElementById('window').dispatchEvent(new DragEvent('drop', {dataTransfer: t, bubbles: true}));",
            [[name, base64.b64encode(data).decode()] for name, data in files])
        time.sleep(0.3)
        self.frames(3)

    def settle(self):
        for _ in range(100):
            if not self.driver.execute_script("return cerebrixFiles.pending()"):
                return
            time.sleep(0.05)
        self.fail("the brains were never written back")
