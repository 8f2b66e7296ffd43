#!/usr/bin/env python3
"""scorelens app in a real browser: headless Chromium through Selenium.

Starts `scorelens app` on a free loopback port, opens its page and walks it
as a person would, clicking on the phone's screen: a title from the home
screen, its strip's scores, a tap on the strip, the settings, the critic
meter switched off, the title again, host 11.2.0, the iPad. Each step's
screenshot goes to the folder given and must show the screen (many colours
in the phone's area, not a blank page).

usage: app_browser_test.py SCORELENS_BINARY SCREENSHOT_FOLDER
Exit 77 (skipped) only when Chromium, its driver or Selenium is absent.
"""

import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request
import zlib

SKIP = 77
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select
except ImportError:
    print("SKIP: python3-selenium is not installed (scripts/install-deps.sh installs it)")
    sys.exit(SKIP)
if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
    print("SKIP: chromium or chromium-driver is not installed (scripts/install-deps.sh installs them)")
    sys.exit(SKIP)


def png_colours(data):
    """The distinct colours of a PNG (8-bit RGB or RGBA, not interlaced)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, width, height, kind = 8, b"", 0, 0, 0
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and kind in (2, 6) and interlace == 0, "an unexpected PNG format"
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 4 if kind == 6 else 3
    raw, stride = zlib.decompress(idat), width * bpp
    previous, colours, at = bytearray(stride), set(), 0
    for _ in range(height):
        kind_of_filter, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = previous[i], previous[i - bpp] if i >= bpp else 0
            if kind_of_filter == 1:
                line[i] = (line[i] + a) & 255
            elif kind_of_filter == 2:
                line[i] = (line[i] + b) & 255
            elif kind_of_filter == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind_of_filter == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        for i in range(0, stride, bpp * 3):  # every third pixel is plenty
            colours.add(bytes(line[i:i + 3]))
        previous = line
    return colours


class Walk:
    def __init__(self, binary, shots):
        self.shots, self.step = shots, 0
        self.scratch = tempfile.mkdtemp(prefix="scorelens-browser-")
        self.app = subprocess.Popen([binary, "app", "--port", "0", "--defaults", os.path.join(self.scratch, "defaults.json")],
                                    stdout=subprocess.PIPE, text=True)
        self.url = self.app.stdout.readline().strip()
        assert self.url.startswith("http://127.0.0.1:"), "no address printed: %r" % self.url
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,1250",
                     "--disable-dev-shm-usage", "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-default-apps",
                     "--disable-domain-reliability", "--disable-client-side-phishing-detection", "--no-pings",
                     "--disable-features=Translate,OptimizationHints,MediaRouter", "--dns-prefetch-disable",
                     # Nothing but loopback: every other name fails to resolve.
                     "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1"):
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        self.driver.get(self.url)

    def close(self):
        self.driver.quit()
        self.app.terminate()
        self.app.wait(10)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def state(self):
        with urllib.request.urlopen(self.url + "state", timeout=30) as r:
            return json.load(r)

    def wait_for(self, what, check, timeout=30):
        until = time.time() + timeout
        while time.time() < until:
            s = self.state()
            if check(s):
                return s
            time.sleep(0.25)
        raise AssertionError("waited in vain for " + what + ": " + json.dumps(self.state())[:2000])

    def frame_of(self, text, after=None):
        """The frame of the first visible text (after another one, when given)."""
        seen = after is None
        for entry in self.state()["screen"]:
            if entry.get("text") == after:
                seen = True
            elif seen and entry.get("text") == text:
                return entry["frame"]
        raise AssertionError("%r is not on the screen" % text)

    def click_screen(self, x, y):
        """A click on the phone's screen at window point (x, y): a tap."""
        box = self.driver.execute_script("const r = document.getElementById('screen').getBoundingClientRect();"
                                         "return [r.left, r.top, r.width];")
        k = box[2] / self.state()["window"][0]
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(int(box[0] + x * k), int(box[1] + y * k))
        actions.pointer_action.click()
        actions.perform()

    def tap_text(self, text, after=None):
        f = self.frame_of(text, after)
        self.click_screen(f[0] + min(f[2] / 2, 60), f[1] + f[3] / 2)

    def text_of(self, element_id):
        return self.driver.find_element(By.ID, element_id).text

    def screenshot(self, name):
        """Saves the page and checks that the phone's screen in it is a screen."""
        self.step += 1
        time.sleep(0.8)  # the page's next poll shows the latest picture
        path = os.path.join(self.shots, "%02d-%s.png" % (self.step, name))
        self.driver.save_screenshot(path)
        colours = png_colours(self.driver.find_element(By.ID, "screen").screenshot_as_png)
        assert len(colours) >= 12, "%s: the screen shows only %d colours" % (path, len(colours))
        print("%s: %d colours in the screen" % (path, len(colours)))


def main():
    binary, shots = sys.argv[1], sys.argv[2]
    os.makedirs(shots, exist_ok=True)
    walk = Walk(binary, shots)
    try:
        walk.wait_for("the home screen", lambda s: s["navigation"] == ["Home"])
        walk.screenshot("home")

        walk.tap_text("Heat")
        s = walk.wait_for("Heat's scores", lambda s: s["strip"] and s["settled"] and s["strip"]["rows"][0]["icon"])
        assert s["navigation"] == ["Home", "Heat"], s["navigation"]
        assert s["strip"]["rows"][0]["meterVisible"], "the critic meter shows by default"
        walk.wait_for("the strip beside the screen", lambda _: "%" in walk.text_of("strip"), 10)
        walk.screenshot("heat-scores")

        frame = s["strip"]["frame"]
        walk.click_screen(frame[0] + frame[2] / 4, frame[1] + frame[3] / 2)
        walk.wait_for("the ratings site opened", lambda s: any("rottentomatoes.com" in u for u in s["openedURLs"]))
        walk.wait_for("the opened URL on the page", lambda _: "rottentomatoes.com" in walk.text_of("opened"), 10)
        walk.screenshot("strip-tapped")

        walk.tap_text("\u2039 Home")
        walk.wait_for("home", lambda s: s["navigation"] == ["Home"])
        walk.tap_text("My Netflix")
        walk.wait_for("the account menu", lambda s: s["navigation"] == ["Home", "My Netflix"])
        walk.tap_text("App Settings", after="My Netflix")
        walk.wait_for("the settings", lambda s: len(s["navigation"]) == 3)
        walk.tap_text("ScoreLens")
        s = walk.wait_for("the module's screen", lambda s: s["navigation"][-1] == "ScoreLens")
        switches = [e for e in s["screen"] if e["class"] == "UISwitch"]
        assert len(switches) == 4 and all(e["on"] for e in switches), switches
        walk.screenshot("module-settings")
        critic_meter = switches[1]["frame"]
        walk.click_screen(critic_meter[0] + critic_meter[2] / 2, critic_meter[1] + critic_meter[3] / 2)
        s = walk.wait_for("the critic meter off",
                          lambda s: [e["on"] for e in s["screen"] if e["class"] == "UISwitch"] == [True, False, True, True])
        walk.screenshot("critic-meter-off")

        for _ in range(3):
            walk.click_screen(40, walk.frame_of("\u2039 Back")[1] + 22 if any(
                e.get("text") == "\u2039 Back" for e in walk.state()["screen"]) else 66)
            time.sleep(0.3)
        walk.wait_for("home again", lambda s: s["navigation"] == ["Home"])
        walk.tap_text("Heat")
        s = walk.wait_for("Heat again", lambda s: s["strip"] and s["settled"] and s["strip"]["rows"][0]["icon"])
        assert not s["strip"]["rows"][0]["meterVisible"], "the critic meter is off now"
        assert s["strip"]["rows"][0]["textVisible"], "the critic percentage stays"
        walk.screenshot("heat-without-critic-meter")

        walk.driver.find_element(By.ID, "version").clear()
        walk.driver.find_element(By.ID, "version").send_keys("11.2.0")
        Select(walk.driver.find_element(By.ID, "title")).select_by_visible_text("Heat")
        walk.driver.find_element(By.ID, "open").click()
        s = walk.wait_for("the older page's scores", lambda s: s["host"]["version"] == "11.2.0" and s["strip"]
                          and s["settled"] and any(r["text"] for r in s["strip"]["rows"]), 60)
        walk.screenshot("host-11.2.0")

        Select(walk.driver.find_element(By.ID, "device")).select_by_value("ipad")
        walk.driver.find_element(By.ID, "open").click()
        s = walk.wait_for("the iPad's page", lambda s: s["host"]["device"] == "ipad" and s["strip"]
                          and s["settled"] and any(r["text"] for r in s["strip"]["rows"]), 60)
        assert s["window"][0] > 700, s["window"]
        walk.screenshot("ipad")
    finally:
        walk.close()
    print("browser walk passed")


if __name__ == "__main__":
    main()
