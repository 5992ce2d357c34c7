// The page's side of Cerebrix: draws what the program asks for on the
// window's canvas, each designed pixel a whole block of device pixels, and
// hands the mouse and keyboard to the program's event queue.
"use strict";
(function () {
  const canvas = document.getElementById("window");
  const ctx = canvas.getContext("2d", { alpha: false });
  const surface = document.createElement("canvas");
  const surfaceCtx = surface.getContext("2d");
  const areas = document.getElementById("areas"), parts = document.getElementById("parts");
  let k = 1, width = 0, height = 0;

  const css = (c) => "rgb(" + (c & 255) + "," + ((c >>> 8) & 255) + "," + ((c >>> 16) & 255) + ")";
  const font = (size) => size * k + "px sans-serif";
  const lineHeight = (size) => size + 3;

  function lines(s, w, size) {
    ctx.font = font(size);
    const out = [];
    for (const para of s.split("\n")) {
      let line = "";
      for (const word of para.split(" ")) {
        const tried = line ? line + " " + word : word;
        if (line && ctx.measureText(tried).width > w * k) {
          out.push(line);
          line = word;
        } else line = tried;
      }
      out.push(line);
    }
    return out;
  }

  // The places a screen reader finds over the canvas, in shares of the box
  // they lie in (the canvas, or a menu or list), so that they follow
  // however the canvas is scaled.
  function layOut(el) {
    const [x, y, w, h] = el.dataset.box.split(",").map(Number);
    const [px, py, pw, ph] = el.parentElement.dataset.box ? el.parentElement.dataset.box.split(",").map(Number)
                                                           : [0, 0, width, height];
    if (!pw || !ph) return;
    Object.assign(el.style, { left: (100 * (x - px)) / pw + "%", top: (100 * (y - py)) / ph + "%",
                              width: (100 * w) / pw + "%", height: (100 * h) / ph + "%" });
  }
  let told = [], shown = "";
  function describe() {
    parts.textContent = "";
    let container = parts, active = null;
    told.forEach(([role, label, text, x, y, w, h, inside, states], n) => {
      const el = document.createElement("div");
      el.id = "part" + n;
      if (role) el.setAttribute("role", role);
      if (label) el.setAttribute("aria-label", label);
      el.textContent = text;
      for (const s of states ? states.split(" ") : []) {
        if (s === "active") active = active || el;
        else el.setAttribute("aria-" + s, s === "haspopup" ? "menu" : "true");
      }
      if (role === "option") el.setAttribute("aria-selected", states.includes("selected") ? "true" : "false");
      el.dataset.box = [x, y, w, h].join(",");
      (inside ? container : parts).appendChild(el);
      if (!inside) container = el;
      layOut(el);
    });
    if (active) canvas.setAttribute("aria-activedescendant", active.id);
    else canvas.removeAttribute("aria-activedescendant");
  }

  window.cerebrixPage = {
    beginFrame(w, h) {
      const scale = Math.max(1, Math.round(window.devicePixelRatio || 1));
      if (scale !== k || w !== width || h !== height) {
        k = scale; width = w; height = h;
        canvas.width = w * k; canvas.height = h * k;
        canvas.style.width = (w * k) / (window.devicePixelRatio || 1) + "px";
        canvas.style.height = (h * k) / (window.devicePixelRatio || 1) + "px";
        for (const el of areas.querySelectorAll("*")) layOut(el);
        for (const el of parts.querySelectorAll("*")) layOut(el);
      }
      return k;
    },
    putSurface(bytes, l, t, w, h) {
      if (surface.width < l + w || surface.height < t + h) {
        const keep = surface.width && surface.height ? surfaceCtx.getImageData(0, 0, surface.width, surface.height) : null;
        surface.width = Math.max(surface.width, l + w);
        surface.height = Math.max(surface.height, t + h);
        if (keep) surfaceCtx.putImageData(keep, 0, 0);
      }
      surfaceCtx.putImageData(new ImageData(new Uint8ClampedArray(bytes), w, h), l, t);
    },
    showSurface(top) {
      ctx.imageSmoothingEnabled = false;
      ctx.drawImage(surface, 0, top * k, surface.width * k, surface.height * k);
    },
    fill(x, y, w, h, c) {
      ctx.fillStyle = css(c);
      ctx.fillRect(x * k, y * k, w * k, h * k);
    },
    frame(x, y, w, h, c) {
      ctx.fillStyle = css(c);
      ctx.fillRect(x * k, y * k, w * k, k);
      ctx.fillRect(x * k, (y + h - 1) * k, w * k, k);
      ctx.fillRect(x * k, y * k, k, h * k);
      ctx.fillRect((x + w - 1) * k, y * k, k, h * k);
    },
    text(x, y, w, h, s, c, centre, wrap, size) {
      const all = wrap ? lines(s, w, size) : [s];
      ctx.save();
      ctx.beginPath();
      ctx.rect(x * k, y * k, w * k, h * k);
      ctx.clip();
      ctx.font = font(size);
      ctx.fillStyle = css(c);
      ctx.textBaseline = "middle";
      ctx.textAlign = centre ? "center" : "left";
      const lh = lineHeight(size), total = all.length * lh;
      // One line sits in the middle of its box; wrapped text starts at the top, centred only in buttons.
      let top = wrap && !centre ? y : y + (h - total) / 2;
      for (const line of all) {
        ctx.fillText(line, (centre ? x + w / 2 : x) * k, (top + lh / 2) * k);
        top += lh;
      }
      ctx.restore();
      return total;
    },
    textWidth(s, size) {
      ctx.font = font(size);
      return Math.ceil(ctx.measureText(s).width / k);
    },
    wrappedHeight(s, w, size) {
      return lines(s, w, size).length * lineHeight(size);
    },
    picture(x, y, w, h, bytes, pw, ph) {
      if (!pw || !ph) return;
      const img = new ImageData(new Uint8ClampedArray(bytes), pw, ph);
      const tmp = document.createElement("canvas");
      tmp.width = pw; tmp.height = ph;
      tmp.getContext("2d").putImageData(img, 0, 0);
      ctx.save();
      ctx.beginPath();
      ctx.rect(x * k, y * k, w * k, h * k);
      ctx.clip();
      ctx.imageSmoothingEnabled = false;
      ctx.drawImage(tmp, x * k, y * k, pw * k, ph * k);
      ctx.restore();
    },
    ended() {
      canvas.style.opacity = "0.4";
      document.getElementById("notice").textContent =
        "Cerebrix has ended. Reload the page to start it again; saved brains stay in this browser.";
    },
    placeArea(name, x, y, w, h) {
      let el = [...areas.children].find((e) => e.getAttribute("aria-label") === name);
      if (!el) {
        el = document.createElement("div");
        el.setAttribute("role", "img");
        el.setAttribute("aria-label", name);
        areas.appendChild(el);
      }
      el.dataset.box = [x, y, w, h].join(",");
      layOut(el);
    },
    describeBegin() {
      told = [];
    },
    describeItem(...item) {
      told.push(item);
    },
    describeEnd() {
      const now = JSON.stringify(told);
      if (now !== shown) {
        shown = now;
        describe();
      }
    },
    busy(on) {
      canvas.style.cursor = on ? "wait" : "";
    },
  };

  // Input: designed canvas pixels, the menu bar's rows included.
  const Press = 0, Release = 1, Move = 2;
  function at(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor(((e.clientX - r.left) * canvas.width) / r.width / k),
            Math.floor(((e.clientY - r.top) * canvas.height) / r.height / k)];
  }
  const buttonBit = [1, 4, 2];  // the page's main, middle, secondary: left, middle, right
  const call = (name, ...args) => Module._started && Module["_" + name](...args);
  let dragging = 0;
  canvas.addEventListener("mousedown", (e) => {
    canvas.focus();
    dragging |= buttonBit[e.button] || 0;
    const [x, y] = at(e);
    call("cx_pointer", Press, buttonBit[e.button] || 0, x, y);
    e.preventDefault();
  });
  window.addEventListener("mouseup", (e) => {
    if (!dragging) return;
    dragging &= ~(buttonBit[e.button] || 0);
    const [x, y] = at(e);
    call("cx_pointer", Release, buttonBit[e.button] || 0, x, y);
  });
  // Every movement the browser saw, including those it merged into one event.
  window.addEventListener("pointermove", (e) => {
    if (e.pointerType !== "mouse" || (e.target !== canvas && !dragging)) return;
    const all = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    for (const m of all.length ? all : [e]) {
      const [x, y] = at(m);
      call("cx_pointer", Move, e.buttons & 7, x, y);
    }
  });
  canvas.addEventListener("wheel", (e) => {
    const [x, y] = at(e);
    call("cx_wheel", Math.sign(e.deltaY) * Math.max(1, Math.round(Math.abs(e.deltaY) / 40)), x, y);
    e.preventDefault();
  }, { passive: false });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  // Every key goes to the window, as on the desktop; with Control or Meta
  // held the browser keeps its own shortcuts too (reload, close, copy).
  canvas.addEventListener("keydown", (e) => {
    if (!Module._started) return;
    const typed = [...e.key].length === 1 && !e.ctrlKey && !e.metaKey ? e.key : "";
    Module.ccall("cx_key", null, ["number", "number", "number", "string"], [e.keyCode, e.repeat ? 1 : 0, e.shiftKey ? 1 : 0, typed]);
    if (!e.ctrlKey && !e.metaKey) e.preventDefault();
  });
  canvas.addEventListener("keyup", (e) => call("cx_key_up", e.keyCode));
  canvas.addEventListener("blur", () => call("cx_blur"));
  window.addEventListener("load", () => canvas.focus());
})();
