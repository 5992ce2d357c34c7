#!/usr/bin/python3
"""The web page in headless Chromium, held against the desktop window.

One Chromium runs every case. The desktop's side comes from desktop_twin,
which runs the same script in the real window under Qt's offscreen platform.
Exits with 77 (skipped) when the page, Chromium or Selenium is missing.
usage: web_page_test.py SITE_FOLDER DESKTOP_TWIN
"""
import os
import random
import sys
import time
import unittest

from page_session import BAR, HEIGHT, ORIGIN, SCRIPT, SKIP, WIDTH, PageSession, read_ppm, unavailable


class WebPage(PageSession):
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
