"""The report of the NaCl fit in headless Chromium: every SVG has a box of its
own (the page's text, and that nothing in it fetches anything, is checked in
report_test). Usage: browser_test.py TAVRIX EXAMPLES OUTPUT

OUTPUT keeps the DOM (dom.html) and the screenshot (report.png, also copied to
$TAVRIX_SCREENSHOTS for the README when set). Exits with 77 (skipped) where
Chromium is not installed.
"""

import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

SKIPPED = 77

# Writes the boxes the rendered SVGs take into a <pre id="probe"> once the
# page has loaded, for --dump-dom.
PROBE = """<script>
window.addEventListener("load", function () {
  var probe = document.createElement("pre");
  probe.id = "probe";
  probe.textContent = JSON.stringify(Array.prototype.map.call(
      document.querySelectorAll("svg"), function (svg) {
        var r = svg.getBoundingClientRect(), b = svg.getBBox();
        return [r.width, r.height, b.width, b.height];
      }));
  document.body.appendChild(probe);
});
</script>
"""


def main():
    tavrix, examples, output = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        print("chromium is not installed: the report is not checked in a browser")
        return SKIPPED
    output.mkdir(parents=True, exist_ok=True)
    sheet = output / "nacl.csv"
    shutil.copyfile(examples / "nacl.csv", sheet)
    page = output / "nacl.html"
    for command in (["fit", sheet], ["report", sheet, "-o", page]):  # reports the fit written
        subprocess.run([tavrix, *command], capture_output=True, check=True,
                       env=dict(os.environ, LC_ALL="C.UTF-8"))

    # The page with the probe: its picture and its DOM.
    probed = output / "probe.html"
    probed.write_text(page.read_text().replace("</body>", PROBE + "</body>"))
    profile = output / "profile"  # a profile of its own
    shutil.rmtree(profile, ignore_errors=True)
    done = subprocess.run(
        [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         f"--user-data-dir={profile}", "--hide-scrollbars", "--window-size=1000,1320",
         f"--screenshot={output / 'report.png'}", "--dump-dom", probed.as_uri()],
        capture_output=True, text=True, timeout=120, check=False)
    if done.returncode != 0:
        sys.exit(f"{browser} ended with {done.returncode}: {done.stderr[-2000:]}")
    dom = done.stdout
    (output / "dom.html").write_text(dom)
    match = re.search(r'<pre id="probe">(.*?)</pre>', dom, re.S)
    assert match, "the page did not load in the browser"
    boxes = json.loads(match[1])
    assert len(boxes) >= 3, boxes  # the fit and two residual plots
    assert all(min(box) > 0 for box in boxes), f"an SVG without a box: {boxes}"

    if screenshots := os.environ.get("TAVRIX_SCREENSHOTS"):
        shutil.copyfile(output / "report.png", pathlib.Path(screenshots) / "report.png")
    print(f"the report in the browser: {len(boxes)} SVGs; screenshot {output / 'report.png'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
