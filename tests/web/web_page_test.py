#!/usr/bin/python3
"""The web page in headless Chromium, held against the desktop window.

One Chromium runs every case. The desktop's side comes from desktop_twin,
which runs the same script in the real window under Qt's offscreen platform.
Exits with 77 (skipped) when the page, Chromium or Selenium is missing.
usage: web_page_test.py SITE_FOLDER DESKTOP_TWIN
"""
import base64
import functools
import http.server
import os
import random
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


class WebPage(unittest.TestCase):
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

    # --- The cases. ---
    def test_1_page_loads_focused_with_its_manners(self):
        self.open()
        d = self.driver
        self.assertTrue(d.title.startswith("Cerebrix - By Quillon"), d.title)
        self.assertEqual(d.execute_script("return document.activeElement.id"), "window")
        self.assertIn("MIT", d.find_element("tag name", "footer").text)
        # The grid and the swatch, named for screen readers where they are drawn, in no mouse's way.
        areas = d.execute_script(
            "const c = document.getElementById('window'), at = c.getBoundingClientRect();"
            "return [...document.querySelectorAll('#areas > *')].map((e) => { const r = e.getBoundingClientRect();"
            "  return [e.getAttribute('role'), e.getAttribute('aria-label'), Math.round(r.left - at.left),"
            "          Math.round(r.top - at.top), Math.round(r.width), document.elementFromPoint(r.left + 2, r.top + 2) === c];"
            "}).sort()")
        self.assertEqual(areas, [["img", "Brain grid", ORIGIN[0], ORIGIN[1] + BAR, 30, True],
                                 ["img", "Drawing colour", 10, 176, 101, True]])
        # And the open menus, their items checked as drawn.
        d.execute_script("Module.ccall('cx_menu_point', 'number', ['string'], ['styleone'])")
        self.frames(2)
        menus = d.execute_script(
            "return [[...document.querySelectorAll('#parts [role=menu]')].map((m) => m.getAttribute('aria-label')),"
            "        [...document.querySelectorAll('#parts [aria-checked]')].map((m) => m.getAttribute('aria-label'))]")
        self.assertEqual(menus, [["Draw options", "Draw-Mode", "Choose style"], ["Draw chosen color", "style two"]])
        self.assertEqual(self.errors(), [])

    def test_2_start_screen_equals_the_desktop(self):
        self.open()
        w, h, desktop = read_ppm(os.path.join(self.twin("start"), "window.ppm"))
        self.assertEqual((w, h), (WIDTH, HEIGHT))
        page = self.client_pixels()
        differing = sum(1 for i in range(0, len(page), 3) if page[i:i + 3] != desktop[i:i + 3])
        self.assertEqual(differing, 0)

    def test_2b_high_dpi_draws_each_pixel_as_a_whole_block(self):
        _, _, desktop = read_ppm(os.path.join(self.work, "start", "window.ppm"))
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": 1200, "height": 1200, "deviceScaleFactor": 2, "mobile": False})
        try:
            self.open()
            page = self.client_pixels(2)
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        blocks = bytearray()
        for y in range(HEIGHT):
            row = desktop[y * WIDTH * 3:(y + 1) * WIDTH * 3]
            wide = b"".join(row[i:i + 3] * 2 for i in range(0, len(row), 3))
            blocks += wide + wide
        self.assertEqual(page, bytes(blocks))

    def test_3_same_script_same_pixels_same_file(self):
        self.open()
        folder = self.twin("script", SCRIPT)
        self.run_script(SCRIPT)
        self.frames(3)
        _, _, surface = read_ppm(os.path.join(folder, "surface.ppm"))
        page = self.client_pixels()
        differing = [(i // 3 % WIDTH, i // 3 // WIDTH) for i in range(0, len(page), 3) if page[i:i + 3] != surface[i:i + 3]]
        self.assertEqual(differing[:10], [])
        with open(os.path.join(folder, "cat.brain"), "rb") as f:
            self.assertEqual(self.stored("cat.brain"), f.read())
        self.assertEqual(self.errors(), [])

    def test_4_reload_keeps_saved_brains(self):
        self.open()
        for _ in range(50):  # the save is written to the browser's storage after the panel closes
            if "cat.brain" in self.driver.find_element("id", "brains").text:
                break
            time.sleep(0.1)
        self.open()
        with open(os.path.join(self.work, "script", "cat.brain"), "rb") as f:
            self.assertEqual(self.stored("cat.brain"), f.read())
        self.assertIn("cat.brain", self.driver.find_element("id", "brains").text)

    def test_4b_works_offline_once_loaded(self):
        self.open()
        self.driver.execute_async_script("navigator.serviceWorker.ready.then(() => arguments[0]())")
        self.open()  # now under the worker's eye, so that every file is kept
        self.driver.set_network_conditions(offline=True, latency=0, download_throughput=0, upload_throughput=0)
        try:
            self.open()
            self.assertTrue(self.driver.execute_script("return !!(window.Module && Module._started)"))
        finally:
            self.driver.delete_network_conditions()

    def settle(self):
        for _ in range(100):
            if not self.driver.execute_script("return cerebrixFiles.pending()"):
                return
            time.sleep(0.05)
        self.fail("the brains were never written back")

    def test_4c_brains_are_kept_one_write_back_at_a_time_and_never_lost(self):
        self.open()
        before = self.stored("cat.brain")
        # A save made with keys alone ("Done" chosen by Space) is kept as a click's is.
        self.run_script("key Enter;menu savebrain;key k;key e;key y")
        # A screen reader finds the panel's controls by their text, the name box by its label, and the keyboard there.
        found = self.driver.execute_script(
            "const a = document.getElementById(document.getElementById('window').getAttribute('aria-activedescendant'));"
            "return [a.getAttribute('role'), a.getAttribute('aria-label'), a.textContent,"
            "        [...document.querySelectorAll('#parts [role=button]')].map((b) => b.getAttribute('aria-label'))]")
        self.assertEqual(found, ["textbox", "Save brain as:", "key", ["Done", "Cancel"]])
        self.run_script("key Tab;key Tab;key Space")
        self.assertEqual(self.driver.execute_script("return document.getElementById('window').style.cursor"), "")
        self.settle()
        # Write-backs one at a time, exactly one more for changes during one; leaving asks while one waits.
        # Then a write-back the browser refuses (as when full) says so, and stores none of it.
        seen = self.driver.execute_async_script("""
            const done = arguments[0], wait = (ms) => new Promise((r) => setTimeout(r, ms));
            const leaving = () => { const e = new Event('beforeunload', {cancelable: true});
                                    window.dispatchEvent(e); return e.defaultPrevented; };
            const reconcile = IDBFS.reconcile, put = IDBObjectStore.prototype.put, held = [];
            let syncs = 0;
            IDBFS.reconcile = (s, t, cb) => { ++syncs; held.push(() => reconcile(s, t, cb)); };
            (async () => {
              const seen = [];
              FS.writeFile('/brains/held.brain', 'a'); await wait(300);
              FS.writeFile('/brains/held.brain', 'ab'); FS.writeFile('/brains/held.brain', 'abc'); await wait(300);
              seen.push(syncs, leaving());
              held.shift()(); await wait(300);
              seen.push(syncs);
              held.shift()(); await wait(300);
              seen.push(syncs, leaving());
              IDBFS.reconcile = reconcile;
              IDBObjectStore.prototype.put = function (...a) { const r = put.apply(this, a); this.transaction.abort(); return r; };
              FS.writeFile('/brains/cat.brain', 'refused'); await wait(300);
              IDBObjectStore.prototype.put = put;
              seen.push(document.getElementById('notice').textContent.startsWith('The browser refused'), leaving());
              done(seen);
            })();""")
        self.assertEqual(seen, [1, True, 2, 2, False, True, True])
        # When the stored brains cannot be read at start, nothing is written back over them.
        script = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            const open = IDBFactory.prototype.open; let refused = false;
            IDBFactory.prototype.open = function (...a) {
              if (!refused) { refused = true; throw new DOMException('refused', 'InvalidStateError'); }
              return open.apply(this, a); };"""})
        try:
            self.open()
            self.driver.execute_script("FS.writeFile('/brains/cat.brain', 'unread')")
            self.frames(3)
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script["identifier"]})
        self.open()
        self.assertEqual((self.stored("cat.brain"), self.stored("held.brain")), (before, b"abc"))
        self.assertIsNotNone(self.stored("key.brain"))
        self.errors()  # the browser's note that the unread page asked, ungestured, before it was left

    def test_5_dropped_brain_loads_and_refused_one_says_why(self):
        saved = os.path.join(self.work, "script", "cat.brain")
        with open(saved, "rb") as f:
            brain = f.read()
        self.open()
        self.drop(("dropped.brain", brain))
        folder = self.twin("drop", None, saved)
        _, _, desktop = read_ppm(os.path.join(folder, "surface.ppm"))
        self.assertEqual(self.client_pixels(), desktop)
        self.assertEqual(self.stored("dropped.brain"), brain)

        broken = os.path.join(self.work, "broken.brain")
        with open(broken, "wb") as f:
            f.write(b"30,30,30,128,128,128,0,0,1,1\r\n7\r\n")
        folder = self.twin("refused", None, broken)
        with open(os.path.join(folder, "message.txt"), encoding="utf-8") as f:
            expected = f.read()
        with open(broken, "rb") as f:
            self.drop(("broken.brain", f.read()))
        shown = self.driver.execute_script("return Module.ccall('cx_control_text', 'string', ['string'], ['FileMessage'])")
        # The same words; only the file's place differs (and how much of it fits).
        self.assertTrue(shown.startswith('Cannot load "'), shown)
        self.assertEqual(shown.split('": ', 1)[1], expected.split('": ', 1)[1])

        # Several files at once: the window takes up none, as on the desktop; each brain is kept under a free name.
        before = self.client_pixels()
        self.drop(("dropped.brain", brain), ("notes.txt", b"x"), ("second.brain", brain))
        self.assertEqual(self.client_pixels(), before)
        self.assertEqual((self.stored("dropped.brain"), self.stored("dropped (2).brain"), self.stored("second.brain")),
                         (brain, brain, brain))
        self.assertIn("notes.txt", self.driver.find_element("id", "notice").text)

    def test_5b_refused_save_says_so_and_keeps_what_was_stored(self):
        self.open()
        before = self.stored("cat.brain")
        self.assertIsNotNone(before)
        # The browser says little room is left (as a full disk or a strict quota would).
        script = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
            "source": "navigator.storage.estimate = () => Promise.resolve({quota: 20000, usage: 1000});"})
        try:
            self.open()
            self.run_script("key Enter;menu savebrain;key c;key a;key t;click Command1")
            shown = self.driver.execute_script("return Module.ccall('cx_control_text', 'string', ['string'], ['FileMessage'])")
            self.assertIn("No space left", shown)
            self.assertEqual(self.stored("cat.brain"), before)
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script["identifier"]})

    def test_6_monkey_of_ten_thousand_events(self):
        self.open()
        start = self.client_pixels()
        rng = random.Random(27)
        events = []
        for _ in range(10000):
            kind = rng.choice("mmmmdukk")
            x, y = rng.randrange(-10, WIDTH + 10), rng.randrange(-10, HEIGHT + BAR + 10)
            if kind == "k":
                events.append(["k", rng.choice([13, 27, 9, 8, 32, 187, 189, 107, 109, 65, 68, 69, 80, 81, 83, 87, 88, 90, 49])])
            else:
                events.append([kind, x, y, rng.choice([0, 0, 2])])
        # Quit would end the run at once: the monkey keeps away from it.
        self.driver.execute_script("window.cerebrixQuitGuard = Module.ccall('cx_menu_point','number',['string'],['quit']);"
                                   "Module.ccall('cx_menu_point','number',['string'],['about']);")
        quit = self.driver.execute_script("return window.cerebrixQuitGuard")
        qx, qy = quit >> 16, quit & 0xFFFF
        events = [e for e in events if e[0] == "k" or abs(e[1] - qx) > 60 or abs(e[2] - qy) > 12]
        for start in range(0, len(events), 500):
            self.driver.execute_script(
                "const c = document.getElementById('window'), r = c.getBoundingClientRect();"
                "for (const e of arguments[0]) {"
                "  if (e[0] === 'k') { const k = new KeyboardEvent('keydown', {key: 'a', bubbles: true});"
                "    Object.defineProperty(k, 'keyCode', {value: e[1]}); c.dispatchEvent(k); continue; }"
                "  const o = {clientX: r.left + e[1] + 0.5, clientY: r.top + e[2] + 0.5, button: e[3], bubbles: true,"
                "             buttons: e[0] === 'u' ? 0 : 1, pointerType: 'mouse'};"
                "  if (e[0] === 'm') c.dispatchEvent(new PointerEvent('pointermove', o));"
                "  else c.dispatchEvent(new MouseEvent(e[0] === 'd' ? 'mousedown' : 'mouseup', o));"
                "}", events[start:start + 500])
            self.frames(1)
        self.frames(3)
        self.assertEqual(self.errors(), [])
        self.assertTrue(self.driver.execute_script("return !ABORT"))
        self.assertNotEqual(self.client_pixels(), start)  # the events did reach the window


if __name__ == "__main__":
    why = unavailable()
    if why:
        print("skipped: " + why)
        sys.exit(SKIP)
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[3:])  # then optionally the cases to run
