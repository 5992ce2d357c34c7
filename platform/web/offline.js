// Keeps the page's files in the browser once loaded, so that Cerebrix also
// opens without a network. The network comes first, so a newer build is
// taken up at once; the stored copy answers only when the network cannot.
"use strict";
const CACHE = "cerebrix";
const FILES = ["./", "index.html", "page.js", "page_files.js", "cerebrix.js", "cerebrix.wasm", "LICENSE.txt"];

self.addEventListener("install", (e) => {
  e.waitUntil(caches.open(CACHE).then((c) => c.addAll(FILES)).then(() => self.skipWaiting()));
});
self.addEventListener("activate", (e) => e.waitUntil(self.clients.claim()));
self.addEventListener("fetch", (e) => {
  if (e.request.method !== "GET") return;
  e.respondWith(
    fetch(e.request)
      .then((r) => {
        if (r.ok) {
          const copy = r.clone();
          caches.open(CACHE).then((c) => c.put(e.request, copy));
        }
        return r;
      })
      .catch(() => caches.match(e.request, { ignoreSearch: true }))
  );
});
