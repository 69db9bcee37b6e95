"""The report of the NaCl fit in a real browser (headless Chromium): every
SVG has a box of its own, the parameters are those `tavrix fit` printed,
and nothing is fetched from anywhere.

    browser_test.py TAVRIX EXAMPLES OUTPUT

OUTPUT keeps what the browser made of the page: the DOM (dom.html), a
screenshot (report.png) and the network log (netlog.json); with
TAVRIX_SCREENSHOTS set, the screenshot is copied there as report.png for
the README. Exits with 77 (skipped) where Chromium is not installed.
"""

import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

SKIPPED = 77

# Reads what the rendered page holds into a <pre id="probe"> once it has
# loaded, for --dump-dom: the boxes of the SVGs, the parameters, every
# resource the page loaded and every element that refers to another file.
PROBE = """<script>
window.addEventListener("load", function () {
  var boxes = Array.prototype.map.call(document.querySelectorAll("svg"), function (svg) {
    var r = svg.getBoundingClientRect(), b = svg.getBBox();
    return [r.width, r.height, b.width, b.height];
  });
  var cells = function (attribute) {
    var found = {};
    document.querySelectorAll("[" + attribute + "]").forEach(function (e) {
      found[e.getAttribute(attribute)] = e.textContent;
    });
    return found;
  };
  var probe = document.createElement("pre");
  probe.id = "probe";
  probe.textContent = JSON.stringify({
    boxes: boxes, values: cells("data-parameter"), uncertainties: cells("data-uncertainty"),
    f12: document.querySelector("[data-value=f12]").textContent,
    resources: performance.getEntriesByType("resource").map(function (e) { return e.name; }),
    references: Array.prototype.map.call(
        document.querySelectorAll("[src], [href], link, img, iframe, object, embed"),
        function (e) { return e.outerHTML; })
  });
  document.body.appendChild(probe);
});
</script>
"""


def chromium():
    return shutil.which("chromium") or shutil.which("chromium-browser")


def browse(program, page, output, *args):
    """Runs the browser on the page in a profile of its own; its stdout."""
    profile = output / "profile"
    shutil.rmtree(profile, ignore_errors=True)
    profile.mkdir()
    command = [program, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking", "--disable-component-update",
               "--disable-sync", f"--user-data-dir={profile}", "--hide-scrollbars", *args,
               page.as_uri()]
    done = subprocess.run(command, capture_output=True, text=True, timeout=120, check=False)
    if done.returncode != 0:
        sys.exit(f"{program} ended with {done.returncode}: {done.stderr[-2000:]}")
    return done.stdout


def requests_of_the_page(netlog):
    """The network requests the page made: those with the page as their
    initiator (the browser's own have none)."""
    text = netlog.read_text()
    try:
        log = json.loads(text)
    except json.JSONDecodeError:  # a log the browser did not close
        log = json.loads(text.rstrip().rstrip(",") + "]}")
    start = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    return [e["params"]["url"] for e in log["events"]
            if e["type"] == start and "url" in e.get("params", {})
            and e["params"].get("initiator") != "not an origin"]


def fitted_values(out):
    """{name: (value, uncertainty)} and F12 from the lines of `tavrix fit`."""
    values = {}
    for line in out.splitlines():
        match = re.fullmatch(r"(pK\(298\)|A\(zz/a\)|B\(zz/a\)): (\S+)(?: \u00b1 (\S+))?", line)
        if match:
            values[match[1]] = (match[2], match[3])
    f12 = re.search(r"^fit error \(F12\): (\S+)$", out, re.M)[1]
    return values, f12


def main():
    tavrix, examples, output = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    browser = chromium()
    if not browser:
        print("chromium is not installed: the report is not checked in a browser")
        return SKIPPED
    output.mkdir(parents=True, exist_ok=True)
    sheet = output / "nacl.csv"
    shutil.copyfile(examples / "nacl.csv", sheet)
    env = dict(os.environ, LC_ALL="C.UTF-8")
    run = lambda *args: subprocess.run([tavrix, *args], capture_output=True, text=True, env=env,
                                       check=True)
    fitted, f12 = fitted_values(run("fit", str(sheet)).stdout)
    page = output / "nacl.html"
    run("report", str(sheet), "-o", str(page))

    # The page as it is: its picture, and what it asks of the network.
    netlog = output / "netlog.json"
    browse(browser, page, output, "--window-size=1000,1320", f"--log-net-log={netlog}",
           f"--screenshot={output / 'report.png'}")
    leaving = requests_of_the_page(netlog)
    assert not leaving, f"the page asks the network for {leaving}"

    # Its DOM with the probe.
    probed = output / "probe.html"
    probed.write_text(page.read_text().replace("</body>", PROBE + "</body>"))
    dom = browse(browser, probed, output, "--window-size=1000,1500", "--dump-dom")
    (output / "dom.html").write_text(dom)
    match = re.search(r'<pre id="probe">(.*?)</pre>', dom, re.S)
    assert match, "the page did not load in the browser"
    probe = json.loads(match[1].replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">")
                       .replace("&amp;", "&"))

    assert len(probe["boxes"]) >= 3, probe["boxes"]  # the fit and two residual plots
    for box in probe["boxes"]:
        assert min(box) > 0, f"an SVG without a box: {probe['boxes']}"
    names = {"pK(298)": "pK298", "A(zz/a)": "A", "B(zz/a)": "B"}
    for name, (value, uncertainty) in fitted.items():
        assert probe["values"][names[name]] == value, (name, value, probe["values"])
        assert probe["uncertainties"].get(names[name]) == uncertainty, (name, probe)
    assert probe["f12"] == f12, (f12, probe["f12"])
    assert probe["resources"] == [], probe["resources"]
    assert probe["references"] == [], probe["references"]

    if os.environ.get("TAVRIX_SCREENSHOTS"):
        shutil.copyfile(output / "report.png",
                        pathlib.Path(os.environ["TAVRIX_SCREENSHOTS"]) / "report.png")
    print(f"the report in the browser: {len(probe['boxes'])} SVGs, parameters {fitted}; "
          f"screenshot {output / 'report.png'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
