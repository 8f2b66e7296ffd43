// The page of scorelens app: the phone's screen, live, with the pickers and
// what the host reports beside it. Self-contained: no remote script, font
// or style.

#include "cli/app.h"

namespace cli::app {

const std::string& pageHtml() {
  static const std::string html = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>ScoreLens app</title>
<style>
  body { margin: 0; font: 14px/1.4 sans-serif; background: #1b1b1f; color: #e8e8ea; }
  header { display: flex; flex-wrap: wrap; gap: 8px; align-items: center; padding: 10px 16px; background: #26262c; }
  header h1 { font-size: 16px; margin: 0 12px 0 0; }
  header label { display: flex; gap: 4px; align-items: center; }
  input, select, button { font: inherit; background: #34343c; color: inherit; border: 1px solid #50505a; border-radius: 4px; padding: 3px 8px; }
  button { cursor: pointer; }
  main { display: flex; gap: 20px; padding: 16px; align-items: flex-start; }
  #phone { background: #000; padding: 12px; border-radius: 28px; box-shadow: 0 0 0 2px #444; }
  #screen { display: block; cursor: pointer; user-select: none; -webkit-user-drag: none; }
  aside { flex: 1; min-width: 280px; max-width: 560px; }
  aside h2 { font-size: 13px; text-transform: uppercase; letter-spacing: .05em; color: #9a9aa5; margin: 14px 0 4px; }
  aside pre, aside ul { margin: 0; padding: 6px 8px; background: #26262c; border-radius: 4px; white-space: pre-wrap; word-break: break-all; }
  aside ul { list-style: none; }
  #error { color: #ff7b72; min-height: 1.4em; }
  .settled { color: #7ee787; } .pending { color: #f2cc60; }
</style>
</head>
<body>
<header>
  <h1>ScoreLens app</h1>
  <label>Host <input id="version" list="versions" size="8"></label>
  <datalist id="versions">
    <option>9.0.0</option><option>10.2.0</option><option>11.2.0</option><option>12.5.0</option><option>14.23.0</option>
    <option>15.0.9</option><option>15.1.0</option><option>16.0.9</option><option>16.1</option><option>16.51.0</option>
  </datalist>
  <label>Device <select id="device"><option value="iphone">iPhone</option><option value="ipad">iPad</option></select></label>
  <label>Title <select id="title"><option value="">(home screen)</option></select></label>
  <button id="open">Open</button>
  <button id="home">Home</button>
  <button id="back">Back</button>
  <span id="error"></span>
</header>
<main>
  <div id="phone"><img id="screen" alt="the app's screen" draggable="false"></div>
  <aside>
    <h2>Host</h2><pre id="host"></pre>
    <h2>Screens</h2><pre id="navigation"></pre>
    <h2>Strip <span id="settled"></span></h2><pre id="strip"></pre>
    <h2>Requests</h2><pre id="requests"></pre>
    <h2>Layout warnings</h2><pre id="warnings"></pre>
    <h2>Opened URLs</h2><pre id="opened"></pre>
  </aside>
</main>
<script>
"use strict";
const catalog = /*CATALOG*/[];
const $ = (id) => document.getElementById(id);
let state = null, lastText = "", busy = 0, loading = false;
for (const t of catalog) { const o = document.createElement("option"); o.value = o.textContent = t; $("title").append(o); }

function refreshScreen() {
  if (loading) return;
  loading = true;
  const next = new Image();
  next.onload = () => { $("screen").src = next.src; loading = false; };
  next.onerror = () => { loading = false; };
  next.src = "/screen.png?scale=2&t=" + Date.now();
}

function stripWords(s) {
  if (!s) return "none on this screen";
  if (s.spinning) return "loading…";
  const shown = (s.rows || []).filter((r) => r.icon).map((r) => r.icon + (r.textVisible && r.text ? " " + r.text : "") +
      (r.meterVisible ? " meter " + Math.round(r.meterProgress * 100) + "%" : ""));
  if (s.message && s.message.visible) shown.push(s.message.text || s.message.icon);
  return (shown.length ? shown.join(", ") : "blank") + (s.url ? "\ntap opens " + s.url : "");
}

function render(s) {
  // The pickers follow the host only when it changes, so a choice not yet opened stays.
  const newHost = !state || state.host.version !== s.host.version || state.host.device !== s.host.device;
  state = s;
  // Points as CSS pixels, shrunk only when the window would not fit the browser's.
  const screen = $("screen"), k = Math.min(1, (window.innerHeight - 100) / s.window[1]);
  screen.style.width = s.window[0] * k + "px";
  screen.style.height = s.window[1] * k + "px";
  $("host").textContent = "version " + s.host.version + " on " + s.host.device;
  if (newHost) { $("version").value = s.host.version; $("device").value = s.host.device; }
  $("navigation").textContent = s.navigation.join("  ›  ");
  $("strip").textContent = stripWords(s.strip);
  $("settled").textContent = s.settled ? "settled" : "in progress";
  $("settled").className = s.settled ? "settled" : "pending";
  $("requests").textContent = s.requests.map((r) => r.ms + " ms  " + r.method + " " + r.url + " → " + r.status).join("\n") || "none";
  $("warnings").textContent = s.layoutWarnings.join("\n") || "none";
  $("opened").textContent = s.openedURLs.join("\n") || "none";
}

async function call(method, path, body) {
  busy++;
  try {
    const r = await fetch(path, { method, headers: { "Content-Type": "application/json" },
                                  body: body === undefined ? undefined : JSON.stringify(body) });
    const j = await r.json();
    if (!r.ok) { $("error").textContent = r.status + ": " + j.error; return; }
    $("error").textContent = "";
    const text = JSON.stringify(j);
    render(j);
    if (text !== lastText || !j.settled) { lastText = text; refreshScreen(); }
  } catch (e) {
    $("error").textContent = String(e);
  } finally {
    busy--;
  }
}

// A click is a tap at that point of the window; a press moved further than a tap's reach is a drag.
let down = null;
function pointOf(e) {
  const img = $("screen"), box = img.getBoundingClientRect();
  const k = state ? state.window[0] / box.width : 1;
  return [Math.round((e.clientX - box.left) * k * 10) / 10, Math.round((e.clientY - box.top) * k * 10) / 10];
}
$("screen").addEventListener("mousedown", (e) => { down = pointOf(e); e.preventDefault(); });
$("screen").addEventListener("mouseup", (e) => {
  if (!down) return;
  const up = pointOf(e), from = down;
  down = null;
  if (Math.hypot(up[0] - from[0], up[1] - from[1]) > 10) call("POST", "/drag", { from, to: up });
  else call("POST", "/tap", { x: from[0], y: from[1] });
});
$("open").onclick = () => {
  const body = { version: $("version").value.trim(), device: $("device").value };
  if ($("title").value) body.title = $("title").value;
  call("POST", "/open", body);
};
$("home").onclick = () => call("POST", "/home");
$("back").onclick = () => call("POST", "/back");

// The host keeps running between requests: follow it until it settles.
setInterval(() => { if (!busy) call("GET", "/state"); }, 400);
call("GET", "/state");
</script>
</body>
</html>
)HTML";
  return html;
}

}  // namespace cli::app
